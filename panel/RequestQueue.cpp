#include "panel/RequestQueue.h"

CRequestQueue::CRequestQueue() : m_aRequests{}, m_nRequests(0) {}

// ON and OFF are one kind; every other request is a kind of its own.
PanelRequest CRequestQueue::KindOf(PanelRequest request)
{
    return request == REQUEST_STOP ? REQUEST_START : request;
}

void CRequestQueue::Add(PanelRequest request)
{
    for (int i = 0; i < m_nRequests; ++i) {
        if (KindOf(m_aRequests[i]) == KindOf(request)) {
            m_aRequests[i] = request;
            return;
        }
    }
    m_aRequests[m_nRequests++] = request;  // a kind not held yet: there is room for it
}

bool CRequestQueue::Take(PanelRequest& request)
{
    if (m_nRequests == 0)
        return false;
    request = m_aRequests[0];
    for (int i = 1; i < m_nRequests; ++i)
        m_aRequests[i - 1] = m_aRequests[i];
    --m_nRequests;
    return true;
}

bool CRequestQueue::Holds(PanelRequest request) const
{
    for (int i = 0; i < m_nRequests; ++i)
        if (m_aRequests[i] == request)
            return true;
    return false;
}

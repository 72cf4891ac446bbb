#include "panel/RequestQueue.h"

CRequestQueue::CRequestQueue() : m_aRequests{}, m_nRequests(0) {}

int CRequestQueue::KindOf(PanelRequest request)
{
    switch (request) {
        case REQUEST_START:
        case REQUEST_STOP:
            return 0;
        case REQUEST_RESTART:
            return 1;
        case REQUEST_EXIT:
            return 2;
        case REQUEST_END_SESSION:
            break;
    }
    return 3;
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

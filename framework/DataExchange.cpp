#include "framework/DataExchange.h"

void CDataExchange::Bind(int nId, CWnd& control)
{
    if (control.m_hWnd)
        return;
    control.Attach(::GetDlgItem(m_pDlgWnd->m_hWnd, nId));
    if (control.m_hWnd)
        m_pDlgWnd->m_bound.push_back(&control);
}

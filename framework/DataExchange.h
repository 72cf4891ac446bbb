// Data exchange between a dialog and its members (DoDataExchange): here, binding the control
// members to the dialog's controls.
#pragma once

#include "framework/Wnd.h"

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: from the controls to the members
    CWnd* m_pDlgWnd;

    // Binds a member to the dialog's control once; the dialog lets go of it with its window.
    void Bind(int nId, CWnd& control);
};

inline void DDX_Control(CDataExchange* pDX, int nId, CWnd& control)
{
    pDX->Bind(nId, control);
}

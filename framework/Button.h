// A push button or check box of a dialog.
#pragma once

#include "framework/Wnd.h"

class CButton : public CWnd
{
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};

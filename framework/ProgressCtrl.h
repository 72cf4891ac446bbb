// A progress bar of a dialog, used as a level meter.
#pragma once

#include "framework/Wnd.h"

class CProgressCtrl : public CWnd
{
public:
    void SetRange(short nLower, short nUpper)
    {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    int SetPos(int nPos)
    {
        return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos)));
    }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};

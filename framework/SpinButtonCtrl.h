// An up-down control of a dialog.
#pragma once

#include "framework/Wnd.h"

class CSpinButtonCtrl : public CWnd
{
public:
    // The control takes the range as MAKELPARAM(upper, lower).
    void SetRange(short nLower, short nUpper)
    {
        SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower));
    }
    void GetRange(int& nLower, int& nUpper) const
    {
        const LRESULT n = SendMessage(UDM_GETRANGE);
        nLower = static_cast<short>(HIWORD(n));
        nUpper = static_cast<short>(LOWORD(n));
    }
    // The control takes the low 16 bits as a signed number and brings it into the range; the
    // result is the previous position.
    int SetPos(int nPos)
    {
        return static_cast<short>(LOWORD(SendMessage(UDM_SETPOS, 0, MAKELPARAM(nPos, 0))));
    }
    // What UDM_GETPOS answers: the position in the low word, non-zero in the high word when the
    // buddy shows no number of the range.
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
};

// A static control of a dialog: a label, a link, an icon.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd
{
public:
    HICON SetIcon(HICON hIcon)
    {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon)));
    }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
};

// The metrics of the simulated display and of its window frames: the size of the screen, the
// frames and captions that a style gives a window, and GetSystemMetrics.
//
// The display is 1280 x 1024 pixels at 96 dots per inch with the classic window frames, the
// same size as the virtual display of the Windows tests.
#include "platform/sim/windows/WindowSystem.h"

#include <string>

using sim::Lock;
using sim::World;

namespace sim::win {

// The frames of the program's windows: a dialog frame, a border, and a caption.
RECT Insets(LONG nStyle, LONG nExStyle)
{
    int n = (nStyle & WS_BORDER) ? 1 : 0;
    if ((nExStyle & WS_EX_DLGMODALFRAME) || (nStyle & WS_CAPTION) == WS_DLGFRAME)
        n = 3;
    return RECT{n, (nStyle & WS_CAPTION) == WS_CAPTION ? n + CAPTION : n, n, n};
}

}  // namespace sim::win

using namespace sim::win;

INT WINAPI GetSystemMetrics(INT nIndex)
{
    switch (nIndex) {
        case SM_CXSCREEN:
            return SCREEN_CX;
        case SM_CYSCREEN:
            return SCREEN_CY;
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            w.Misuse("GetSystemMetrics(" + std::to_string(nIndex) + "), which is not simulated");
            return 0;
        }
    }
}

BOOL WINAPI SystemParametersInfoA(UINT nAction, UINT, PVOID pParam, UINT)
{
    if (nAction != SPI_GETWORKAREA) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        w.Misuse("SystemParametersInfoA(" + std::to_string(nAction) + "), which is not simulated");
        return FALSE;
    }
    *static_cast<RECT*>(pParam) = RECT{0, 0, SCREEN_CX, SCREEN_CY};
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT pRect, DWORD nStyle, BOOL, DWORD nExStyle)
{
    const RECT in = Insets(static_cast<LONG>(nStyle), static_cast<LONG>(nExStyle));
    pRect->left -= in.left;
    pRect->top -= in.top;
    pRect->right += in.right;
    pRect->bottom += in.bottom;
    return TRUE;
}

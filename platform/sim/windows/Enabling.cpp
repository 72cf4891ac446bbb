// Enabling and disabling a window: a disabled window loses the focus.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

using namespace sim::win;

BOOL WINAPI IsWindowEnabled(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    return p && !(p->nStyle & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL bEnable)
{
    bool bWasDisabled = false;
    bool bLosesFocus = false;
    {
        Lock lk = World::Get().Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        bWasDisabled = (p->nStyle & WS_DISABLED) != 0;
        if (bWasDisabled == !bEnable)
            return bWasDisabled;
        p->nStyle ^= WS_DISABLED;
        // A disabled window cannot keep the focus.
        const HWND hwndFocus = S(lk).focus[CurrentThread(lk)];
        bLosesFocus =
            !bEnable && hwndFocus && (hwndFocus == hwnd || IsDescendant(lk, hwnd, hwndFocus));
    }
    if (bLosesFocus)
        SetFocusInternal(nullptr);
    SendMessageA(hwnd, WM_ENABLE, bEnable, 0);
    return bWasDisabled;
}

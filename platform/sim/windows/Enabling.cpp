// Enabling and disabling a window: a disabled window loses the focus and the mouse.
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
    {
        Lock lk = World::Get().Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        bWasDisabled = (p->nStyle & WS_DISABLED) != 0;
        if (bWasDisabled == !bEnable)
            return bWasDisabled;
    }
    if (!bEnable)
        SendMessageA(hwnd, WM_CANCELMODE, 0, 0);
    bool bLosesFocus = false;
    {
        Lock lk = World::Get().Acquire();
        Window* p = Find(lk, hwnd);
        if (!p)
            return bWasDisabled;
        State& s = S(lk);
        if (bEnable) {
            p->nStyle &= ~WS_DISABLED;
        } else {
            p->nStyle |= WS_DISABLED;
            // A disabled window cannot keep the focus.
            const DWORD nThread = CurrentThread(lk);
            const HWND hwndFocus = s.focus[nThread];
            bLosesFocus = hwndFocus && (hwndFocus == hwnd || IsDescendant(lk, hwnd, hwndFocus));
        }
        Invalidate(lk, *p, true, false);
    }
    if (bLosesFocus)
        SetFocusInternal(nullptr);
    SendMessageA(hwnd, WM_ENABLE, bEnable, 0);
    return bWasDisabled;
}

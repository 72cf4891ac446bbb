// Where a window is and whether it shows: moving and hiding it (SetWindowPos), showing,
// minimising and restoring it (ShowWindow), and the activation that follows. Sizes and the
// z-order stay as the window was made: nothing asks to change them. A minimised window has no
// client area and keeps its place (Windows puts it off the screen; nothing asks where).
#include "platform/sim/windows/WindowSystem.h"

#include <string>

using sim::Lock;
using sim::World;

using namespace sim::win;

namespace {

constexpr UINT SIMULATED_SWP =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW;

}  // namespace

BOOL WINAPI SetWindowPos(HWND hwnd, HWND, INT x, INT y, INT cx, INT cy, UINT nFlags)
{
    bool bWasActive = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        RECT& r = p->rect;
        if ((nFlags & ~SIMULATED_SWP) || !(nFlags & SWP_NOZORDER) ||
            (!(nFlags & SWP_NOSIZE) && (cx != r.right - r.left || cy != r.bottom - r.top)))
            w.Misuse("SetWindowPos with flags " + std::to_string(nFlags) +
                     " or a new size, which are not simulated");
        if (!(nFlags & SWP_NOMOVE))
            OffsetRect(&r, x - r.left, y - r.top);
        if (!(nFlags & SWP_HIDEWINDOW) || !(p->nStyle & WS_VISIBLE))
            return TRUE;
        p->nStyle &= ~WS_VISIBLE;
        bWasActive = S(lk).active[CurrentThread(lk)] == hwnd;
    }
    // The activation leaves a window that hides.
    if (bWasActive)
        ActivateOther(hwnd);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, INT nCommand)
{
    bool bWasVisible = false;
    bool bTop = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        bWasVisible = (p->nStyle & WS_VISIBLE) != 0;
        bTop = !p->hwndParent;
        switch (nCommand) {
            case SW_MINIMIZE:
                p->bIconic = bTop;
                p->nStyle |= bTop ? WS_MINIMIZE : 0;
                break;
            case SW_SHOWNORMAL:
            case SW_RESTORE:
                p->bIconic = false;
                p->nStyle &= ~WS_MINIMIZE;
                break;
            case SW_SHOW:
                break;
            default:
                w.Misuse("ShowWindow(" + std::to_string(nCommand) + "), which is not simulated");
                return bWasVisible;
        }
        p->nStyle |= WS_VISIBLE;
        Invalidate(lk, *p, true, nCommand != SW_MINIMIZE);
    }
    // A minimised window gives up the activation; a top-level window shown takes it.
    if (nCommand == SW_MINIMIZE) {
        if (GetActiveWindow() == hwnd)
            ActivateOther(hwnd);
    } else if (bTop) {
        SetActiveWindow(hwnd);
    }
    return bWasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    return p && IsShown(lk, *p);
}

BOOL WINAPI IsIconic(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    return p && p->bIconic;
}

// Where a window is and whether it shows: moving, sizing and stacking it (SetWindowPos),
// showing, hiding, minimising and restoring it (ShowWindow), and the activation that follows.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

using namespace sim::win;

namespace {

void ActivateAfterShow(HWND hwnd, bool bActivate)
{
    if (!bActivate)
        return;
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    const bool bTop = p && !p->hwndParent;
    lk.unlock();
    if (bTop)
        SetActiveWindow(hwnd);
}

}  // namespace

BOOL WINAPI SetWindowPos(HWND hwnd, HWND hwndAfter, INT x, INT y, INT cx, INT cy, UINT nFlags)
{
    bool bMoved = false;
    bool bShown = false;
    bool bHidden = false;
    POINT at{};
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        State& s = S(lk);
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        RECT r = p->rect;
        if (!(nFlags & SWP_NOMOVE) && (x != r.left || y != r.top)) {
            OffsetRect(&r, x - r.left, y - r.top);
            bMoved = true;
        }
        if (!(nFlags & SWP_NOSIZE) && (cx != r.right - r.left || cy != r.bottom - r.top))
            w.Misuse("SetWindowPos to a new size, which is not simulated");
        if (bMoved) {
            Invalidate(lk, *p, true, true);
            p->rect = r;
        }
        if (!(nFlags & SWP_NOZORDER)) {
            Window* pParent = Find(lk, p->hwndParent);
            std::vector<HWND>& v = pParent ? pParent->children : s.topLevel;
            v.erase(std::remove(v.begin(), v.end(), hwnd), v.end());
            v.insert(v.begin(), hwnd);
            if (hwndAfter != HWND_TOP && hwndAfter != HWND_TOPMOST && hwndAfter != HWND_NOTOPMOST)
                w.Misuse("SetWindowPos below another window, which is not simulated");
        }
        if ((nFlags & SWP_SHOWWINDOW) && !(p->nStyle & WS_VISIBLE)) {
            p->nStyle |= WS_VISIBLE;
            Invalidate(lk, *p, true, true);
            bShown = true;
        }
        if ((nFlags & SWP_HIDEWINDOW) && (p->nStyle & WS_VISIBLE)) {
            p->nStyle &= ~WS_VISIBLE;
            bHidden = true;
        }
        at = POINT{p->rect.left, p->rect.top};
    }
    if (bMoved)
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(at.x, at.y));
    if (bHidden) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        State& s = S(lk);
        const DWORD nThread = CurrentThread(lk);
        const bool bWasActive = s.active[nThread] == hwnd;
        const HWND hwndFocus = s.focus[nThread];
        const bool bHadFocus =
            hwndFocus && (hwndFocus == hwnd || IsDescendant(lk, hwnd, hwndFocus));
        lk.unlock();
        if (bWasActive)
            ActivateOther(hwnd);
        else if (bHadFocus)
            SetFocusInternal(nullptr);
    }
    ActivateAfterShow(hwnd, bShown && !(nFlags & SWP_NOACTIVATE));
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, INT nCommand)
{
    bool bWasVisible = false;
    bool bIconic = false;
    bool bTop = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        bWasVisible = (p->nStyle & WS_VISIBLE) != 0;
        bIconic = p->bIconic;
        bTop = !p->hwndParent;
    }
    const bool bShow = nCommand != SW_HIDE;
    if (bShow != bWasVisible)
        SendMessageA(hwnd, WM_SHOWWINDOW, bShow, 0);

    switch (nCommand) {
        case SW_HIDE:
            if (bWasVisible)
                SetWindowPos(
                    hwnd, nullptr, 0, 0, 0, 0,
                    SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return bWasVisible;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE: {
            if (!bIconic && bTop) {
                World& w = World::Get();
                Lock lk = w.Acquire();
                Window* p = Find(lk, hwnd);
                p->rectNormal = p->rect;
                const RECT in = Insets(p->nStyle, p->nExStyle);
                p->rect = RECT{MINIMISED_AT, MINIMISED_AT, MINIMISED_AT + MINIMISED_CX,
                               MINIMISED_AT + in.top + in.bottom};
                p->bIconic = true;
                p->nStyle |= WS_MINIMIZE | WS_VISIBLE;
                Invalidate(lk, *p, true, false);
                lk.unlock();
                SendMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
            }
            SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                         SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (nCommand == SW_SHOWMINIMIZED)
                SetActiveWindow(hwnd);
            else if (nCommand != SW_SHOWMINNOACTIVE && GetActiveWindow() == hwnd)
                ActivateOther(hwnd);
            return bWasVisible;
        }
        default:
            break;
    }

    const bool bRestore = bIconic && nCommand != SW_SHOW && nCommand != SW_SHOWNA;
    if (bRestore) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        p->rect = p->rectNormal;
        p->bIconic = false;
        p->nStyle &= ~WS_MINIMIZE;
        Invalidate(lk, *p, true, true);
        const RECT client = ClientRectOf(*p);
        lk.unlock();
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
    const bool bActivate = nCommand != SW_SHOWNA && nCommand != SW_SHOWNOACTIVATE;
    SetWindowPos(
        hwnd, nullptr, 0, 0, 0, 0,
        SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (bActivate ? 0 : SWP_NOACTIVATE));
    if (bActivate && bTop && (bWasVisible || bRestore))
        SetActiveWindow(hwnd);
    return bWasVisible;
}

BOOL WINAPI IsWindowVisible(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && IsShown(lk, *p);
}

BOOL WINAPI IsIconic(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && p->bIconic;
}

// The keyboard focus and the active window, each kept per thread as Windows keeps them per
// message queue.
#include "platform/sim/windows/WindowSystem.h"

#include <utility>

using sim::Lock;
using sim::World;

namespace sim::win {

HWND SetFocusInternal(HWND hwnd)
{
    HWND hwndTop = nullptr;
    {
        Lock lk = World::Get().Acquire();
        State& s = S(lk);
        const DWORD nThread = CurrentThread(lk);
        if (s.focus[nThread] == hwnd)
            return hwnd;
        if (hwnd) {
            Window* p = FindOrFail(lk, hwnd);
            if (!p || p->nThread != nThread || !IsUsable(lk, *p))
                return nullptr;
            hwndTop = TopLevelOf(lk, hwnd);
            // A minimised window's controls take no focus, as a disabled one's do not.
            if (Find(lk, hwndTop)->bIconic)
                return nullptr;
            if (s.active[nThread] == hwndTop)
                hwndTop = nullptr;
        }
    }
    if (hwndTop)
        SetActiveWindow(hwndTop);

    // The focus and the active window never name a window that is gone: DestroyWindow takes
    // them away.
    HWND hwndOld = nullptr;
    {
        Lock lk = World::Get().Acquire();
        HWND& hwndFocus = S(lk).focus[CurrentThread(lk)];
        if (hwndFocus == hwnd)
            return hwnd;
        Window* p = Find(lk, hwnd);
        if (hwnd && !p)
            return nullptr;  // destroyed as its window was activated
        hwndOld = std::exchange(hwndFocus, hwnd);
        if (Window* pDialog = p ? DialogOf(lk, p->hwndParent) : nullptr)
            pDialog->pDialog->hwndFocus = hwnd;
    }
    if (hwndOld)
        SendMessageA(hwndOld, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && IsWindow(hwnd))
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(hwndOld), 0);
    return hwndOld;
}

void ActivateOther(HWND hwndLeaving)
{
    HWND hwndNext = nullptr;
    {
        Lock lk = World::Get().Acquire();
        State& s = S(lk);
        const DWORD nThread = CurrentThread(lk);
        Window* pLeaving = Find(lk, hwndLeaving);
        Window* pOwner = pLeaving ? Find(lk, pLeaving->hwndOwner) : nullptr;
        if (pOwner && pOwner->nThread == nThread && (pOwner->nStyle & WS_VISIBLE) &&
            !(pOwner->nStyle & WS_DISABLED) && !pOwner->bIconic && pOwner->life == Life::Alive) {
            hwndNext = pOwner->hwnd;
        } else {
            if (s.active[nThread] == hwndLeaving)
                s.active[nThread] = nullptr;
            if (s.hwndForeground == hwndLeaving)
                s.hwndForeground = nullptr;
        }
    }
    if (hwndNext) {
        SetActiveWindow(hwndNext);
        return;
    }
    if (IsWindow(hwndLeaving))
        SendMessageA(hwndLeaving, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(hwndLeaving)), 0);
    SetFocusInternal(nullptr);
}

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI SetFocus(HWND hwnd)
{
    return SetFocusInternal(hwnd);
}

HWND WINAPI GetFocus(void)
{
    Lock lk = World::Get().Acquire();
    return S(lk).focus[CurrentThread(lk)];
}

HWND WINAPI SetActiveWindow(HWND hwnd)
{
    HWND hwndOld = nullptr;
    {
        Lock lk = World::Get().Acquire();
        State& s = S(lk);
        const DWORD nThread = CurrentThread(lk);
        hwndOld = s.active[nThread];
        if (hwnd) {
            Window* p = FindOrFail(lk, TopLevelOf(lk, hwnd));
            if (!p || p->nThread != nThread || (p->nStyle & WS_DISABLED))
                return nullptr;
            hwnd = p->hwnd;
            s.hwndForeground = hwnd;
        }
        if (hwndOld == hwnd)
            return hwndOld;
        s.active[nThread] = hwnd;
    }
    if (hwndOld)
        SendMessageA(hwndOld, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(hwndOld)),
                     reinterpret_cast<LPARAM>(hwnd));
    if (hwnd)
        SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hwnd)),
                     reinterpret_cast<LPARAM>(hwndOld));
    return hwndOld;
}

HWND WINAPI GetActiveWindow(void)
{
    Lock lk = World::Get().Acquire();
    return S(lk).active[CurrentThread(lk)];
}

// Which window a point of the screen belongs to, and the cursor.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

bool Transparent(const Window& w)
{
    return w.pClass->pfnTransparent && w.pClass->pfnTransparent(w.nStyle);
}

}  // namespace

HWND HitTest(Lock& lk, POINT pt)
{
    State& s = S(lk);
    for (HWND hTop : s.topLevel) {
        Window* p = Find(lk, hTop);
        if (!p || !(p->nStyle & WS_VISIBLE) || Transparent(*p) || !PtInRect(&p->rect, pt))
            continue;
        // Down the children: a disabled child leaves the mouse to its parent, a transparent one
        // to what lies under it.
        for (;;) {
            if (p->nStyle & WS_DISABLED)
                return p->hwnd;
            Window* pHit = nullptr;
            for (HWND h : p->children) {
                Window* pChild = Find(lk, h);
                if (!pChild)
                    continue;
                const RECT rChild = ScreenRect(lk, *pChild);
                if ((pChild->nStyle & WS_VISIBLE) && !Transparent(*pChild) &&
                    PtInRect(&rChild, pt)) {
                    pHit = pChild;
                    break;
                }
            }
            if (!pHit)
                return p->hwnd;
            if (pHit->nStyle & WS_DISABLED)
                return p->hwnd;
            p = pHit;
        }
    }
    return nullptr;
}

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI WindowFromPoint(POINT pt)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return HitTest(lk, pt);
}

HWND WINAPI ChildWindowFromPointEx(HWND hwndParent, POINT pt, UINT nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* pParent = Find(lk, hwndParent);
    if (!pParent)
        return nullptr;
    const RECT client = ClientRectOf(*pParent);
    if (!PtInRect(&client, pt))
        return nullptr;
    for (HWND h : pParent->children) {
        Window* p = Find(lk, h);
        if (!p)
            continue;
        if ((nFlags & CWP_SKIPINVISIBLE) && !(p->nStyle & WS_VISIBLE))
            continue;
        if ((nFlags & CWP_SKIPDISABLED) && (p->nStyle & WS_DISABLED))
            continue;
        if ((nFlags & CWP_SKIPTRANSPARENT) && (p->nExStyle & WS_EX_TRANSPARENT))
            continue;
        if (PtInRect(&p->rect, pt))
            return h;
    }
    return hwndParent;
}

BOOL WINAPI GetCursorPos(LPPOINT pPoint)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    *pPoint = S(lk).cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(INT x, INT y)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    S(lk).cursor = POINT{x, y};
    return TRUE;
}

// Which window a point belongs to, as the tooltip asks it when the mouse moves
// (TTM_WINDOWFROMPOINT, which the program answers itself with ChildWindowFromPointEx), and the
// cursor, where the mouse messages that a test posts say the mouse is.
#include "platform/sim/windows/WindowSystem.h"

#include <string>

using sim::Lock;
using sim::World;

using namespace sim::win;

namespace {

bool Transparent(const Window& w)
{
    return w.pClass->pfnTransparent && w.pClass->pfnTransparent(w.nStyle);
}

// The topmost visible child under a point of the parent's client area that the mouse does not
// pass through (bMouse) or any (not bMouse); nullptr for none.
Window* ChildAt(Lock& lk, const Window& parent, POINT pt, bool bMouse)
{
    for (HWND h : parent.children)
        if (Window* p = Find(lk, h);
            p && (p->nStyle & WS_VISIBLE) && PtInRect(&p->rect, pt) && !(bMouse && Transparent(*p)))
            return p;
    return nullptr;
}

}  // namespace

// The deepest window under the point: a disabled child leaves the mouse to its parent.
HWND WINAPI WindowFromPoint(POINT pt)
{
    Lock lk = World::Get().Acquire();
    for (HWND hTop : S(lk).topLevel) {
        Window* p = Find(lk, hTop);
        if (!(p->nStyle & WS_VISIBLE) || Transparent(*p) || !PtInRect(&p->rect, pt))
            continue;
        for (;;) {
            const POINT origin = ClientOrigin(lk, *p);
            Window* pChild = ChildAt(lk, *p, POINT{pt.x - origin.x, pt.y - origin.y}, true);
            if (!pChild || (pChild->nStyle & WS_DISABLED))
                return p->hwnd;
            p = pChild;
        }
    }
    return nullptr;
}

HWND WINAPI ChildWindowFromPointEx(HWND hwndParent, POINT pt, UINT nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (nFlags != CWP_SKIPINVISIBLE)
        w.Misuse("ChildWindowFromPointEx with flags " + std::to_string(nFlags) +
                 ", which are not simulated");
    Window* pParent = Find(lk, hwndParent);
    const RECT client = pParent ? ClientRectOf(*pParent) : RECT{};
    if (!PtInRect(&client, pt))
        return nullptr;
    Window* p = ChildAt(lk, *pParent, pt, false);
    return p ? p->hwnd : hwndParent;
}

BOOL WINAPI SetCursorPos(INT x, INT y)
{
    Lock lk = World::Get().Acquire();
    S(lk).cursor = POINT{x, y};
    return TRUE;
}

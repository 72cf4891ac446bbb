// Which child of a window a point belongs to, as the program asks it for its tooltip when the
// mouse moves, and the cursor, where the mouse messages that a test posts say the mouse is.
#include "platform/sim/windows/WindowSystem.h"

#include <string>

using sim::Lock;
using sim::World;

using namespace sim::win;

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
    for (HWND h : pParent->children)
        if (Window* p = Find(lk, h); p && (p->nStyle & WS_VISIBLE) && PtInRect(&p->rect, pt))
            return h;
    return hwndParent;
}

BOOL WINAPI SetCursorPos(INT x, INT y)
{
    Lock lk = World::Get().Acquire();
    S(lk).cursor = POINT{x, y};
    return TRUE;
}

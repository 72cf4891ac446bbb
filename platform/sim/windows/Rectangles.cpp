// Window and client rectangles, the mapping of points between windows, and user32's rectangle
// arithmetic.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

static RECT ScreenRect(Lock& lk, const Window& w)
{
    RECT r = w.rect;
    if (Window* pParent = Find(lk, w.hwndParent)) {
        const POINT origin = ClientOrigin(lk, *pParent);
        OffsetRect(&r, origin.x, origin.y);
    }
    return r;
}

POINT ClientOrigin(Lock& lk, const Window& w)
{
    const RECT r = ScreenRect(lk, w);
    const RECT in = Insets(w.nStyle, w.nExStyle);
    return POINT{r.left + in.left, r.top + in.top};
}

RECT ClientRectOf(const Window& w)
{
    if (w.bIconic)
        return RECT{0, 0, 0, 0};
    const RECT in = Insets(w.nStyle, w.nExStyle);
    return RECT{0, 0, std::max<LONG>(0, w.rect.right - w.rect.left - in.left - in.right),
                std::max<LONG>(0, w.rect.bottom - w.rect.top - in.top - in.bottom)};
}

}  // namespace sim::win

using namespace sim::win;

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT pRect)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return FALSE;
    if (p->bIconic)
        World::Get().Misuse("GetWindowRect of a minimised window, whose place is not simulated");
    *pRect = ScreenRect(lk, *p);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT pRect)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return FALSE;
    *pRect = ClientRectOf(*p);
    return TRUE;
}

INT WINAPI MapWindowPoints(HWND hwndFrom, HWND hwndTo, LPPOINT pPoints, UINT nCount)
{
    Lock lk = World::Get().Acquire();
    auto origin = [&](HWND h) {
        Window* p = Find(lk, h);
        return p ? ClientOrigin(lk, *p) : POINT{0, 0};
    };
    const POINT from = origin(hwndFrom);
    const POINT to = origin(hwndTo);
    const LONG dx = from.x - to.x;
    const LONG dy = from.y - to.y;
    for (UINT i = 0; i < nCount; ++i) {
        pPoints[i].x += dx;
        pPoints[i].y += dy;
    }
    return MAKELONG(LOWORD(dx), LOWORD(dy));
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT pPoint)
{
    if (!IsWindow(hwnd))
        return FALSE;
    MapWindowPoints(hwnd, nullptr, pPoint, 1);
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT pPoint)
{
    if (!IsWindow(hwnd))
        return FALSE;
    MapWindowPoints(nullptr, hwnd, pPoint, 1);
    return TRUE;
}

// ---- user32's rectangle arithmetic

BOOL WINAPI PtInRect(const RECT* pRect, POINT pt)
{
    return pRect && pt.x >= pRect->left && pt.x < pRect->right && pt.y >= pRect->top &&
           pt.y < pRect->bottom;
}

BOOL WINAPI OffsetRect(LPRECT pRect, INT dx, INT dy)
{
    if (!pRect)
        return FALSE;
    pRect->left += dx;
    pRect->right += dx;
    pRect->top += dy;
    pRect->bottom += dy;
    return TRUE;
}

// Where windows are: the metrics of the simulated display, window and client rectangles,
// moving, showing, minimising and enabling windows, and which window a point of the screen
// belongs to.
//
// The display is 1280 x 1024 pixels at 96 dots per inch with the classic window frames, the
// same size as the virtual display of the Windows tests.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <climits>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace {

bool Contains(const RECT& r, POINT pt)
{
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

}  // namespace

namespace sim::win {

namespace {

constexpr int SCREEN_CX = 1280;
constexpr int SCREEN_CY = 1024;
constexpr int CAPTION = 19;
constexpr int MINIMISED_CX = 160;
constexpr int MINIMISED_AT = -32000;

bool Transparent(const Window& w)
{
    return w.pClass->pfnTransparent && w.pClass->pfnTransparent(w.nStyle);
}

}  // namespace

void ScreenSize(int* pcx, int* pcy)
{
    *pcx = SCREEN_CX;
    *pcy = SCREEN_CY;
}

RECT Insets(LONG nStyle, LONG nExStyle)
{
    int n = 0;
    if ((nExStyle & WS_EX_DLGMODALFRAME) || (nStyle & WS_CAPTION) == WS_DLGFRAME)
        n = 3;
    else if (nStyle & WS_THICKFRAME)
        n = 4;
    else if (nStyle & WS_BORDER)
        n = 1;
    if (nExStyle & WS_EX_CLIENTEDGE)
        n += 2;
    if (nExStyle & WS_EX_STATICEDGE)
        n += 1;
    int nTop = n;
    if ((nStyle & WS_CAPTION) == WS_CAPTION)
        nTop += (nExStyle & WS_EX_TOOLWINDOW) ? 15 : CAPTION;
    return RECT{n, nTop, n, n};
}

RECT ScreenRect(Lock& lk, const Window& w)
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

HWND HitTest(Lock& lk, POINT pt)
{
    State& s = S(lk);
    for (HWND hTop : s.topLevel) {
        Window* p = Find(lk, hTop);
        if (!p || !(p->nStyle & WS_VISIBLE) || Transparent(*p) || !Contains(p->rect, pt))
            continue;
        // Down the children: a disabled child leaves the mouse to its parent, a transparent one
        // to what lies under it.
        for (;;) {
            if (p->nStyle & WS_DISABLED)
                return p->hwnd;
            Window* pHit = nullptr;
            for (HWND h : p->children) {
                Window* pChild = Find(lk, h);
                if (pChild && (pChild->nStyle & WS_VISIBLE) && !Transparent(*pChild) &&
                    Contains(ScreenRect(lk, *pChild), pt)) {
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

INT WINAPI GetSystemMetrics(INT nIndex)
{
    switch (nIndex) {
        case SM_CXSCREEN:
        case SM_CXVIRTUALSCREEN:
        case SM_CXFULLSCREEN:
            return SCREEN_CX;
        case SM_CYSCREEN:
        case SM_CYVIRTUALSCREEN:
            return SCREEN_CY;
        case SM_CYFULLSCREEN:
            return SCREEN_CY - CAPTION;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
            return 16;
        case SM_CYCAPTION:
            return CAPTION;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CXMINIMIZED:
            return MINIMISED_CX;
        case SM_CYMINIMIZED:
            return CAPTION + 6;
        case SM_CXSIZE:
        case SM_CYSIZE:
        case SM_CYMENU:
            return 18;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        case SM_CMONITORS:
        case SM_MOUSEPRESENT:
            return 1;
        default:
            return 0;
    }
}

BOOL WINAPI SystemParametersInfoA(UINT nAction, UINT, PVOID pParam, UINT)
{
    if (nAction == SPI_GETWORKAREA && pParam) {
        *static_cast<RECT*>(pParam) = RECT{0, 0, SCREEN_CX, SCREEN_CY};
        return TRUE;
    }
    return FALSE;
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

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT pRect)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (hwnd == GetDesktopWindow()) {
        *pRect = RECT{0, 0, SCREEN_CX, SCREEN_CY};
        return TRUE;
    }
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *pRect = ScreenRect(lk, *p);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT pRect)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (hwnd == GetDesktopWindow()) {
        *pRect = RECT{0, 0, SCREEN_CX, SCREEN_CY};
        return TRUE;
    }
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *pRect = ClientRectOf(*p);
    return TRUE;
}

INT WINAPI MapWindowPoints(HWND hwndFrom, HWND hwndTo, LPPOINT pPoints, UINT nCount)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
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

BOOL WINAPI SetWindowPos(HWND hwnd, HWND hwndAfter, INT x, INT y, INT cx, INT cy, UINT nFlags)
{
    bool bMoved = false;
    bool bSized = false;
    bool bShown = false;
    bool bHidden = false;
    RECT client{};
    POINT at{};
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        State& s = S(lk);
        Window* p = Find(lk, hwnd);
        if (!p) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        RECT r = p->rect;
        if (!(nFlags & SWP_NOMOVE) && (x != r.left || y != r.top)) {
            OffsetRect(&r, x - r.left, y - r.top);
            bMoved = true;
        }
        if (!(nFlags & SWP_NOSIZE) && (cx != r.right - r.left || cy != r.bottom - r.top)) {
            r.right = r.left + std::max(cx, 0);
            r.bottom = r.top + std::max(cy, 0);
            bSized = true;
        }
        if (bMoved || bSized) {
            Invalidate(lk, *p, true, true);
            p->rect = r;
        }
        if (!(nFlags & SWP_NOZORDER)) {
            Window* pParent = Find(lk, p->hwndParent);
            std::vector<HWND>& v = pParent ? pParent->children : s.topLevel;
            v.erase(std::remove(v.begin(), v.end(), hwnd), v.end());
            if (hwndAfter == HWND_BOTTOM)
                v.push_back(hwnd);
            else if (hwndAfter == HWND_TOP || hwndAfter == HWND_TOPMOST ||
                     hwndAfter == HWND_NOTOPMOST)
                v.insert(v.begin(), hwnd);
            else {
                auto it = std::find(v.begin(), v.end(), hwndAfter);
                v.insert(it == v.end() ? v.begin() : it + 1, hwnd);
            }
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
        client = ClientRectOf(*p);
        at = POINT{p->rect.left, p->rect.top};
    }
    if (bSized)
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
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

BOOL WINAPI MoveWindow(HWND hwnd, INT x, INT y, INT cx, INT cy, BOOL)
{
    return SetWindowPos(hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL WINAPI ShowWindow(HWND hwnd, INT nCommand)
{
    bool bWasVisible = false;
    bool bIconic = false;
    bool bTop = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
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

BOOL WINAPI IsZoomed(HWND)
{
    return FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && !(p->nStyle & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL bEnable)
{
    bool bWasDisabled = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        bWasDisabled = (p->nStyle & WS_DISABLED) != 0;
        if (bWasDisabled == !bEnable)
            return bWasDisabled;
    }
    if (!bEnable)
        SendMessageA(hwnd, WM_CANCELMODE, 0, 0);
    bool bLosesFocus = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p)
            return bWasDisabled;
        State& s = S(lk);
        if (bEnable) {
            p->nStyle &= ~WS_DISABLED;
        } else {
            p->nStyle |= WS_DISABLED;
            // A disabled window can have neither the focus nor the mouse.
            const DWORD nThread = CurrentThread(lk);
            const HWND hwndFocus = s.focus[nThread];
            bLosesFocus = hwndFocus && (hwndFocus == hwnd || IsDescendant(lk, hwnd, hwndFocus));
            if (s.capture[nThread] == hwnd)
                s.capture[nThread] = nullptr;
        }
        Invalidate(lk, *p, true, false);
    }
    if (bLosesFocus)
        SetFocusInternal(nullptr);
    SendMessageA(hwnd, WM_ENABLE, bEnable, 0);
    return bWasDisabled;
}

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
    if (!Contains(client, pt))
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
        if (Contains(p->rect, pt))
            return h;
    }
    return hwndParent;
}

HWND WINAPI ChildWindowFromPoint(HWND hwndParent, POINT pt)
{
    return ChildWindowFromPointEx(hwndParent, pt, CWP_ALL);
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

// kernel32's arithmetic of dialog units and the like: a * b / c, rounded half away from zero.
INT WINAPI MulDiv(INT a, INT b, INT c)
{
    if (c == 0)
        return -1;
    long long n = static_cast<long long>(a) * b;
    if ((n < 0) != (c < 0))
        n -= c / 2;
    else
        n += c / 2;
    const long long nResult = n / c;
    return nResult > INT_MAX || nResult < INT_MIN ? -1 : static_cast<INT>(nResult);
}

// ---- user32's rectangle arithmetic

BOOL WINAPI PtInRect(const RECT* pRect, POINT pt)
{
    return pRect && Contains(*pRect, pt);
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

BOOL WINAPI SetRect(LPRECT pRect, INT left, INT top, INT right, INT bottom)
{
    if (!pRect)
        return FALSE;
    *pRect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL WINAPI SetRectEmpty(LPRECT pRect)
{
    return SetRect(pRect, 0, 0, 0, 0);
}

BOOL WINAPI CopyRect(LPRECT pTo, const RECT* pFrom)
{
    if (!pTo || !pFrom)
        return FALSE;
    *pTo = *pFrom;
    return TRUE;
}

BOOL WINAPI InflateRect(LPRECT pRect, INT dx, INT dy)
{
    if (!pRect)
        return FALSE;
    pRect->left -= dx;
    pRect->right += dx;
    pRect->top -= dy;
    pRect->bottom += dy;
    return TRUE;
}

BOOL WINAPI IsRectEmpty(const RECT* pRect)
{
    return !pRect || pRect->right <= pRect->left || pRect->bottom <= pRect->top;
}

BOOL WINAPI EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

BOOL WINAPI IntersectRect(LPRECT pOut, const RECT* a, const RECT* b)
{
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        SetRectEmpty(pOut);
        return FALSE;
    }
    *pOut = r;
    return TRUE;
}

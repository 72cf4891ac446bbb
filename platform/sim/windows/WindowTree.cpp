// The window tree: parents and children, owners, siblings in z-order, and top-level windows
// found by class and caption.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

bool IsDescendant(Lock& lk, HWND hwndAncestor, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    while (p && p->hwndParent) {
        if (p->hwndParent == hwndAncestor)
            return true;
        p = Find(lk, p->hwndParent);
    }
    return false;
}

HWND TopLevelOf(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    while (p && p->hwndParent)
        p = Find(lk, p->hwndParent);
    return p ? p->hwnd : nullptr;
}

Window* DialogOf(Lock& lk, HWND hwnd)
{
    for (Window* p = Find(lk, hwnd); p; p = Find(lk, p->hwndParent))
        if (p->pDialog)
            return p;
    return nullptr;
}

bool IsShown(Lock& lk, const Window& w)
{
    for (const Window* p = &w; p; p = Find(lk, p->hwndParent))
        if (!(p->nStyle & WS_VISIBLE))
            return false;
    return true;
}

bool IsUsable(Lock& lk, const Window& w)
{
    for (const Window* p = &w; p; p = Find(lk, p->hwndParent))
        if (p->nStyle & WS_DISABLED)
            return false;
    return true;
}

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI GetParent(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return nullptr;
    if (p->nStyle & WS_CHILD)
        return p->hwndParent;
    return (p->nStyle & WS_POPUP) ? p->hwndOwner : nullptr;
}

HWND WINAPI GetDesktopWindow(void)
{
    return reinterpret_cast<HWND>(0x10010);
}

HWND WINAPI GetWindow(HWND hwnd, UINT nCommand)
{
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    if (hwnd == GetDesktopWindow() && nCommand == GW_CHILD)
        return s.topLevel.empty() ? nullptr : s.topLevel.front();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return nullptr;
    if (nCommand == GW_CHILD)
        return p->children.empty() ? nullptr : p->children.front();
    if (nCommand == GW_OWNER)
        return p->hwndParent ? nullptr : p->hwndOwner;
    Window* pParent = Find(lk, p->hwndParent);
    const std::vector<HWND>& siblings = pParent ? pParent->children : s.topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (nCommand) {
        case GW_HWNDNEXT:
            return it + 1 == siblings.end() ? nullptr : *(it + 1);
        case GW_HWNDPREV:
            return it == siblings.begin() ? nullptr : *(it - 1);
        default:
            return nullptr;
    }
}

BOOL WINAPI IsChild(HWND hwndParent, HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return IsDescendant(lk, hwndParent, hwnd);
}

HWND WINAPI FindWindowA(LPCSTR pszClass, LPCSTR pszTitle)
{
    Lock lk = World::Get().Acquire();
    for (HWND h : S(lk).topLevel) {
        const Window* p = Find(lk, h);
        if ((!pszClass || IS_INTRESOURCE(pszClass) || SameClassName(p->pClass->name, pszClass)) &&
            (!pszTitle || p->text == FromAnsi(pszTitle)))
            return h;
    }
    return nullptr;
}

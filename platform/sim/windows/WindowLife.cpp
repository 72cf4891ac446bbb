// The life of a window: creation with its messages (WM_NCCREATE, WM_CREATE) and destruction, owned
// windows and children first. A window belongs to the thread that created it, which alone may
// destroy it.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

void SendDestroy(HWND hwnd)
{
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        Lock lk = World::Get().Acquire();
        if (Window* p = Find(lk, hwnd))
            children = p->children;
        for (HWND h : children)
            if (Window* pChild = Find(lk, h))
                pChild->life = Life::Destroying;
    }
    for (HWND h : children)
        SendDestroy(h);
}

// The last of a window: its children go first, then it hears WM_NCDESTROY and is forgotten.
void FinishDestroy(HWND hwnd)
{
    std::vector<HWND> children;
    {
        Lock lk = World::Get().Acquire();
        if (Window* p = Find(lk, hwnd))
            children = p->children;
    }
    for (HWND h : children)
        FinishDestroy(h);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);

    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end())
        return;
    KillWindowTimers(lk, hwnd);
    // Its parent, whose children go first, is still there.
    Window* pParent = Find(lk, it->second->hwndParent);
    auto& siblings = pParent ? pParent->children : s.topLevel;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    for (auto* pMap : {&s.focus, &s.active})
        for (auto& [nThread, h] : *pMap)
            if (h == hwnd)
                h = nullptr;
    if (s.hwndForeground == hwnd)
        s.hwndForeground = nullptr;
    s.windows.erase(it);
    --w.m_live.nWindows;
}

}  // namespace

HWND CreateWindowInternal(const CreateParams& params)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    if (w.TakeFault("CreateWindowExA")) {
        SetError(lk, ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto pClass = FindClass(lk, params.className);
    if (!pClass) {
        SetError(lk, ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool bChild = (params.nStyle & WS_CHILD) != 0;
    Window* pParent = params.hwndParent ? Find(lk, params.hwndParent) : nullptr;
    if ((bChild || params.hwndParent) && !pParent) {
        SetError(lk, params.hwndParent ? ERROR_INVALID_WINDOW_HANDLE : ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }

    auto pw = std::make_shared<Window>();
    Window& win = *pw;
    win.hwnd = reinterpret_cast<HWND>(s.nNextHwnd);
    s.nNextHwnd += 4;
    win.pClass = pClass;
    win.pfnProc = pClass->pfnProc;
    ThreadState& self = w.Current(lk);
    self.bHasQueue = true;
    win.nThread = self.nId;
    // Windows creates a window hidden and shows it at the end of the creation.
    win.nStyle = static_cast<LONG>(params.nStyle & ~WS_VISIBLE);
    if (!bChild)
        win.nStyle |= WS_CLIPSIBLINGS;
    win.nExStyle = static_cast<LONG>(params.nExStyle);
    win.hInstance = params.hInstance;
    win.text = params.text;
    win.nTextOrdinal = params.nTextOrdinal;
    win.extra.assign(static_cast<size_t>(std::max(pClass->cbWndExtra, 0)), 0);
    const int x = params.x == CW_USEDEFAULT ? 0 : params.x;
    const int y = params.y == CW_USEDEFAULT ? 0 : params.y;
    const int cx = params.cx == CW_USEDEFAULT ? 0 : std::max(params.cx, 0);
    const int cy = params.cy == CW_USEDEFAULT ? 0 : std::max(params.cy, 0);
    win.rect = RECT{x, y, x + cx, y + cy};
    if (params.bDialog)
        win.pDialog = std::make_unique<DialogInfo>();
    if (bChild) {
        win.hwndParent = pParent->hwnd;
        win.nId = params.nId;
        pParent->children.push_back(win.hwnd);  // at the bottom: creation order is tab order
    } else {
        win.hwndOwner = params.hwndParent ? TopLevelOf(lk, params.hwndParent) : nullptr;
        s.topLevel.insert(s.topLevel.begin(), win.hwnd);
    }
    s.windows[win.hwnd] = pw;
    ++w.m_live.nWindows;
    const HWND hwnd = win.hwnd;
    lk.unlock();

    // Of the creation's parameters, no procedure reads more than its own (lpCreateParams).
    CREATESTRUCTA cs{};
    cs.lpCreateParams = params.pParam;
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        FinishDestroy(hwnd);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    {
        lk.lock();
        Window* p = Find(lk, hwnd);
        if (!p)
            return nullptr;
        p->life = Life::Alive;
        lk.unlock();
    }
    if (params.nStyle & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI CreateWindowExA(DWORD nExStyle, LPCSTR pszClass, LPCSTR pszName, DWORD nStyle, INT x,
                            INT y, INT cx, INT cy, HWND hwndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID pParam)
{
    CreateParams params;
    params.nExStyle = nExStyle;
    if (!pszClass || IS_INTRESOURCE(pszClass)) {
        Lock lk = World::Get().Acquire();
        SetError(lk, ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    params.className = pszClass;
    params.text = FromAnsi(pszName);
    params.nStyle = nStyle;
    params.x = x;
    params.y = y;
    params.cx = cx;
    params.cy = cy;
    params.hwndParent = hwndParent;
    params.nId = reinterpret_cast<LONG_PTR>(hMenu);
    params.hInstance = hInstance;
    params.pParam = pParam;
    if (!(nStyle & WS_CHILD) && hMenu) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        w.Misuse("CreateWindowExA with a menu: menus are not simulated");
        SetError(lk, ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return CreateWindowInternal(params);
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    std::vector<HWND> owned;
    {
        Lock lk = World::Get().Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return FALSE;
        if (p->nThread != CurrentThread(lk)) {
            SetError(lk, ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (p->life == Life::Destroying)
            return TRUE;
        p->life = Life::Destroying;
        for (auto& [h, pOther] : S(lk).windows)
            if (pOther->hwndOwner == hwnd && pOther->life != Life::Destroying)
                owned.push_back(h);
    }
    for (HWND h : owned)
        DestroyWindow(h);
    // Hidden first, so that the activation and the focus move on before the window goes.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    {
        Lock lk = World::Get().Acquire();
        const HWND hwndFocus = S(lk).focus[CurrentThread(lk)];
        const bool bLosesFocus =
            hwndFocus && (hwndFocus == hwnd || IsDescendant(lk, hwnd, hwndFocus));
        lk.unlock();
        if (bLosesFocus)
            SetFocusInternal(nullptr);
    }
    SendDestroy(hwnd);
    FinishDestroy(hwnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return Find(lk, hwnd) != nullptr;
}

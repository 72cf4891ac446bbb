// Windows and their classes: creation and destruction, the window tree, window longs and
// texts. A window belongs to the thread that created it, which alone may send it messages or
// destroy it.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cstring>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

State& Instance()
{
    static auto* pState = new State;
    return *pState;
}

std::vector<std::shared_ptr<WindowClass>>& BuiltInClasses()
{
    static auto* pClasses = new std::vector<std::shared_ptr<WindowClass>>;
    return *pClasses;
}

// Between tests every window is gone: a test that leaves one alive has been told so by the
// fixture already, from the live counts.
const bool g_bRegistered = [] {
    World::Get().OnReset([] {
        State& s = Instance();
        World::Get().m_live.nWindows -= static_cast<int>(s.windows.size());
        s = State{};
    });
    return true;
}();

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void Unlink(State& s, Window& w)
{
    if (w.hwndParent) {
        if (auto it = s.windows.find(w.hwndParent); it != s.windows.end()) {
            auto& v = it->second->children;
            v.erase(std::remove(v.begin(), v.end(), w.hwnd), v.end());
        }
    } else {
        s.topLevel.erase(std::remove(s.topLevel.begin(), s.topLevel.end(), w.hwnd),
                         s.topLevel.end());
    }
}

void SendDestroy(HWND hwnd)
{
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
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
        World& w = World::Get();
        Lock lk = w.Acquire();
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
    Window& win = *it->second;
    KillWindowTimers(lk, hwnd);
    Unlink(s, win);
    for (auto* pMap : {&s.focus, &s.active, &s.capture})
        for (auto& [nThread, h] : *pMap)
            if (h == hwnd)
                h = nullptr;
    if (s.hwndForeground == hwnd)
        s.hwndForeground = nullptr;
    for (auto& [h, dc] : s.dcs)
        if (dc.hwnd == hwnd)
            dc.hwnd = nullptr;
    // A dialog forgets a control that goes before it does.
    for (auto& [h, pOther] : s.windows)
        if (pOther->pDialog && pOther->pDialog->hwndFocus == hwnd)
            pOther->pDialog->hwndFocus = nullptr;
    s.windows.erase(it);
    --w.m_live.nWindows;
}

}  // namespace

State& S(Lock&)
{
    return Instance();
}

DWORD CurrentThread(Lock& lk)
{
    return World::Get().Current(lk).nId;
}

Window* Find(Lock& lk, HWND hwnd)
{
    State& s = S(lk);
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<Window> FindShared(Lock& lk, HWND hwnd)
{
    State& s = S(lk);
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second;
}

std::shared_ptr<WindowClass> FindClass(Lock& lk, const std::string& name)
{
    State& s = S(lk);
    for (auto& p : s.classes)
        if (SameName(p->name, name))
            return p;
    for (auto& p : BuiltInClasses())
        if (SameName(p->name, name) && (!p->bCommonControl || s.bCommonControls))
            return p;
    return nullptr;
}

void AddBuiltInClass(const WindowClass& cls)
{
    auto p = std::make_shared<WindowClass>(cls);
    p->bBuiltIn = true;
    BuiltInClasses().push_back(p);
}

LRESULT ControlFont(HWND hwnd, UINT nMessage, WPARAM wParam)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    if (nMessage == WM_SETFONT) {
        p->hFont = reinterpret_cast<HFONT>(wParam);
        return 0;
    }
    return reinterpret_cast<LRESULT>(p->hFont);
}

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
    if (bChild && !pParent) {
        SetError(lk, params.hwndParent ? ERROR_INVALID_WINDOW_HANDLE : ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (params.hwndParent && !pParent) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
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
    const RECT client = ClientRectOf(win);
    lk.unlock();

    const std::string name = ToAnsi(params.text);
    CREATESTRUCTA cs{};
    cs.lpCreateParams = params.pParam;
    cs.hInstance = params.hInstance;
    cs.hMenu = reinterpret_cast<HMENU>(params.nId);
    cs.hwndParent = params.hwndParent;
    cs.cx = cx;
    cs.cy = cy;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(params.nStyle);
    cs.lpszName = name.c_str();
    cs.lpszClass = params.className.c_str();
    cs.dwExStyle = params.nExStyle;
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
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if (params.nStyle & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

}  // namespace sim::win

using namespace sim::win;

// ---- classes

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* pClass)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!pClass || pClass->cbSize != sizeof(WNDCLASSEXA) || !pClass->lpszClassName ||
        IS_INTRESOURCE(pClass->lpszClassName)) {
        SetError(lk, ERROR_INVALID_PARAMETER);
        return 0;
    }
    State& s = S(lk);
    if (auto p = FindClass(lk, pClass->lpszClassName); p && p->hInstance == pClass->hInstance) {
        SetError(lk, ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto p = std::make_shared<WindowClass>();
    p->name = pClass->lpszClassName;
    p->pfnProc = pClass->lpfnWndProc;
    p->nStyle = pClass->style;
    p->cbWndExtra = pClass->cbWndExtra;
    p->hInstance = pClass->hInstance;
    p->hIcon = pClass->hIcon;
    p->hbrBackground = pClass->hbrBackground;
    s.classes.push_back(p);
    return static_cast<ATOM>(0xC000 + s.classes.size());
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* pClass)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = pClass->style;
    wc.lpfnWndProc = pClass->lpfnWndProc;
    wc.cbClsExtra = pClass->cbClsExtra;
    wc.cbWndExtra = pClass->cbWndExtra;
    wc.hInstance = pClass->hInstance;
    wc.hIcon = pClass->hIcon;
    wc.hCursor = pClass->hCursor;
    wc.hbrBackground = pClass->hbrBackground;
    wc.lpszMenuName = pClass->lpszMenuName;
    wc.lpszClassName = pClass->lpszClassName;
    return RegisterClassExA(&wc);
}

BOOL WINAPI UnregisterClassA(LPCSTR pszClassName, HINSTANCE)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    for (auto it = s.classes.begin(); it != s.classes.end(); ++it) {
        if (!SameName((*it)->name, pszClassName))
            continue;
        for (auto& [h, pWindow] : s.windows)
            if (pWindow->pClass == *it) {
                SetError(lk, ERROR_CLASS_HAS_WINDOWS);
                return FALSE;
            }
        s.classes.erase(it);
        return TRUE;
    }
    SetError(lk, ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

INT WINAPI GetClassNameA(HWND hwnd, LPSTR pszBuffer, INT nMax)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyAnsi(FromAnsi(p->pClass->name.c_str()), pszBuffer, nMax);
}

// ---- creation and destruction

HWND WINAPI CreateWindowExA(DWORD nExStyle, LPCSTR pszClass, LPCSTR pszName, DWORD nStyle, INT x,
                            INT y, INT cx, INT cy, HWND hwndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID pParam)
{
    CreateParams params;
    params.nExStyle = nExStyle;
    if (!pszClass || IS_INTRESOURCE(pszClass)) {
        World& w = World::Get();
        Lock lk = w.Acquire();
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
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
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
        World& w = World::Get();
        Lock lk = w.Acquire();
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
    World& w = World::Get();
    Lock lk = w.Acquire();
    return Find(lk, hwnd) != nullptr;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD pnProcess)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (pnProcess)
        *pnProcess = GetCurrentProcessId();
    return p->nThread;
}

// ---- the tree

HWND WINAPI GetParent(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (p->nStyle & WS_CHILD)
        return p->hwndParent;
    return (p->nStyle & WS_POPUP) ? p->hwndOwner : nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p)
        return nullptr;
    switch (nFlags) {
        case GA_PARENT:
            return p->hwndParent ? p->hwndParent : GetDesktopWindow();
        case GA_ROOT:
            return TopLevelOf(lk, hwnd);
        case GA_ROOTOWNER: {
            Window* pTop = Find(lk, TopLevelOf(lk, hwnd));
            while (pTop && pTop->hwndOwner)
                pTop = Find(lk, pTop->hwndOwner);
            return pTop ? pTop->hwnd : nullptr;
        }
        default:
            return nullptr;
    }
}

HWND WINAPI GetDesktopWindow(void)
{
    return reinterpret_cast<HWND>(0x10010);
}

HWND WINAPI GetWindow(HWND hwnd, UINT nCommand)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (nCommand == GW_CHILD)
        return p->children.empty() ? nullptr : p->children.front();
    if (nCommand == GW_OWNER)
        return p->hwndParent ? nullptr : p->hwndOwner;
    Window* pParent = Find(lk, p->hwndParent);
    const std::vector<HWND>& siblings = pParent ? pParent->children : s.topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it == siblings.end())
        return nullptr;
    switch (nCommand) {
        case GW_HWNDFIRST:
            return siblings.front();
        case GW_HWNDLAST:
            return siblings.back();
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
    World& w = World::Get();
    Lock lk = w.Acquire();
    return IsDescendant(lk, hwndParent, hwnd);
}

BOOL WINAPI EnumChildWindows(HWND hwndParent, WNDENUMPROC pfnEnum, LPARAM lParam)
{
    std::vector<HWND> all;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        // Depth first, each window before its own children, as Windows enumerates them.
        std::vector<HWND> stack;
        if (Window* p = Find(lk, hwndParent))
            stack.assign(p->children.rbegin(), p->children.rend());
        while (!stack.empty()) {
            HWND h = stack.back();
            stack.pop_back();
            all.push_back(h);
            if (Window* p = Find(lk, h))
                stack.insert(stack.end(), p->children.rbegin(), p->children.rend());
        }
    }
    for (HWND h : all)
        if (IsWindow(h) && !pfnEnum(h, lParam))
            break;
    return TRUE;
}

INT WINAPI GetDlgCtrlID(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return (p->nStyle & WS_CHILD) ? static_cast<INT>(p->nId) : 0;
}

HWND WINAPI GetDlgItem(HWND hwndDialog, INT nId)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwndDialog);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    for (HWND h : p->children)
        if (Window* pChild = Find(lk, h); pChild && static_cast<INT>(pChild->nId) == nId)
            return h;
    SetError(lk, ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

// ---- window longs

namespace {

bool ExtraRange(Lock& lk, Window& win, INT nIndex, size_t nSize)
{
    if (nIndex >= 0 && static_cast<size_t>(nIndex) + nSize <= win.extra.size())
        return true;
    SetError(lk, ERROR_INVALID_INDEX);
    return false;
}

LONG_PTR GetLong(HWND hwnd, INT nIndex, size_t nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
        case GWL_STYLE:
            return p->nStyle;
        case GWL_EXSTYLE:
            return p->nExStyle;
        case GWLP_ID:
            return p->nId;
        case GWLP_USERDATA:
            return p->nUserData;
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(p->pfnProc);
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(p->hInstance);
        case GWLP_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(p->hwndParent ? p->hwndParent : p->hwndOwner);
        default:
            break;
    }
    if (!ExtraRange(lk, *p, nIndex, nSize))
        return 0;
    if (nSize == sizeof(LONG)) {
        LONG n;
        std::memcpy(&n, &p->extra[static_cast<size_t>(nIndex)], sizeof n);
        return n;
    }
    LONG_PTR n;
    std::memcpy(&n, &p->extra[static_cast<size_t>(nIndex)], sizeof n);
    return n;
}

LONG_PTR SetLong(HWND hwnd, INT nIndex, LONG_PTR nValue, size_t nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if (!p) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR nOld = 0;
    switch (nIndex) {
        case GWL_STYLE:
            nOld = p->nStyle;
            p->nStyle = static_cast<LONG>(nValue);
            return nOld;
        case GWL_EXSTYLE:
            nOld = p->nExStyle;
            p->nExStyle = static_cast<LONG>(nValue);
            return nOld;
        case GWLP_ID:
            nOld = p->nId;
            p->nId = nValue;
            return nOld;
        case GWLP_USERDATA:
            nOld = p->nUserData;
            p->nUserData = nValue;
            return nOld;
        case GWLP_WNDPROC:
            if (p->nThread != CurrentThread(lk)) {
                SetError(lk, ERROR_ACCESS_DENIED);
                return 0;
            }
            nOld = reinterpret_cast<LONG_PTR>(p->pfnProc);
            p->pfnProc = reinterpret_cast<WNDPROC>(nValue);
            return nOld;
        case GWLP_HINSTANCE:
            nOld = reinterpret_cast<LONG_PTR>(p->hInstance);
            p->hInstance = reinterpret_cast<HINSTANCE>(nValue);
            return nOld;
        default:
            break;
    }
    if (!ExtraRange(lk, *p, nIndex, nSize))
        return 0;
    if (nSize == sizeof(LONG)) {
        LONG n;
        std::memcpy(&n, &p->extra[static_cast<size_t>(nIndex)], sizeof n);
        const LONG nNew = static_cast<LONG>(nValue);
        std::memcpy(&p->extra[static_cast<size_t>(nIndex)], &nNew, sizeof nNew);
        return n;
    }
    std::memcpy(&nOld, &p->extra[static_cast<size_t>(nIndex)], sizeof nOld);
    std::memcpy(&p->extra[static_cast<size_t>(nIndex)], &nValue, sizeof nValue);
    return nOld;
}

}  // namespace

LONG WINAPI GetWindowLongA(HWND hwnd, INT nIndex)
{
    return static_cast<LONG>(GetLong(hwnd, nIndex, sizeof(LONG)));
}

LONG WINAPI SetWindowLongA(HWND hwnd, INT nIndex, LONG nValue)
{
    return static_cast<LONG>(SetLong(hwnd, nIndex, nValue, sizeof(LONG)));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, INT nIndex)
{
    return GetLong(hwnd, nIndex, sizeof(LONG_PTR));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, INT nIndex, LONG_PTR nValue)
{
    return SetLong(hwnd, nIndex, nValue, sizeof(LONG_PTR));
}

// ---- texts

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR pszText)
{
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText)) != 0;
}

INT WINAPI GetWindowTextA(HWND hwnd, LPSTR pszBuffer, INT nMax)
{
    if (!pszBuffer || nMax <= 0)
        return 0;
    pszBuffer[0] = '\0';
    return static_cast<INT>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(nMax),
                                         reinterpret_cast<LPARAM>(pszBuffer)));
}

INT WINAPI GetWindowTextLengthA(HWND hwnd)
{
    return static_cast<INT>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND WINAPI FindWindowA(LPCSTR pszClass, LPCSTR pszTitle)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    for (HWND h : S(lk).topLevel) {
        Window* p = Find(lk, h);
        if (!p)
            continue;
        if (pszClass && !IS_INTRESOURCE(pszClass) && !SameName(p->pClass->name, pszClass))
            continue;
        if (pszTitle && p->text != FromAnsi(pszTitle))
            continue;
        return h;
    }
    return nullptr;
}

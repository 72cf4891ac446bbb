#include "tests/support/Input.h"

#include <commctrl.h>

#include <cstring>

namespace {

// Whether a person could reach the window: it and its parents exist, show and are enabled.
bool Reachable(HWND hwnd)
{
    for (HWND h = hwnd; h; h = (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
        if (!IsWindow(h) || !IsWindowVisible(h) || !IsWindowEnabled(h))
            return false;
    return hwnd != nullptr;
}

// Class names as Windows and the simulation give them, "Button", "#32770".
bool IsClass(HWND hwnd, const char* pszClass)
{
    char szClass[64] = {};
    GetClassNameA(hwnd, szClass, sizeof szClass);
    return std::strcmp(szClass, pszClass) == 0;
}

// A left press and release at a point of the window's client area, the cursor moved there
// first as the person's hand would.
bool PressAt(HWND hwnd, POINT pt)
{
    if (!Reachable(hwnd))
        return false;
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    input::Settle(hwnd);
    return true;
}

bool SystemCommand(HWND hwnd, WPARAM nCommand, LONG nNeeded)
{
    const LONG nStyle = GetWindowLongA(hwnd, GWL_STYLE);
    if (!Reachable(hwnd) || (nStyle & WS_CHILD) || (nStyle & WS_CAPTION) != WS_CAPTION ||
        (nStyle & nNeeded) != nNeeded)
        return false;
    if (nCommand == SC_RESTORE ? !IsIconic(hwnd) : (nCommand == SC_MINIMIZE && IsIconic(hwnd)))
        return false;
    PostMessageA(hwnd, WM_SYSCOMMAND, nCommand, 0);
    input::Settle(hwnd);
    return true;
}

}  // namespace

bool input::Click(HWND hwnd)
{
    if (!IsClass(hwnd, "Button")) {
        RECT r{};
        GetClientRect(hwnd, &r);
        return PressAt(hwnd, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    if (!Reachable(hwnd))
        return false;
    PostMessageA(hwnd, BM_CLICK, 0, 0);
    Settle(hwnd);
    return true;
}

bool input::PressArrow(HWND hwndUpDown, bool bUp)
{
    RECT r{};
    GetClientRect(hwndUpDown, &r);
    const LONG cy = r.bottom - r.top;
    return PressAt(hwndUpDown, POINT{(r.left + r.right) / 2, bUp ? cy / 4 : cy - 1 - cy / 4});
}

bool input::PressKey(UINT nKey, unsigned nModifiers)
{
    HWND hwnd = Focus();
    const bool bAlt = (nModifiers & KEY_ALT) != 0;
    // Keys pressed while no window has the focus go to the active window as system keys.
    const bool bSystem = bAlt || !hwnd;
    if (!hwnd)
        hwnd = Foreground();
    if (!hwnd)
        return false;
    const LPARAM nContext = bAlt ? LPARAM(1) << 29 : 0;
    PostMessageA(hwnd, bSystem ? WM_SYSKEYDOWN : WM_KEYDOWN, nKey, 1 | nContext);
    // The system follows the key-down of F1 with WM_KEYF1, for help.
    if (nKey == VK_F1 && !bSystem)
        PostMessageA(hwnd, 0x004D, 0, 0);
    PostMessageA(hwnd, bSystem ? WM_SYSKEYUP : WM_KEYUP, nKey,
                 1 | nContext | (LPARAM(1) << 30) | (LPARAM(1) << 31));
    Settle(hwnd);
    return true;
}

bool input::ChooseListItem(HWND hwndCombo, int nIndex)
{
    if (!Reachable(hwndCombo) || nIndex < 0 ||
        nIndex >= static_cast<int>(SendMessageA(hwndCombo, CB_GETCOUNT, 0, 0)))
        return false;
    PostMessageA(hwndCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    PostMessageA(GetParent(hwndCombo), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(hwndCombo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(hwndCombo));
    Settle(hwndCombo);
    return true;
}

bool input::Minimise(HWND hwnd)
{
    return SystemCommand(hwnd, SC_MINIMIZE, WS_MINIMIZEBOX | WS_SYSMENU);
}

bool input::Restore(HWND hwnd)
{
    return SystemCommand(hwnd, SC_RESTORE, WS_SYSMENU);
}

bool input::CloseBox(HWND hwnd)
{
    return SystemCommand(hwnd, SC_CLOSE, WS_SYSMENU);
}

bool input::AnswerMessageBox(HWND hwndOwner, int nAnswer)
{
    for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetWindow(h, GW_OWNER) == hwndOwner && IsClass(h, "#32770") && Reachable(h))
            if (HWND hwndButton = GetDlgItem(h, nAnswer))
                return Click(hwndButton);
    return false;
}

std::string input::ToolTipText(HWND hwndControl)
{
    const HWND hwndParent = GetParent(hwndControl);
    const HWND hwndTip = FindWindowA(TOOLTIPS_CLASSA, nullptr);
    if (!hwndParent || !hwndTip || GetWindow(hwndTip, GW_OWNER) != hwndParent)
        return "";
    // The mouse comes to rest on the control, which is told of it; a disabled control's mouse
    // goes to its parent. The window that hears it relays it to the tooltip.
    RECT r{};
    GetClientRect(hwndControl, &r);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(hwndControl, &pt);
    SetCursorPos(pt.x, pt.y);
    const HWND hwndHears = IsWindowEnabled(hwndControl) ? hwndControl : hwndParent;
    ScreenToClient(hwndHears, &pt);
    PostMessageA(hwndHears, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    Settle(hwndHears);
    NMTTDISPINFOA request{};
    request.hdr.hwndFrom = hwndTip;
    request.hdr.idFrom = reinterpret_cast<UINT_PTR>(hwndControl);
    request.hdr.code = TTN_NEEDTEXTA;
    request.uFlags = TTF_IDISHWND;
    request.lpszText = request.szText;
    SendMessageA(hwndParent, WM_NOTIFY, request.hdr.idFrom, reinterpret_cast<LPARAM>(&request));
    return request.lpszText ? request.lpszText : "";
}

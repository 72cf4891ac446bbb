#include "framework/Wnd.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

#include <algorithm>
#include <map>

namespace {

// The windows whose messages the framework handles, per thread: a window belongs to the thread
// that made it, so no lock is needed.
thread_local std::map<HWND, CWnd*> t_permanent;

// The first and last ids of commands, as opposed to controls' ids and system commands.
constexpr UINT FIRST_COMMAND = 0x8000;
constexpr UINT LAST_COMMAND = 0xEFFF;

bool IsMouseMessage(UINT nMessage)
{
    switch (nMessage) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return true;
        default:
            return false;
    }
}

}  // namespace

CWnd::~CWnd()
{
    // The control members, parts of the derived object, are gone already.
    m_bound.clear();
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    auto it = t_permanent.find(hwnd);
    return it == t_permanent.end() ? nullptr : it->second;
}

HWND CWnd::Detach()
{
    const HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    return hwnd;
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::PreTranslateMessage(MSG* pMsg)
{
    RelayToolTipMessage(*pMsg);
    return FALSE;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, nMessage, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, nMessage, wParam, lParam);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::ShowWindow(int nCommand)
{
    return ::ShowWindow(m_hWnd, nCommand);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

int CWnd::GetWindowText(LPSTR pszBuffer, int nMax) const
{
    return ::GetWindowTextA(m_hWnd, pszBuffer, nMax);
}

void CWnd::GetClientRect(LPRECT pRect) const
{
    ::GetClientRect(m_hWnd, pRect);
}

void CWnd::GetWindowRect(LPRECT pRect) const
{
    ::GetWindowRect(m_hWnd, pRect);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nId, UINT nElapse)
{
    return ::SetTimer(m_hWnd, nId, nElapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR nId)
{
    return ::KillTimer(m_hWnd, nId);
}

int CWnd::MessageBox(LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    if (!pszCaption && AfxGetApp())
        pszCaption = AfxGetApp()->m_pszAppName;
    return ::MessageBoxA(m_hWnd, pszText, pszCaption, nType);
}

void CWnd::CenterWindow()
{
    HWND hwndCenter = ::GetWindow(m_hWnd, GW_OWNER);
    // A hidden or minimised owner is no place to be centred over.
    if (hwndCenter) {
        const DWORD nOwnerStyle = static_cast<DWORD>(::GetWindowLongA(hwndCenter, GWL_STYLE));
        if (!(nOwnerStyle & WS_VISIBLE) || (nOwnerStyle & WS_MINIMIZE))
            hwndCenter = nullptr;
    }
    RECT area;
    RECT center;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    if (hwndCenter)
        ::GetWindowRect(hwndCenter, &center);
    else
        center = area;
    RECT r;
    GetWindowRect(&r);
    const LONG cx = r.right - r.left;
    const LONG cy = r.bottom - r.top;
    LONG x = (center.left + center.right) / 2 - cx / 2;
    LONG y = (center.top + center.bottom) / 2 - cy / 2;
    // Within the work area, its top left corner rather than its bottom right.
    x = std::max(area.left, std::min(x, area.right - cx));
    y = std::max(area.top, std::min(y, area.bottom - cy));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    if (!bEnable) {
        if (m_hWndToolTip)
            ::SendMessageA(m_hWndToolTip, TTM_ACTIVATE, FALSE, 0);
        return TRUE;
    }
    if (!m_hWndToolTip) {
        // Owned by this window, the tooltip goes when the window goes.
        m_hWndToolTip = ::CreateWindowExA(
            0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
            CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, AfxGetInstanceHandle(), nullptr);
        if (!m_hWndToolTip)
            return FALSE;
        const LONG_PTR pfnOriginal = ::SetWindowLongPtrA(m_hWndToolTip, GWLP_WNDPROC,
                                                         reinterpret_cast<LONG_PTR>(ToolTipProc));
        ::SetWindowLongPtrA(m_hWndToolTip, GWLP_USERDATA, pfnOriginal);
        for (HWND hwnd = ::GetWindow(m_hWnd, GW_CHILD); hwnd;
             hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
            TTTOOLINFOA tool{};
            tool.cbSize = TTTOOLINFOA_V1_SIZE;
            tool.uFlags = TTF_IDISHWND;
            tool.hwnd = m_hWnd;
            tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
            tool.hinst = AfxGetInstanceHandle();
            tool.lpszText = LPSTR_TEXTCALLBACKA;
            ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    ::SendMessageA(m_hWndToolTip, TTM_ACTIVATE, TRUE, 0);
    return TRUE;
}

// The tooltip asks where the mouse is with TTM_WINDOWFROMPOINT, and Windows' answer skips
// disabled controls: over a disabled control it names the dialog, whose tools are none. The
// owner answers instead with the control under the point, enabled or not.
LRESULT CALLBACK CWnd::ToolTipProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    const auto pfnOriginal = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (nMessage == TTM_WINDOWFROMPOINT && lParam) {
        const HWND hwndOwner = ::GetWindow(hwnd, GW_OWNER);
        POINT pt = *reinterpret_cast<const POINT*>(lParam);
        ::ScreenToClient(hwndOwner, &pt);
        if (HWND hwndAt = ::ChildWindowFromPointEx(hwndOwner, pt, CWP_SKIPINVISIBLE))
            return reinterpret_cast<LRESULT>(hwndAt);
    }
    return ::CallWindowProcA(pfnOriginal, hwnd, nMessage, wParam, lParam);
}

// The tooltip sees the mouse only through the messages relayed to it, named after the control
// under the mouse, which may be a disabled one whose messages Windows gives to this window.
void CWnd::RelayToolTipMessage(const MSG& msg) const
{
    if (!m_hWndToolTip || !IsMouseMessage(msg.message) ||
        (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)))
        return;
    MSG relay = msg;
    POINT pt = msg.pt;
    relay.hwnd = reinterpret_cast<HWND>(
        ::SendMessageA(m_hWndToolTip, TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&pt)));
    if (!relay.hwnd)
        return;
    pt = msg.pt;
    ::ScreenToClient(relay.hwnd, &pt);
    relay.lParam = MAKELPARAM(pt.x, pt.y);
    ::SendMessageA(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_msgCurrent.message, m_msgCurrent.wParam, m_msgCurrent.lParam);
}

LRESULT CWnd::DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, nMessage, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, nMessage, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    LRESULT nResult = 0;
    switch (nMessage) {
        case WM_COMMAND:
            if (RouteCommand(wParam, lParam, &nResult))
                return nResult;
            break;
        case WM_NOTIFY: {
            // The control id is that of the window the notification comes from, as the message
            // maps name it: a tooltip, a popup, has none.
            const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
            const UINT nId = static_cast<UINT>(::GetDlgCtrlID(pHeader->hwndFrom));
            if (HandleMessage(WM_NOTIFY, pHeader->code, nId, wParam, lParam, &nResult))
                return nResult;
            break;
        }
        default:
            if (HandleMessage(nMessage, 0, 0, wParam, lParam, &nResult))
                return nResult;
            break;
    }
    return DefWindowProc(nMessage, wParam, lParam);
}

// A command that the window does not handle goes on to its owner and then to the application;
// controls' notifications and system commands stay with the window.
bool CWnd::RouteCommand(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const UINT nId = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    if (HandleMessage(WM_COMMAND, nCode, nId, wParam, lParam, pResult))
        return true;
    if (nCode != 0 || nId < FIRST_COMMAND || nId > LAST_COMMAND)
        return false;
    if (CWnd* pOwner = FromHandlePermanent(::GetWindow(m_hWnd, GW_OWNER)))
        if (pOwner->HandleMessage(WM_COMMAND, nCode, nId, wParam, lParam, pResult))
            return true;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->HandleMessage(WM_COMMAND, nCode, nId, wParam, lParam, pResult);
}

void CWnd::SubclassWindow(HWND hwnd)
{
    m_hWnd = hwnd;
    t_permanent[hwnd] = this;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWindowProc)));
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hwnd);
    if (!pWnd)
        return ::DefWindowProcA(hwnd, nMessage, wParam, lParam);
    const MSG saved = pWnd->m_msgCurrent;
    pWnd->m_msgCurrent = MSG{hwnd, nMessage, wParam, lParam, 0, {0, 0}};
    const LRESULT nResult = pWnd->WindowProc(nMessage, wParam, lParam);
    pWnd->m_msgCurrent = saved;
    if (nMessage == WM_NCDESTROY)
        pWnd->OnFinalMessage();
    return nResult;
}

// The window is gone: nothing may refer to it any more. PostNcDestroy comes last, since it may
// delete the object.
void CWnd::OnFinalMessage()
{
    t_permanent.erase(m_hWnd);
    for (CWnd* pControl : m_bound)
        pControl->Detach();
    m_bound.clear();
    m_hWndToolTip = nullptr;
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    if (CWinApp* pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == this) {
        // The main window gone, the application's message loop, if it runs one, ends.
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();
}

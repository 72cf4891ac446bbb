// The tooltip control ("tooltips_class32", a common control). It sees the mouse only through
// the messages its owner relays (TTM_RELAYEVENT). When the mouse rests on a tool for the
// initial delay it checks again where the cursor is (through TTM_WINDOWFROMPOINT, which its
// owner may answer itself), asks the tool's window for the text of a callback tool with
// TTN_GETDISPINFOA (TTN_NEEDTEXTA) and shows the text, if any, until the automatic pop delay
// ends, the mouse moves to another tool or a button is pressed.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

constexpr UINT_PTR ID_SHOW = 1;
constexpr UINT_PTR ID_POP = 2;

struct Tool
{
    UINT nFlags = 0;
    HWND hwnd = nullptr;
    UINT_PTR nId = 0;
    RECT rect{};
    bool bCallback = false;
    std::u16string text;
    LPARAM lParam = 0;
};

struct TooltipData : ControlData
{
    std::vector<Tool> tools;
    int nCurrent = -1;  // the tool under the mouse
    bool bShown = false;
    bool bActive = true;
    bool bSuppressed = false;  // a button went down on the current tool
    int nInitial = 0;
    int nAutoPop = 0;
    int nReshow = 0;
};

void DefaultDelays(TooltipData& d)
{
    const int n = static_cast<int>(GetDoubleClickTime());
    d.nInitial = n;
    d.nAutoPop = n * 10;
    d.nReshow = n / 5;
}

int ToolAt(const TooltipData& d, HWND hwnd, POINT pt)
{
    for (size_t i = 0; i < d.tools.size(); ++i) {
        const Tool& t = d.tools[i];
        if (t.nFlags & TTF_IDISHWND) {
            if (reinterpret_cast<HWND>(t.nId) == hwnd)
                return static_cast<int>(i);
        } else if (t.hwnd == hwnd && PtInRect(&t.rect, pt)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Tell(HWND hwnd, const Tool& tool, UINT nCode)
{
    NMHDR header{};
    header.hwndFrom = hwnd;
    header.idFrom = tool.nId;
    header.code = nCode;
    if (IsWindow(tool.hwnd))
        SendMessageA(tool.hwnd, WM_NOTIFY, tool.nId, reinterpret_cast<LPARAM>(&header));
}

void Pop(HWND hwnd)
{
    Tool tool;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<TooltipData>(lk, hwnd);
        if (!p || !p->bShown)
            return;
        p->bShown = false;
        if (p->nCurrent >= 0)
            tool = p->tools[static_cast<size_t>(p->nCurrent)];
    }
    KillTimer(hwnd, ID_POP);
    ShowWindow(hwnd, SW_HIDE);
    if (tool.hwnd)
        Tell(hwnd, tool, TTN_POP);
}

// The text of a tool; a callback tool's window is asked for it.
std::u16string TextOf(HWND hwnd, Tool tool)
{
    if (!tool.bCallback)
        return tool.text;
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = hwnd;
    info.hdr.idFrom = tool.nId;
    info.hdr.code = TTN_GETDISPINFOA;
    info.lpszText = info.szText;
    info.uFlags = tool.nFlags;
    info.lParam = tool.lParam;
    if (!IsWindow(tool.hwnd))
        return u"";
    SendMessageA(tool.hwnd, WM_NOTIFY, tool.nId, reinterpret_cast<LPARAM>(&info));
    if (!info.lpszText || info.lpszText == LPSTR_TEXTCALLBACKA || IS_INTRESOURCE(info.lpszText))
        return u"";
    return FromAnsi(info.lpszText);
}

void Show(HWND hwnd)
{
    KillTimer(hwnd, ID_SHOW);
    Tool tool;
    int nCurrent = -1;
    int nAutoPop = 0;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<TooltipData>(lk, hwnd);
        if (!p || !p->bActive || p->bSuppressed || p->nCurrent < 0)
            return;
        nCurrent = p->nCurrent;
        tool = p->tools[static_cast<size_t>(nCurrent)];
        nAutoPop = p->nAutoPop;
    }
    // Is the mouse still on that tool?
    POINT pt;
    GetCursorPos(&pt);
    const POINT ptScreen = pt;
    const HWND hwndAt = reinterpret_cast<HWND>(
        SendMessageA(hwnd, TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&pt)));
    if (!hwndAt)
        return;
    ScreenToClient(hwndAt, &pt);
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<TooltipData>(lk, hwnd);
        if (!p || ToolAt(*p, hwndAt, pt) != nCurrent)
            return;
    }
    const std::u16string text = TextOf(hwnd, tool);
    if (text.empty())
        return;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<TooltipData>(lk, hwnd);
        if (!p || p->nCurrent != nCurrent)
            return;
        Window* pw = Find(lk, hwnd);
        pw->text = text;
        const LONG cx = static_cast<LONG>(text.size()) * 12 + 8;
        pw->rect = RECT{ptScreen.x, ptScreen.y + 20, ptScreen.x + cx, ptScreen.y + 20 + 19};
        p->bShown = true;
    }
    Tell(hwnd, tool, TTN_SHOW);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(hwnd, ID_POP, static_cast<UINT>(nAutoPop), nullptr);
}

void Relay(HWND hwnd, const MSG& msg)
{
    switch (msg.message) {
        case WM_MOUSEMOVE: {
            const POINT pt{static_cast<short>(LOWORD(msg.lParam)),
                           static_cast<short>(HIWORD(msg.lParam))};
            bool bChanged = false;
            bool bWasShown = false;
            int nDelay = 0;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<TooltipData>(lk, hwnd);
                if (!p)
                    return;
                const int nTool = ToolAt(*p, msg.hwnd, pt);
                if (nTool == p->nCurrent)
                    return;
                bWasShown = p->bShown;
                bChanged = true;
                nDelay = bWasShown ? p->nReshow : p->nInitial;
            }
            if (bWasShown)
                Pop(hwnd);
            KillTimer(hwnd, ID_SHOW);
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<TooltipData>(lk, hwnd);
            p->nCurrent = ToolAt(*p, msg.hwnd, pt);
            p->bSuppressed = false;
            const bool bWait = bChanged && p->nCurrent >= 0 && p->bActive;
            lk.unlock();
            if (bWait)
                SetTimer(hwnd, ID_SHOW, static_cast<UINT>(nDelay), nullptr);
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: {
            Pop(hwnd);
            KillTimer(hwnd, ID_SHOW);
            World& w = World::Get();
            Lock lk = w.Acquire();
            if (auto p = Data<TooltipData>(lk, hwnd))
                p->bSuppressed = true;
            return;
        }
        default:
            return;
    }
}

LRESULT CALLBACK TooltipProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Window* pw = Find(lk, hwnd);
            auto p = std::make_shared<TooltipData>();
            DefaultDelays(*p);
            pw->pData = p;
            pw->nStyle |= WS_POPUP;
            pw->nExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
            return 0;
        }
        case WM_NCHITTEST:
            return HTTRANSPARENT;
        case WM_TIMER:
            if (wParam == ID_SHOW)
                Show(hwnd);
            else if (wParam == ID_POP)
                Pop(hwnd);
            return 0;
        case TTM_RELAYEVENT:
            if (lParam)
                Relay(hwnd, *reinterpret_cast<const MSG*>(lParam));
            return 0;
        case TTM_WINDOWFROMPOINT:
            return reinterpret_cast<LRESULT>(
                WindowFromPoint(*reinterpret_cast<const POINT*>(lParam)));
        case TTM_ACTIVATE: {
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                Data<TooltipData>(lk, hwnd)->bActive = wParam != 0;
            }
            if (!wParam) {
                Pop(hwnd);
                KillTimer(hwnd, ID_SHOW);
            }
            return 0;
        }
        case TTM_ADDTOOLA: {
            const auto* pInfo = reinterpret_cast<const TTTOOLINFOA*>(lParam);
            if (!pInfo || pInfo->cbSize < TTTOOLINFOA_V1_SIZE)
                return FALSE;
            Tool tool;
            tool.nFlags = pInfo->uFlags;
            tool.hwnd = pInfo->hwnd;
            tool.nId = pInfo->uId;
            tool.rect = pInfo->rect;
            if (pInfo->lpszText == LPSTR_TEXTCALLBACKA)
                tool.bCallback = true;
            else if (pInfo->lpszText && !IS_INTRESOURCE(pInfo->lpszText))
                tool.text = FromAnsi(pInfo->lpszText);
            if (pInfo->cbSize >= TTTOOLINFOA_V2_SIZE)
                tool.lParam = pInfo->lParam;
            // The tool's window says whether it wants ANSI or Unicode notifications; the windows of
            // the simulation are all ANSI.
            if (IsWindow(tool.hwnd))
                SendMessageA(tool.hwnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY);
            World& w = World::Get();
            Lock lk = w.Acquire();
            Data<TooltipData>(lk, hwnd)->tools.push_back(tool);
            return TRUE;
        }
        default:
            if (nMessage >= WM_USER && nMessage < SIM_PICKITEM)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = TOOLTIPS_CLASSA;
    cls.pfnProc = TooltipProc;
    cls.bCommonControl = true;
    cls.pfnTransparent = [](LONG) { return true; };
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

std::string ShownTextOf(Lock& lk, HWND hwnd)
{
    auto p = Data<TooltipData>(lk, hwnd);
    Window* pw = Find(lk, hwnd);
    return p && pw && p->bShown && (pw->nStyle & WS_VISIBLE) ? ToAnsi(pw->text) : std::string();
}

}  // namespace sim::win

using namespace sim::win;

UINT WINAPI GetDoubleClickTime(void)
{
    return 500;
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* pInit)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!pInit || pInit->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    if (auto nResult = w.TakeFault("InitCommonControlsEx"))
        return static_cast<BOOL>(*nResult);
    S(lk).bCommonControls = true;
    return TRUE;
}

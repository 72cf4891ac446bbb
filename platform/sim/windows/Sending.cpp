// Window messages: sent straight to the window procedure on the window's own thread, posted
// to the thread's queue, dispatched from it, made up by the queue (WM_PAINT, WM_TIMER) and
// translated from keys to characters; and the default window procedure.
#include "platform/sim/windows/WindowSystem.h"

#include <utility>

using sim::Lock;
using sim::SetError;
using sim::ThreadState;
using sim::World;

namespace sim::win {

bool SynthesizePaint(Lock& lk, ThreadState& self, MSG* pMsg);
bool SynthesizeTimer(Lock& lk, ThreadState& self, UINT nRemove, MSG* pMsg);

namespace {

bool InRange(UINT nMessage, UINT nMin, UINT nMax)
{
    return (nMin == 0 && nMax == 0) || (nMin <= nMessage && nMessage <= nMax);
}

// The kernel's queues call these with the world lock held; they receive no Lock of their own,
// and the functions of this room only need one as a reminder that the lock is held.
bool Synthesize(ThreadState& self, UINT nMin, UINT nMax, UINT nRemove, MSG* pMsg)
{
    Lock held;
    if (InRange(WM_PAINT, nMin, nMax) && SynthesizePaint(held, self, pMsg))
        return true;
    return InRange(WM_TIMER, nMin, nMax) && SynthesizeTimer(held, self, nRemove, pMsg);
}

LRESULT Dispatch(const MSG& msg)
{
    WNDPROC pfnProc = nullptr;
    TIMERPROC pfnTimer = nullptr;
    std::shared_ptr<Window> pKeep;
    {
        Lock lk = World::Get().Acquire();
        pKeep = FindShared(lk, msg.hwnd);
        if (!pKeep || pKeep->nThread != CurrentThread(lk))
            return 0;
        pfnProc = pKeep->pfnProc;
        if (msg.message == WM_TIMER && msg.lParam) {
            // It goes to the timer procedure instead, only to one that a timer of this window has.
            pfnProc = nullptr;
            for (const Timer& t : S(lk).timers)
                if (t.hwnd == msg.hwnd && reinterpret_cast<LPARAM>(t.pfnProc) == msg.lParam)
                    pfnTimer = t.pfnProc;
        }
    }
    if (pfnTimer) {
        pfnTimer(msg.hwnd, WM_TIMER, msg.wParam, GetTickCount());
        return 0;
    }
    return pfnProc ? pfnProc(msg.hwnd, msg.message, msg.wParam, msg.lParam) : 0;
}

const bool g_bRegistered = [] {
    World& w = World::Get();
    w.m_pfnSynthesize = Synthesize;
    w.m_pfnDispatch = Dispatch;
    return true;
}();

// The character a key gives, as the US keyboard layout gives it with no Shift held (a test's
// keys come as window messages, without a keyboard state); 0 for none.
char CharacterOf(UINT nKey)
{
    if (nKey >= 'A' && nKey <= 'Z')
        return static_cast<char>(nKey + 32);
    if (nKey >= '0' && nKey <= '9')
        return static_cast<char>(nKey);
    switch (nKey) {
        case VK_RETURN:
            return '\r';
        case VK_ESCAPE:
            return 0x1B;
        case VK_TAB:
            return '\t';
        default:
            return 0;
    }
}

}  // namespace

void NotifyParent(HWND hwndControl, UINT nCode)
{
    SendMessageA(GetParent(hwndControl), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwndControl), nCode),
                 reinterpret_cast<LPARAM>(hwndControl));
}

LRESULT SendNotify(HWND hwndControl, NMHDR* pHeader)
{
    pHeader->hwndFrom = hwndControl;
    pHeader->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwndControl));
    return SendMessageA(GetParent(hwndControl), WM_NOTIFY, pHeader->idFrom,
                        reinterpret_cast<LPARAM>(pHeader));
}

}  // namespace sim::win

using namespace sim::win;

LRESULT WINAPI SendMessageA(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pfnProc = nullptr;
    std::shared_ptr<Window> pKeep;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        pKeep = FindShared(lk, hwnd);
        if (!pKeep) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (pKeep->nThread != CurrentThread(lk)) {
            // Another thread's window: handled there inside its next message call, or its next
            // wait in a cross-thread send of its own; this thread waits for the result.
            auto pReceiver = w.FindThread(pKeep->nThread);
            if (!pReceiver)
                return 0;
            return w.SendToThread(lk, *pReceiver, w.Stamped(hwnd, nMessage, wParam, lParam));
        }
        pfnProc = pKeep->pfnProc;
    }
    return pfnProc ? pfnProc(hwnd, nMessage, wParam, lParam) : 0;
}

// A posted message carries the cursor's place, where a person's mouse is.
BOOL WINAPI PostMessageA(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    auto pThread = p ? w.FindThread(p->nThread) : nullptr;
    if (!pThread || !pThread->bHasQueue) {
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG msg = w.Stamped(hwnd, nMessage, wParam, lParam);
    msg.pt = S(lk).cursor;
    pThread->posted.push_back(msg);
    w.Wake(*pThread);
    return TRUE;
}

LRESULT WINAPI CallWindowProcA(WNDPROC pfnProc, HWND hwnd, UINT nMessage, WPARAM wParam,
                               LPARAM lParam)
{
    return pfnProc ? pfnProc(hwnd, nMessage, wParam, lParam) : 0;
}

BOOL WINAPI TranslateMessage(const MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_SYSKEYDOWN)
        return FALSE;
    World& w = World::Get();
    Lock lk = w.Acquire();
    const char c = CharacterOf(static_cast<UINT>(pMsg->wParam));
    if (!c)
        return FALSE;
    // The character comes next, before what was posted after the key.
    MSG msg = *pMsg;
    msg.message = pMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    msg.wParam = static_cast<unsigned char>(c);
    w.Current(lk).posted.push_front(msg);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_NCCREATE:
            return TRUE;
        case WM_SETTEXT: {
            Lock lk = World::Get().Acquire();
            Window* p = Find(lk, hwnd);
            if (!p)
                return FALSE;
            p->text = FromAnsi(reinterpret_cast<LPCSTR>(lParam));
            p->nTextOrdinal = -1;
            return TRUE;
        }
        case WM_GETTEXT: {
            Lock lk = World::Get().Acquire();
            Window* p = Find(lk, hwnd);
            return p ? CopyAnsi(p->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam))
                     : 0;
        }
        case WM_GETTEXTLENGTH: {
            Lock lk = World::Get().Acquire();
            Window* p = Find(lk, hwnd);
            return p ? static_cast<LRESULT>(ToAnsi(p->text).size()) : 0;
        }
        case WM_SYSCOMMAND:
            // The caption's buttons; the system menu's other commands are not simulated.
            if ((wParam & 0xFFF0) == SC_CLOSE)
                SendMessageA(hwnd, WM_CLOSE, 0, 0);
            else if ((wParam & 0xFFF0) == SC_MINIMIZE || (wParam & 0xFFF0) == SC_RESTORE)
                ShowWindow(hwnd, (wParam & 0xFFF0) == SC_MINIMIZE ? SW_MINIMIZE : SW_RESTORE);
            return 0;
        case WM_KEYF1: {
            // The system's word that F1 was pressed: the window with the focus asks for help.
            HELPINFO info{};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.iCtrlId = GetDlgCtrlID(hwnd);
            info.hItemHandle = hwnd;
            SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            return 0;
        }
        case WM_HELP: {
            // Unhandled, the request goes to the parent of a child, or the owner of a window.
            const HWND hwndUp = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)
                                    ? GetParent(hwnd)
                                    : GetWindow(hwnd, GW_OWNER);
            return hwndUp ? SendMessageA(hwndUp, WM_HELP, wParam, lParam) : TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
        case WM_ICONERASEBKGND:
            return 1;
        case WM_QUERYENDSESSION:
            return TRUE;  // the session may end
        case WM_SETICON:
        case WM_GETICON: {
            Lock lk = World::Get().Acquire();
            Window* p = Find(lk, hwnd);
            if (!p)
                return 0;
            HICON& hIcon = wParam == ICON_BIG ? p->hIconBig : p->hIconSmall;
            return reinterpret_cast<LRESULT>(
                nMessage == WM_GETICON ? hIcon
                                       : std::exchange(hIcon, reinterpret_cast<HICON>(lParam)));
        }
        default:
            return 0;
    }
}

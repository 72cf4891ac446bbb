// Windows' side of the input helper. A real thread has no settled state to read, so the test
// posts a marker behind its input and watches, with a message hook on that thread, for the
// marker to be taken from the queue: everything posted before it has then been handled, or
// the thread waits for input in a nested loop (a message box) that took it. What the handling
// posted in turn lies behind the marker, so the test posts another until one comes with
// nothing else taken before it.
#include "tests/support/Input.h"

#include <atomic>

namespace {

// The marker: WM_NULL, which every window ignores, with a value no one else posts.
constexpr LPARAM MARKER = 0x5E771E;

std::atomic<unsigned> g_nMarkers{0};
std::atomic<unsigned> g_nOthers{0};

LRESULT CALLBACK OnGetMessage(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
        if (pMsg->message == WM_NULL && pMsg->lParam == MARKER)
            ++g_nMarkers;
        else
            ++g_nOthers;
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace

void input::Settle(HWND hwnd)
{
    const DWORD nThread = GetWindowThreadProcessId(hwnd, nullptr);
    if (!nThread || nThread == GetCurrentThreadId())
        return;
    const HHOOK hHook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, nThread);
    if (!hHook)
        return;
    for (;;) {
        const unsigned nOthers = g_nOthers;
        const unsigned nMarkers = g_nMarkers;
        if (!PostMessageA(hwnd, WM_NULL, 0, MARKER))
            break;
        // A window destroyed meanwhile takes its marker with it.
        while (g_nMarkers == nMarkers && IsWindow(hwnd))
            Sleep(1);
        if (g_nMarkers == nMarkers || g_nOthers == nOthers)
            break;
    }
    UnhookWindowsHookEx(hHook);
}

HWND input::Focus()
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
}

HWND input::Foreground()
{
    return GetForegroundWindow();
}

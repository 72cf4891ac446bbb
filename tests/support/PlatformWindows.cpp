// Windows' side of the tests' support: no world to check, and a program whose threads run in
// real time, so that the test waits for what shows.
#include "tests/support/Difference.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/Screen.h"
#include "tests/support/SoundDevices.h"

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

void PlatformTest::SetUp() {}
void PlatformTest::TearDown() {}
size_t PlatformTest::ForgiveMisuse()
{
    return 0;
}

// Wine's ntdll exports its version; Windows' has no such function.
System ThisSystem()
{
    const HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    return hNtdll && GetProcAddress(hNtdll, "wine_get_version") ? System::Wine : System::Windows;
}

// Windows' side of the input helper. A real thread has no settled state to read, so the test
// posts a marker to the window's thread behind its input and watches, with a message hook on
// that thread, for the marker to be taken from the queue: everything posted before it has then
// been handled, or the thread waits for input in a nested loop (a message box) that took it.
// What the handling posted in turn lies behind the marker, so the test posts another until one
// comes with nothing else taken before it.
//
// The marker goes to the thread, not to the window: input that closes the window (Esc, the
// close box) leaves its thread work to do after the window has gone (the modal call returns,
// its caller goes on), and a marker posted to the window would go with it. Every loop hands a
// thread message on to DispatchMessage, which does nothing with it.
namespace {

// The marker: WM_NULL, which nobody acts on, with a value no one else posts.
constexpr LPARAM MARKER = 0x5E771E;
// Generous: a loaded machine, and a 32-bit Wine emulated by QEMU, may keep a thread from its
// queue, or a window from the screen, for seconds.
constexpr DWORD LIMIT_MS = 60000;
constexpr DWORD LOOK_EVERY_MS = 10;

std::atomic<unsigned> g_nOthers{0};
HANDLE g_hMarkerTaken = nullptr;

// Runs on the watched thread, inside its GetMessage or PeekMessage, for each message taken.
LRESULT CALLBACK OnGetMessage(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
        if (!pMsg->hwnd && pMsg->message == WM_NULL && pMsg->lParam == MARKER)
            SetEvent(g_hMarkerTaken);
        else
            ++g_nOthers;
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void NotHere(const char* pszWhat)
{
    ADD_FAILURE() << pszWhat << " is the simulation's alone: guard it with OnlyOnTheSimulation";
}

}  // namespace

void input::Settle(HWND hwnd)
{
    const DWORD nThread = GetWindowThreadProcessId(hwnd, nullptr);
    if (!nThread || nThread == GetCurrentThreadId())
        return;
    // The thread's handle tells when it ends, which takes its queue and the marker with it.
    const HANDLE hThread = OpenThread(SYNCHRONIZE, FALSE, nThread);
    if (!g_hMarkerTaken)
        g_hMarkerTaken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const HHOOK hHook = SetWindowsHookExA(WH_GETMESSAGE, OnGetMessage, nullptr, nThread);
    if (!hThread || !g_hMarkerTaken || !hHook) {
        ADD_FAILURE() << "cannot watch the queue of thread " << nThread << ": error "
                      << GetLastError();
    } else {
        const DWORD nStart = GetTickCount();
        for (;;) {
            const unsigned nOthers = g_nOthers;
            ResetEvent(g_hMarkerTaken);
            if (!PostThreadMessageA(nThread, WM_NULL, 0, MARKER))
                break;  // the thread has ended, or is ending
            const HANDLE handles[] = {g_hMarkerTaken, hThread};
            const DWORD nLeft = LIMIT_MS - std::min(LIMIT_MS, GetTickCount() - nStart);
            const DWORD nWait = WaitForMultipleObjects(2, handles, FALSE, nLeft);
            if (nWait == WAIT_TIMEOUT) {
                ADD_FAILURE() << "thread " << nThread << " took no message for " << LIMIT_MS
                              << " ms";
                break;
            }
            if (nWait != WAIT_OBJECT_0 || g_nOthers == nOthers)
                break;
        }
    }
    if (hHook)
        UnhookWindowsHookEx(hHook);
    if (hThread)
        CloseHandle(hThread);
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

void screen::Settle() {}

// The program's threads run in real time: the test looks again and again at what shows,
// without acting, until it is there or the limit has passed.
bool screen::WaitUntil(const std::function<bool()>& condition)
{
    const DWORD nStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - nStart > LIMIT_MS) {
            ADD_FAILURE() << "still not so after " << LIMIT_MS << " ms";
            return false;
        }
        Sleep(LOOK_EVERY_MS);
    }
    return true;
}

HWND screen::WaitForWindow(const char* pszCaption)
{
    HWND hwnd = nullptr;
    if (!WaitUntil([&] {
            hwnd = FindWindowA(nullptr, pszCaption);
            return hwnd && IsWindowVisible(hwnd);
        })) {
        ADD_FAILURE() << "no window \"" << pszCaption << "\"";
        return nullptr;
    }
    input::Settle(hwnd);
    return hwnd;
}

bool OnlyOnTheSimulation(const char* pszWhat)
{
    ::testing::Test::RecordProperty(std::string("only on the simulation: ") + pszWhat, "left out");
    return false;
}

bool OnlyOnWindows(const char*)
{
    return true;
}

void simulation::AdvanceTime(UINT)
{
    NotHere("the virtual clock");
}

std::vector<UINT> simulation::TimerPeriods(HWND)
{
    NotHere("the timers' record");
    return {};
}

std::vector<simulation::DrawnIcon> simulation::DrawnIcons()
{
    NotHere("the drawn icons' record");
    return {};
}

std::vector<UINT> simulation::MessageBoxTypes()
{
    NotHere("the message boxes' record");
    return {};
}

void simulation::InjectFault(const char*, long long)
{
    NotHere("an injected fault");
}

// The devices are the machine's own, or under Wine the virtual ones the test's run brings.
void UseVirtualSoundDevices() {}

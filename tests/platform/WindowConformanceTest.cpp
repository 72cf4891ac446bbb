// Windows and their messages as the program relies on them: classes, sent and posted messages,
// the order of destruction, timers, painting, minimising, dialog boxes over their owner, and
// tooltips that ask the tool's window for their text.
#include "tests/platform/DialogHarness.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class Windows : public PlatformTest
{
};

struct Message
{
    HWND hwnd;
    UINT nMessage;
};
std::vector<Message> g_log;

bool Logged(UINT nMessage)
{
    return nMessage == WM_NCCREATE || nMessage == WM_CREATE || nMessage == WM_DESTROY ||
           nMessage == WM_NCDESTROY || (nMessage >= WM_USER && nMessage < WM_USER + 16);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (Logged(nMessage))
        g_log.push_back(Message{hwnd, nMessage});
    if (nMessage == WM_USER)
        return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcA(hwnd, nMessage, wParam, lParam);
}

const char PROBE[] = "SorvantaProbe";

TEST_F(Windows, AWindowOfAClassNobodyRegisteredIsNotMade)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "SorvantaNoSuchClass", "x", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr),
              nullptr);
    EXPECT_TRUE(Difference(
        DifferenceKind::WineFault, "the error of a window of a class nobody registered",
        "Windows gives ERROR_CANNOT_FIND_WND_CLASS, and so does the simulation; "
        "Wine gives ERROR_CLASS_DOES_NOT_EXIST",
        GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS), DWORD(ERROR_CLASS_DOES_NOT_EXIST)));
}

TEST_F(Windows, SentMessagesArriveAtOncePostedOnesInOrderAndDestructionGoesParentFirst)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = PROBE;
    ASSERT_NE(RegisterClassA(&wc), 0);
    g_log.clear();
    const HWND hwndParent = CreateWindowExA(0, PROBE, "parent", WS_POPUP, 0, 0, 100, 100, nullptr,
                                            nullptr, wc.hInstance, nullptr);
    const HWND hwndChild =
        CreateWindowExA(0, PROBE, "child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwndParent,
                        reinterpret_cast<HMENU>(5), wc.hInstance, nullptr);
    ASSERT_NE(hwndChild, nullptr);
    EXPECT_EQ(GetDlgCtrlID(hwndChild), 5);
    EXPECT_EQ(GetParent(hwndChild), hwndParent);
    ASSERT_EQ(g_log.size(), 4u);
    EXPECT_EQ(g_log[0].nMessage, UINT(WM_NCCREATE));
    EXPECT_EQ(g_log[1].nMessage, UINT(WM_CREATE));

    g_log.clear();
    EXPECT_EQ(SendMessageA(hwndParent, WM_USER, 21, 0), 42);
    EXPECT_EQ(g_log.size(), 1u);
    for (UINT n = 1; n <= 3; ++n)
        EXPECT_TRUE(PostMessageA(n == 2 ? hwndChild : hwndParent, WM_USER + n, 0, 0));
    EXPECT_EQ(g_log.size(), 1u) << "posted messages wait for the loop";
    DialogHarness::Pump();
    ASSERT_EQ(g_log.size(), 4u);
    for (UINT n = 1; n <= 3; ++n)
        EXPECT_EQ(g_log[n].nMessage, WM_USER + n);
    EXPECT_EQ(g_log[2].hwnd, hwndChild);

    g_log.clear();
    EXPECT_TRUE(DestroyWindow(hwndParent));
    ASSERT_EQ(g_log.size(), 4u);
    EXPECT_EQ(g_log[0].hwnd, hwndParent);
    EXPECT_EQ(g_log[0].nMessage, UINT(WM_DESTROY));
    EXPECT_EQ(g_log[1].hwnd, hwndChild);
    EXPECT_EQ(g_log[1].nMessage, UINT(WM_DESTROY));
    EXPECT_EQ(g_log[2].hwnd, hwndChild);
    EXPECT_EQ(g_log[2].nMessage, UINT(WM_NCDESTROY));
    EXPECT_EQ(g_log[3].hwnd, hwndParent);
    EXPECT_EQ(g_log[3].nMessage, UINT(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(hwndChild));
    EXPECT_FALSE(PostMessageA(hwndParent, WM_USER, 0, 0));
    EXPECT_TRUE(UnregisterClassA(PROBE, wc.hInstance));
}

TEST_F(Windows, TimersArriveAsWmTimerUntilKilledAndEndWithTheirWindow)
{
    {
        DialogHarness panel(IDD_PANEL);
        const DWORD nStart = GetTickCount();
        ASSERT_NE(SetTimer(panel.Handle(), 7, 50, nullptr), 0u);
        // A thread that runs late gets the expirations it missed as one message: on a loaded
        // machine three messages may take long, but they never come early.
        while (panel.nTimers < 3 && GetTickCount() - nStart < 10000)
            DialogHarness::PumpFor(50);
        EXPECT_GE(panel.nTimers, 3);
        EXPECT_GE(GetTickCount() - nStart, 120u) << "three periods of 50 ms";
        EXPECT_TRUE(KillTimer(panel.Handle(), 7));
        const int nBefore = panel.nTimers;
        DialogHarness::PumpFor(200);
        EXPECT_EQ(panel.nTimers, nBefore);

        // Expirations while the thread is busy come as one message. The period is long enough
        // that a loaded machine does not let the next one pass while the queue is emptied.
        SetTimer(panel.Handle(), 8, 100, nullptr);
        Sleep(450);
        DialogHarness::Pump();
        EXPECT_EQ(panel.nTimers, nBefore + 1);
        SetTimer(panel.Handle(), 9, 20, nullptr);
        DestroyWindow(panel.Handle());
        EXPECT_FALSE(KillTimer(panel.Handle(), 9)) << "gone with the window";
    }
}

TEST_F(Windows, PaintingComesWhenTheQueueIsEmptyAndEndsTheUpdate)
{
    DialogHarness panel(IDD_PANEL);
    DialogHarness::Pump();
    InvalidateRect(panel.Handle(), nullptr, TRUE);
    RECT r;
    EXPECT_TRUE(GetUpdateRect(panel.Handle(), &r, FALSE));
    DialogHarness::Pump();
    EXPECT_FALSE(GetUpdateRect(panel.Handle(), &r, FALSE));
}

TEST_F(Windows, AMinimisedWindowIsIconicWithNoClientAreaUntilRestored)
{
    DialogHarness panel(IDD_PANEL);
    RECT normal;
    GetClientRect(panel.Handle(), &normal);
    ShowWindow(panel.Handle(), SW_MINIMIZE);
    DialogHarness::Pump();
    EXPECT_TRUE(IsIconic(panel.Handle()));
    RECT r;
    GetClientRect(panel.Handle(), &r);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 0);
    ShowWindow(panel.Handle(), SW_RESTORE);
    DialogHarness::Pump();
    EXPECT_FALSE(IsIconic(panel.Handle()));
    GetClientRect(panel.Handle(), &r);
    EXPECT_EQ(r.right, normal.right);
    EXPECT_EQ(r.bottom, normal.bottom);
}

struct BoxProbe
{
    HWND hwndOwner = nullptr;
    bool bVisible = false;
    bool bOwnerEnabled = true;
    int nTicks = 0;
};

INT_PTR CALLBACK EndOnTimer(HWND hwnd, UINT nMessage, WPARAM, LPARAM lParam)
{
    if (nMessage == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        SetTimer(hwnd, 1, 30, nullptr);
        return TRUE;
    }
    if (nMessage == WM_TIMER) {
        auto* p = reinterpret_cast<BoxProbe*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        p->bVisible = IsWindowVisible(hwnd) != FALSE;
        // The box shows itself when its queue first runs empty; on a busy machine a tick can
        // come before that, so it is given up to a hundred ticks (3 s).
        if (!p->bVisible && ++p->nTicks < 100)
            return TRUE;
        p->bOwnerEnabled = IsWindowEnabled(p->hwndOwner) != FALSE;
        EndDialog(hwnd, 42);
        return TRUE;
    }
    return FALSE;
}

TEST_F(Windows, ADialogBoxDisablesItsOwnerShowsItselfAndReturnsItsEndCode)
{
    DialogHarness panel(IDD_PANEL);
    BoxProbe probe;
    probe.hwndOwner = panel.Handle();
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                              panel.Handle(), EndOnTimer, reinterpret_cast<LPARAM>(&probe)),
              42);
    EXPECT_TRUE(probe.bVisible) << "shown although its template has no WS_VISIBLE";
    EXPECT_FALSE(probe.bOwnerEnabled);
    EXPECT_TRUE(IsWindowEnabled(panel.Handle()));
}

}  // namespace

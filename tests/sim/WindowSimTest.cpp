// What the simulated window system adds to Windows for the tests: common controls that need
// their library started, faults, timers on the virtual clock, and message boxes that wait for
// their answer.
#include "platform/sim/sim.h"
#include "platform/sim/windows.h"
#include "platform/win32.h"
#include "res/resource.h"
#include "tests/framework/UiThread.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"

#include <string>
#include <vector>

namespace {

class WindowSim : public PlatformTest
{
};

// What a dialog of these tests heard; written on the dialog's thread, read by the test once
// the world has settled.
struct Heard
{
    std::vector<std::pair<int, UINT>> commands;  // id, notification code
    std::vector<DWORD> ticks;                    // the time of each WM_TIMER
    sim::Gate* pGate = nullptr;                  // the first WM_TIMER waits here, if set
    bool bModeless = false;                      // IDCANCEL destroys the dialog
};
Heard* g_pHeard = nullptr;

INT_PTR CALLBACK Listen(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM)
{
    if (!g_pHeard)
        return nMessage == WM_INITDIALOG;
    switch (nMessage) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            g_pHeard->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
            if (LOWORD(wParam) == IDCANCEL) {
                if (g_pHeard->bModeless)
                    DestroyWindow(hwnd);
                else
                    EndDialog(hwnd, IDCANCEL);
            }
            return TRUE;
        case WM_TIMER:
            g_pHeard->ticks.push_back(GetTickCount());
            if (g_pHeard->pGate && g_pHeard->ticks.size() == 1)
                g_pHeard->pGate->Wait();
            return TRUE;
        default:
            return FALSE;
    }
}

TEST_F(WindowSim, CommonControlsExistOnceTheirLibraryIsStarted)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, UPDOWN_CLASSA, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PANEL), nullptr,
                                 Listen, 0),
              nullptr)
        << "the panel has up-down controls and progress bars";
    EXPECT_EQ(sim::Live().nWindows, 0) << "what the failed dialog made is gone again";

    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    sim::InjectFault("InitCommonControlsEx", FALSE);
    EXPECT_FALSE(InitCommonControlsEx(&init));
    EXPECT_TRUE(InitCommonControlsEx(&init));
    const HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PANEL),
                                         nullptr, Listen, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(sim::Live().nWindows, 1 + 23);
    DestroyWindow(hwnd);
    EXPECT_EQ(sim::Live().nWindows, 0);
}

TEST_F(WindowSim, TimersRunOnTheVirtualClockAndMergeWhileTheirThreadIsBusy)
{
    Heard heard;
    sim::Gate gate;
    heard.pGate = &gate;
    heard.bModeless = true;
    g_pHeard = &heard;
    UiThread ui([] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        const HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                                             nullptr, Listen, 0);
        SetTimer(hwnd, 1, 100, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        MSG msg;
        while (IsWindow(hwnd) && GetMessageA(&msg, nullptr, 0, 0))
            if (!IsDialogMessageA(hwnd, &msg))
                DispatchMessageA(&msg);
        return DWORD(0);
    });
    // The first tick keeps the thread busy for half a second of virtual time.
    sim::AdvanceTime(600);
    EXPECT_EQ(gate.Waiting(), 1);
    gate.Open();
    sim::Settle();
    ASSERT_EQ(heard.ticks.size(), 2u) << "the ticks missed meanwhile come as one";
    EXPECT_EQ(heard.ticks[0], 100u);
    EXPECT_EQ(heard.ticks[1], 600u);
    sim::AdvanceTime(400);
    ASSERT_EQ(heard.ticks.size(), 6u);
    EXPECT_EQ(heard.ticks[5], 1000u);
    input::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), 0u);
    g_pHeard = nullptr;
}

TEST_F(WindowSim, AMessageBoxIsAnsweredByItsButtonsAndEscOnlyWhenItCanBe)
{
    UiThread yesNo([] { return static_cast<DWORD>(MessageBoxA(nullptr, "Q", "C", MB_YESNO)); });
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_TRUE(sim::MessageBoxes()[0].bOpen);
    EXPECT_EQ(input::Foreground(), FindWindowA(nullptr, "C"));
    input::PressKey(VK_ESCAPE);
    EXPECT_TRUE(sim::MessageBoxes()[0].bOpen) << "no Cancel button, no OK button: Esc does nothing";
    EXPECT_TRUE(input::AnswerMessageBox(nullptr, IDNO));
    EXPECT_EQ(yesNo.Join(), DWORD(IDNO));

    UiThread ok([] { return static_cast<DWORD>(MessageBoxA(nullptr, "Q", nullptr, MB_OK)); });
    EXPECT_EQ(sim::MessageBoxes()[1].caption, "Error");
    input::PressKey(VK_ESCAPE);
    EXPECT_EQ(ok.Join(), DWORD(IDOK)) << "Esc in a box with only OK is OK";
    EXPECT_FALSE(input::AnswerMessageBox(nullptr, IDOK)) << "none open";
}

}  // namespace

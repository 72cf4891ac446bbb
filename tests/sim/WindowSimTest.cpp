// What the simulated window system adds to Windows for the tests: common controls that need
// their library started, misuse made loud, timers on the virtual clock, and a person whose
// clicks, keys and answers reach what a real person's would.
#include "platform/sim/sim.h"
#include "platform/sim/windows.h"
#include "platform/win32.h"
#include "res/resource.h"
#include "tests/framework/UiThread.h"
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

DWORD ShowModal(int nTemplate)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    return static_cast<DWORD>(DialogBoxParamA(GetModuleHandleA(nullptr),
                                              MAKEINTRESOURCEA(nTemplate), nullptr, Listen, 0));
}

bool HeardCommand(const Heard& heard, int nId, UINT nCode)
{
    for (const auto& c : heard.commands)
        if (c.first == nId && c.second == nCode)
            return true;
    return false;
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

TEST_F(WindowSim, ATestThatCallsTheProgramsWindowsFromItsOwnThreadIsToldSo)
{
    Heard heard;
    g_pHeard = &heard;
    UiThread ui([] { return ShowModal(IDD_ABOUT); });
    const HWND hwnd = sim::FindTopLevel("バージョン情報");
    ASSERT_NE(hwnd, nullptr);
    char text[32] = {};
    EXPECT_EQ(SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 0);
    const std::vector<std::string> misuses = sim::TakeMisuses();
    ASSERT_EQ(misuses.size(), 1u);
    EXPECT_NE(misuses[0].find("another thread"), std::string::npos);
    EXPECT_EQ(sim::Text(hwnd), "バージョン情報") << "the test's way to read it";
    sim::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), DWORD(IDCANCEL));
    g_pHeard = nullptr;
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
    sim::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), 0u);
    g_pHeard = nullptr;
}

TEST_F(WindowSim, APersonsClickReachesWhatIsUnderThePointer)
{
    Heard heard;
    g_pHeard = &heard;
    UiThread ui([] { return ShowModal(IDD_PANEL); });
    const HWND hwnd = sim::FindTopLevel("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    HWND hwndLabel = GetWindow(hwnd, GW_CHILD);
    for (int i = 1; i < 15; ++i)
        hwndLabel = GetWindow(hwndLabel, GW_HWNDNEXT);
    ASSERT_EQ(sim::Text(hwndLabel), "サンプリングレート(&R)");
    const size_t nBefore = heard.commands.size();
    ASSERT_TRUE(sim::Click(hwndLabel)) << "a label lets the click through to the dialog";
    EXPECT_EQ(heard.commands.size(), nBefore);
    ASSERT_TRUE(sim::Click(sim::Item(hwnd, IDC_STEREO)));
    EXPECT_TRUE(HeardCommand(heard, IDC_STEREO, BN_CLICKED));
    EXPECT_EQ(sim::CheckState(sim::Item(hwnd, IDC_STEREO)), BST_CHECKED);
    EXPECT_EQ(sim::Focus(), sim::Item(hwnd, IDC_STEREO));

    // Alt and a letter, and Shift+Tab backwards.
    sim::PressKey('N', sim::KEY_ALT);
    EXPECT_TRUE(HeardCommand(heard, IDC_ON, BN_CLICKED));
    sim::PressKey(VK_TAB, sim::KEY_SHIFT);
    EXPECT_EQ(sim::Focus(), sim::Item(hwnd, IDC_DELAY));

    // Arrow keys in a display with UDS_ARROWKEYS go to its up-down control, whose range runs
    // from 100 down to 0 until the program sets one: Down counts up.
    sim::PressKey(VK_DOWN);
    EXPECT_EQ(sim::UpDown(sim::Item(hwnd, IDC_DELAY_SPIN)).nPos, 1);
    EXPECT_EQ(sim::Text(sim::Item(hwnd, IDC_DELAY)), "1");

    // The list: a choice is made with two clicks; a hidden or absent thing cannot be clicked.
    EXPECT_FALSE(sim::ChooseListItem(sim::Item(hwnd, IDC_RATE), 0)) << "an empty list";
    EXPECT_FALSE(sim::Minimise(sim::FindTopLevel("nothing")));
    EXPECT_EQ(sim::Hover(sim::Item(hwnd, IDC_ON)), "") << "the dialog made no tooltips";
    sim::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), DWORD(IDCANCEL));
    g_pHeard = nullptr;
}

TEST_F(WindowSim, AMessageBoxIsAnsweredByItsButtonsAndEscOnlyWhenItCanBe)
{
    UiThread yesNo([] { return static_cast<DWORD>(MessageBoxA(nullptr, "Q", "C", MB_YESNO)); });
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_TRUE(sim::MessageBoxes()[0].bOpen);
    EXPECT_EQ(sim::Text(sim::Foreground()), "C");
    sim::PressKey(VK_ESCAPE);
    EXPECT_TRUE(sim::MessageBoxes()[0].bOpen) << "no Cancel button, no OK button: Esc does nothing";
    EXPECT_TRUE(sim::AnswerMessageBox(IDNO));
    EXPECT_EQ(yesNo.Join(), DWORD(IDNO));

    UiThread ok([] { return static_cast<DWORD>(MessageBoxA(nullptr, "Q", nullptr, MB_OK)); });
    EXPECT_EQ(sim::MessageBoxes()[1].caption, "Error");
    sim::PressKey(VK_ESCAPE);
    EXPECT_EQ(ok.Join(), DWORD(IDOK)) << "Esc in a box with only OK is OK";
    EXPECT_FALSE(sim::AnswerMessageBox(IDOK)) << "none open";
}

}  // namespace

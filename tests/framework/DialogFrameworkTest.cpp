// The framework's dialogs driven as a person drives them, on the simulation and under Wine: a
// modal panel on the program's own template through a whole session, the ways it ends, the
// application that runs it, and what becomes of objects and windows that part.
#include "tests/framework/TestDialogs.h"
#include "tests/framework/UiThread.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/Screen.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class Framework : public PlatformTest
{
};

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

LONG CentreX(const RECT& r)
{
    return (r.left + r.right) / 2;
}

LONG CentreY(const RECT& r)
{
    return (r.top + r.bottom) / 2;
}

std::string Text(HWND hwnd)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

bool IsClass(HWND hwnd, const std::string& name)
{
    char szClass[64] = {};
    GetClassNameA(hwnd, szClass, sizeof szClass);
    std::string got = szClass;
    if (got.size() != name.size())
        return false;
    for (size_t i = 0; i < got.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(got[i])) !=
            std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

bool IsIconLabel(HWND hwnd)
{
    return IsClass(hwnd, "Static") && (GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// What a message box shows, read from its controls as a person reads it: the text of its one
// label with text (the systems give the label different ids), its buttons and its icon.
std::string MessageText(HWND hwndBox)
{
    for (HWND h = GetWindow(hwndBox, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsClass(h, "Static") && !IsIconLabel(h) && !Text(h).empty())
            return Text(h);
    return "";
}

std::vector<int> MessageButtons(HWND hwndBox)
{
    std::vector<int> ids;
    for (HWND h = GetWindow(hwndBox, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsClass(h, "Button") && IsWindowVisible(h))
            ids.push_back(GetDlgCtrlID(h));
    return ids;
}

HICON MessageIcon(HWND hwndBox)
{
    for (HWND h = GetWindow(hwndBox, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsIconLabel(h))
            return reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
    return nullptr;
}

// Tab until the focus is on the control, as a person watching where it goes.
void TabTo(HWND hwnd)
{
    for (int i = 0; i < 30 && input::Focus() != hwnd; ++i)
        input::PressKey(VK_TAB);
}

// The panel's timer, which the loop of a box over it keeps at work: on the simulation's clock
// exactly once a period, under Wine within the screen's limit.
void ExpectTicksGoOn(const CTestPanel& panel, UINT nMilliseconds, const char* pszOver)
{
    SCOPED_TRACE(std::string("the panel's timer under ") + pszOver);
    const int nTicks = panel.nTicks;
    const int nMore = static_cast<int>(nMilliseconds / 100);
    if (OnlyOnTheSimulation("the virtual clock: exactly one tick a period")) {
        simulation::AdvanceTime(nMilliseconds);
        EXPECT_EQ(panel.nTicks.load(), nTicks + nMore);
    } else {
        EXPECT_TRUE(screen::WaitUntil([&] { return panel.nTicks >= nTicks + nMore; }));
    }
}

TEST_F(Framework, APersonUsesThePanelFromOpeningToTheCloseBox)
{
    CTestPanel panel;
    UiThread ui([&] { return static_cast<DWORD>(panel.DoModal()); });

    // Open: shown, centred on the screen, the focus on the first control, the members bound.
    const HWND hwnd = screen::WaitForWindow("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    const RECT r = WindowRect(hwnd);
    EXPECT_LE(std::abs(CentreX(r) - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs(CentreY(r) - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_EQ(input::Focus(), GetDlgItem(hwnd, IDC_INDEVICE));
    const HWND hwndRate = GetDlgItem(hwnd, IDC_RATE);
    EXPECT_EQ(panel.m_cmbRate.m_hWnd, hwndRate);
    EXPECT_EQ(SendMessageA(hwndRate, CB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0)), panel.m_hIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0)),
              panel.m_hIcon);
    EXPECT_EQ(Text(GetDlgItem(hwnd, IDC_TIME)), "200");
    if (OnlyOnTheSimulation("the virtual clock and the timers' record")) {
        EXPECT_EQ(simulation::TimerPeriods(hwnd), std::vector<UINT>{100});
        simulation::AdvanceTime(1000);
        EXPECT_EQ(panel.nTicks.load(), 10);
    }

    // Enter in a list a press dropped closes the list, and goes no further.
    if (OnlyOnWindows("a list dropped by a press: the simulation leaves the mouse to Wine")) {
        ASSERT_TRUE(input::Click(hwndRate));
        ASSERT_TRUE(SendMessageA(hwndRate, CB_GETDROPPEDSTATE, 0, 0));
        input::PressKey(VK_RETURN);
        EXPECT_FALSE(SendMessageA(hwndRate, CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_TRUE(IsWindow(hwnd)) << "Enter stayed in the list";
    }
    // Tab to ON and Enter presses it.
    TabTo(panel.m_btnOn.m_hWnd);
    input::PressKey(VK_RETURN);
    EXPECT_EQ(panel.events.back(), "on");
    EXPECT_FALSE(IsWindowEnabled(panel.m_btnOn.m_hWnd));
    EXPECT_TRUE(IsWindowEnabled(panel.m_btnOff.m_hWnd));

    // A disabled button takes no click.
    EXPECT_FALSE(input::Click(panel.m_btnOn.m_hWnd));
    EXPECT_EQ(panel.events.back(), "on");
    EXPECT_TRUE(input::Click(panel.m_btnOff.m_hWnd));
    EXPECT_EQ(panel.events.back(), "off");

    // Arrows: the panel is asked first.
    ASSERT_TRUE(input::PressArrow(panel.m_spnTime.m_hWnd, true));
    ASSERT_EQ(panel.deltas.size(), 1u);
    EXPECT_EQ(panel.deltas[0].iPos, 200);
    EXPECT_EQ(panel.deltas[0].iDelta, 1);
    EXPECT_EQ(SendMessageA(panel.m_spnTime.m_hWnd, UDM_GETPOS, 0, 0), MAKELONG(201, 0));
    EXPECT_EQ(Text(GetDlgItem(hwnd, IDC_TIME)), "201");

    // A list choice.
    ASSERT_TRUE(input::ChooseListItem(hwndRate, 3));
    EXPECT_EQ(panel.events.back(), "rate 3");
    EXPECT_EQ(SendMessageA(hwndRate, CB_GETITEMDATA, 3, 0), 22050);

    // Tooltips: from the table by control id, over disabled controls too, none for the others.
    EXPECT_EQ(input::ToolTipText(GetDlgItem(hwnd, IDC_TIME)), "発音までの時間");
    EXPECT_EQ(input::ToolTipText(panel.m_btnOff.m_hWnd), "再生を停止する") << "OFF is disabled";
    EXPECT_EQ(input::ToolTipText(panel.m_btnStereo.m_hWnd), "");
    EXPECT_EQ(input::ToolTipText(hwndRate), "サンプリング周波数");

    // Minimised, the panel draws its icon in the middle of its empty client area.
    ASSERT_TRUE(input::Minimise(hwnd));
    EXPECT_TRUE(IsIconic(hwnd));
    if (OnlyOnTheSimulation("the record of the icons drawn")) {
        const std::vector<simulation::DrawnIcon> icons = simulation::DrawnIcons();
        ASSERT_FALSE(icons.empty());
        const simulation::DrawnIcon drawn = icons.back();
        EXPECT_EQ(drawn.hwnd, hwnd);
        EXPECT_EQ(drawn.x, -15);
        EXPECT_EQ(drawn.y, -15);
        EXPECT_EQ(drawn.hIcon, panel.m_hIcon);
        EXPECT_TRUE(drawn.bInPaint);
    }
    ASSERT_TRUE(input::Restore(hwnd));
    EXPECT_FALSE(IsIconic(hwnd));

    // The About box: over the panel, which is disabled meanwhile while its timer runs on.
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_VERSION)));
    const HWND hwndAbout = screen::WaitForWindow("バージョン情報");
    ASSERT_NE(hwndAbout, nullptr);
    EXPECT_EQ(GetWindow(hwndAbout, GW_OWNER), hwnd);
    EXPECT_FALSE(IsWindowEnabled(hwnd));
    const RECT about = WindowRect(hwndAbout);
    const RECT now = WindowRect(hwnd);
    EXPECT_LE(std::abs(CentreX(about) - CentreX(now)), 1);
    EXPECT_LE(std::abs(CentreY(about) - CentreY(now)), 1);
    ExpectTicksGoOn(panel, 300, "the About box");
    EXPECT_FALSE(input::Click(GetDlgItem(hwnd, IDC_EXIT))) << "a disabled window takes no clicks";
    ASSERT_TRUE(input::Click(GetDlgItem(hwndAbout, IDC_URL)));
    EXPECT_FALSE(input::CloseBox(hwndAbout)) << "no system menu, no close box";
    input::PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(hwndAbout));
    EXPECT_EQ(panel.nAboutResult, IDCANCEL);
    ASSERT_EQ(panel.aboutOpened.size(), 1u);
    EXPECT_EQ(panel.aboutOpened[0], "https://sorvanta.example/");
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_EQ(input::Foreground(), hwnd);
    EXPECT_EQ(input::Focus(), GetDlgItem(hwnd, IDC_VERSION)) << "the focus comes back where it was";

    // Close box: IDCANCEL, the panel's OnCancel ends it; its controls were there in OnDestroy.
    ASSERT_TRUE(input::CloseBox(hwnd));
    EXPECT_EQ(ui.Join(), 0u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(panel.events.back(), "destroy");
    EXPECT_EQ(panel.nRateAtDestroy, 3);
    EXPECT_EQ(panel.m_cmbRate.m_hWnd, nullptr) << "members let go of their controls";
    EXPECT_EQ(panel.m_hWnd, nullptr);
}

TEST_F(Framework, EnterEscAndTheCloseBoxEachEndThePanelAndTheOkCommandAloneDoesNot)
{
    for (const char* pszWay : {"enter", "escape", "close box"}) {
        SCOPED_TRACE(pszWay);
        CTestPanel panel;
        UiThread ui([&] { return static_cast<DWORD>(panel.DoModal()); });
        const HWND hwnd = screen::WaitForWindow("Sorvanta");
        ASSERT_NE(hwnd, nullptr);
        const std::string way = pszWay;
        if (way == "enter")
            input::PressKey(VK_RETURN);  // the focus is on a list: the default button, exit
        else if (way == "escape")
            input::PressKey(VK_ESCAPE);
        else
            input::CloseBox(hwnd);
        EXPECT_EQ(ui.Join(), 0u);
        EXPECT_FALSE(IsWindow(hwnd));
    }
}

TEST_F(Framework, AQuitEndsTheModalLoopWithMinusOneAndGoesOnToTheLoopAround)
{
    CTestPanel panel;
    UiThread ui([&] {
        const INT_PTR nResult = panel.DoModal();
        MSG msg{};
        const BOOL bQuit = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return static_cast<DWORD>(nResult == -1 && bQuit && msg.wParam == 7);
    });
    const HWND hwnd = screen::WaitForWindow("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(PostThreadMessageA(ui.Id(), WM_QUIT, 7, 0));
    EXPECT_EQ(ui.Join(), 1u) << "-1, and the quit with its code still to come";
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Framework, AMessageBoxOverThePanelWaitsForItsAnswerWhileTimersRunOn)
{
    CTestPanel panel;
    panel.bFailOn = true;
    UiThread ui([&] { return static_cast<DWORD>(panel.DoModal()); });
    const HWND hwnd = screen::WaitForWindow("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_ON)));
    const HWND hwndBox = screen::WaitForWindow("出力デバイス初期化失敗");
    ASSERT_NE(hwndBox, nullptr);
    EXPECT_EQ(GetWindow(hwndBox, GW_OWNER), hwnd);
    EXPECT_EQ(MessageText(hwndBox),
              "出力デバイスが使用中か指定のフォーマットをサポートしていません。");
    EXPECT_EQ(MessageButtons(hwndBox), std::vector<int>{IDOK});
    if (OnlyOnTheSimulation("the message boxes' record")) {
        EXPECT_EQ(simulation::MessageBoxTypes(), std::vector<UINT>{MB_ICONSTOP | MB_OK});
    }
    if (OnlyOnWindows("a message box's icon: the simulation's boxes show none")) {
        EXPECT_EQ(MessageIcon(hwndBox), LoadIconA(nullptr, IDI_HAND));
    }
    EXPECT_FALSE(IsWindowEnabled(hwnd));
    ExpectTicksGoOn(panel, 500, "a message box");
    EXPECT_FALSE(input::AnswerMessageBox(hwnd, IDYES)) << "no such button";
    ASSERT_TRUE(input::AnswerMessageBox(hwnd, IDOK));
    EXPECT_FALSE(IsWindow(hwndBox));
    EXPECT_EQ(panel.nBoxAnswer, IDOK);
    EXPECT_EQ(panel.events.back(), "failed");
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    input::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), 0u);
}

TEST_F(Framework, TheApplicationRunsItsPanelEndsWithItAndHearsTheCommandsThePanelLeaves)
{
    auto pApp = std::make_unique<CTestApp>();
    // The build names the test program (sim_tests on the host, framework_tests on Windows).
    EXPECT_STREQ(pApp->m_pszAppName, SORVANTA_TEST_PROGRAM) << "the program file's name";
    UiThread ui([] {
        return static_cast<DWORD>(
            AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
    });
    const HWND hwnd = screen::WaitForWindow("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(pApp->m_pMainWnd, nullptr);
    EXPECT_EQ(pApp->m_pMainWnd->m_hWnd, hwnd);

    // F1 on the focused list asks the panel for help, which passes the command on.
    ASSERT_TRUE(input::PressKey(VK_F1));
    EXPECT_EQ(pApp->nHelp, 1);

    // The panel's OFF sends ID_HELP to the panel, whose map has no entry for it.
    auto* pPanel = static_cast<CTestPanel*>(pApp->m_pMainWnd);
    pPanel->bAskForHelp = true;
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_ON)));
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_OFF)));
    EXPECT_EQ(pApp->nHelp, 2);

    // Not Esc: OFF, disabled while it had the focus, left the focus nowhere.
    ASSERT_TRUE(input::CloseBox(hwnd));
    EXPECT_EQ(ui.Join(), 0u) << "InitInstance returned FALSE: no loop of the application's own";
    EXPECT_EQ(pApp->nPanelResult, 0);
    EXPECT_EQ(pApp->m_pMainWnd, nullptr) << "cleared when its window went";
    EXPECT_EQ(AfxGetApp(), pApp.get());
    pApp.reset();
    EXPECT_EQ(AfxGetApp(), nullptr);
}

// ---- modeless dialogs on the test's own thread

TEST_F(Framework, ControlMembersAreBoundOnceAndLetGoWithTheWindow)
{
    CTestPanel panel;
    ASSERT_TRUE(panel.Create(IDD_PANEL));
    EXPECT_EQ(panel.m_btnStereo.m_hWnd, GetDlgItem(panel.m_hWnd, IDC_STEREO));
    EXPECT_EQ(panel.m_spnTime.m_hWnd, GetDlgItem(panel.m_hWnd, IDC_TIME_SPIN));
    panel.UpdateData(FALSE);
    EXPECT_EQ(panel.m_spnTime.GetPos(), MAKELONG(200, 0));
    // IDOK alone, with no button of its own, does nothing here but call OnOK.
    SendMessageA(panel.m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(panel.events.back(), "OK");
    EXPECT_TRUE(IsWindow(panel.m_hWnd));
    panel.DestroyWindow();
    EXPECT_EQ(panel.m_hWnd, nullptr);
    EXPECT_EQ(panel.m_btnStereo.m_hWnd, nullptr);
    EXPECT_EQ(panel.m_spnTime.m_hWnd, nullptr);
}

TEST_F(Framework, ADialogMovedInItsInitialisationIsNotCentred)
{
    CTestPanel moved;
    moved.bMoveInInit = true;
    ASSERT_TRUE(moved.Create(IDD_PANEL));
    RECT r;
    GetWindowRect(moved.m_hWnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    moved.DestroyWindow();
}

TEST_F(Framework, ADialogObjectThatGoesFirstTakesItsWindowAlong)
{
    // Without this the window would outlive its object, and its next message would run a
    // message map of freed memory.
    auto pPanel = std::make_unique<CTestPanel>();
    ASSERT_TRUE(pPanel->Create(IDD_PANEL));
    const HWND hwnd = pPanel->m_hWnd;
    const HWND hwndRate = pPanel->m_cmbRate.m_hWnd;
    pPanel.reset();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwndRate));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ON, BN_CLICKED), 0), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

class CSelfDeleting : public CDialog
{
public:
    explicit CSelfDeleting(bool* pbDeleted) : CDialog(IDD_ABOUT), m_pbDeleted(pbDeleted) {}
    ~CSelfDeleting() override { *m_pbDeleted = true; }

protected:
    void PostNcDestroy() override { delete this; }

private:
    bool* m_pbDeleted;
};

TEST_F(Framework, AModelessDialogMayDeleteItselfAfterItsLastMessage)
{
    bool bDeleted = false;
    auto* pDialog = new CSelfDeleting(&bDeleted);
    ASSERT_TRUE(pDialog->Create(IDD_ABOUT));
    const HWND hwnd = pDialog->m_hWnd;
    DestroyWindow(hwnd);
    EXPECT_TRUE(bDeleted);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Framework, ADialogWithoutItsTemplateFailsToOpen)
{
    CDialog dialog(4242);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

}  // namespace

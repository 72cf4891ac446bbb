// The framework's dialogs on the simulated window system, driven as a person drives them: a
// modal panel on the program's own template through a whole session, the ways it ends, the
// application that runs it, and what becomes of objects and windows that part.
#include "platform/sim/sim.h"
#include "platform/sim/windows.h"
#include "tests/framework/TestDialogs.h"
#include "tests/framework/UiThread.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"

#include <cstdlib>
#include <memory>

namespace {

class Framework : public PlatformTest
{
};

LONG CentreX(const RECT& r)
{
    return (r.left + r.right) / 2;
}

LONG CentreY(const RECT& r)
{
    return (r.top + r.bottom) / 2;
}

// Tab until the focus is on the control.
void TabTo(HWND hwnd)
{
    for (int i = 0; i < 30 && sim::Focus() != hwnd; ++i)
        input::PressKey(VK_TAB);
}

TEST_F(Framework, APersonUsesThePanelFromOpeningToTheCloseBox)
{
    CTestPanel panel;
    UiThread ui([&] { return static_cast<DWORD>(panel.DoModal()); });

    // Open: shown, centred on the screen, the focus on the first control, the members bound.
    const HWND hwnd = sim::FindTopLevel("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(sim::Visible(hwnd));
    const RECT r = sim::WindowRect(hwnd);
    EXPECT_LE(std::abs(CentreX(r) - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs(CentreY(r) - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    EXPECT_EQ(sim::Focus(), sim::Item(hwnd, IDC_INDEVICE));
    EXPECT_EQ(panel.m_cmbRate.m_hWnd, sim::Item(hwnd, IDC_RATE));
    EXPECT_EQ(sim::List(panel.m_cmbRate.m_hWnd).items.size(), 8u);
    EXPECT_EQ(sim::WindowIcon(hwnd, true), panel.m_hIcon);
    EXPECT_EQ(sim::WindowIcon(hwnd, false), panel.m_hIcon);
    EXPECT_EQ(sim::Text(sim::Item(hwnd, IDC_TIME)), "200");
    ASSERT_EQ(sim::Timers(hwnd).size(), 1u);
    EXPECT_EQ(sim::Timers(hwnd)[0].nPeriod, 100u);

    // Timers on the virtual clock.
    sim::AdvanceTime(1000);
    EXPECT_EQ(panel.nTicks, 10);

    // Enter in an open list closes the list; then Tab to ON and Enter presses it.
    ASSERT_TRUE(input::Click(panel.m_cmbRate.m_hWnd));
    ASSERT_TRUE(sim::List(panel.m_cmbRate.m_hWnd).bDropped);
    input::PressKey(VK_RETURN);
    EXPECT_FALSE(sim::List(panel.m_cmbRate.m_hWnd).bDropped);
    EXPECT_TRUE(sim::Exists(hwnd)) << "Enter stayed in the list";
    TabTo(panel.m_btnOn.m_hWnd);
    input::PressKey(VK_RETURN);
    EXPECT_EQ(panel.events.back(), "on");
    EXPECT_FALSE(sim::Enabled(panel.m_btnOn.m_hWnd));
    EXPECT_TRUE(sim::Enabled(panel.m_btnOff.m_hWnd));

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
    EXPECT_EQ(sim::UpDown(panel.m_spnTime.m_hWnd).nPos, 201);
    EXPECT_EQ(sim::Text(sim::Item(hwnd, IDC_TIME)), "201");

    // A list choice.
    ASSERT_TRUE(input::ChooseListItem(panel.m_cmbRate.m_hWnd, 3));
    EXPECT_EQ(panel.events.back(), "rate 3");
    EXPECT_EQ(sim::List(panel.m_cmbRate.m_hWnd).data[3], 22050);

    // Tooltips: from the table by control id, over disabled controls too, none for the others.
    EXPECT_EQ(input::ToolTipText(sim::Item(hwnd, IDC_TIME)), "発音までの時間");
    EXPECT_EQ(input::ToolTipText(panel.m_btnOff.m_hWnd), "再生を停止する") << "OFF is disabled";
    EXPECT_EQ(input::ToolTipText(panel.m_btnStereo.m_hWnd), "");
    EXPECT_EQ(input::ToolTipText(sim::Item(hwnd, IDC_RATE)), "サンプリング周波数");

    // Minimised, the panel draws its icon in the middle of its empty client area.
    ASSERT_TRUE(input::Minimise(hwnd));
    EXPECT_TRUE(sim::Iconic(hwnd));
    ASSERT_FALSE(sim::DrawnIcons().empty());
    const sim::DrawIconRecord drawn = sim::DrawnIcons().back();
    EXPECT_EQ(drawn.hwnd, hwnd);
    EXPECT_EQ(drawn.x, -15);
    EXPECT_EQ(drawn.y, -15);
    EXPECT_EQ(drawn.hIcon, panel.m_hIcon);
    EXPECT_TRUE(drawn.bInPaint);
    ASSERT_TRUE(input::Restore(hwnd));
    EXPECT_FALSE(sim::Iconic(hwnd));

    // The About box: over the panel, which is disabled meanwhile while its timer runs on.
    const int nTicks = panel.nTicks;
    ASSERT_TRUE(input::Click(sim::Item(hwnd, IDC_VERSION)));
    const HWND hwndAbout = sim::FindTopLevel("バージョン情報");
    ASSERT_NE(hwndAbout, nullptr);
    EXPECT_EQ(sim::Owner(hwndAbout), hwnd);
    EXPECT_FALSE(sim::Enabled(hwnd));
    const RECT about = sim::WindowRect(hwndAbout);
    const RECT now = sim::WindowRect(hwnd);
    EXPECT_LE(std::abs(CentreX(about) - CentreX(now)), 1);
    EXPECT_LE(std::abs(CentreY(about) - CentreY(now)), 1);
    sim::AdvanceTime(300);
    EXPECT_EQ(panel.nTicks, nTicks + 3);
    EXPECT_FALSE(input::Click(sim::Item(hwnd, IDC_EXIT))) << "a disabled window takes no clicks";
    ASSERT_TRUE(input::Click(sim::Item(hwndAbout, IDC_URL)));
    EXPECT_FALSE(input::CloseBox(hwndAbout)) << "no system menu, no close box";
    input::PressKey(VK_ESCAPE);
    EXPECT_FALSE(sim::Exists(hwndAbout));
    EXPECT_EQ(panel.nAboutResult, IDCANCEL);
    ASSERT_EQ(panel.aboutOpened.size(), 1u);
    EXPECT_EQ(panel.aboutOpened[0], "https://sorvanta.example/");
    EXPECT_TRUE(sim::Enabled(hwnd));
    EXPECT_EQ(sim::Foreground(), hwnd);
    EXPECT_EQ(sim::Focus(), sim::Item(hwnd, IDC_VERSION)) << "the focus comes back where it was";

    // Close box: IDCANCEL, the panel's OnCancel ends it; its controls were there in OnDestroy.
    ASSERT_TRUE(input::CloseBox(hwnd));
    EXPECT_EQ(ui.Join(), 0u);
    EXPECT_FALSE(sim::Exists(hwnd));
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
        const HWND hwnd = sim::FindTopLevel("Sorvanta");
        ASSERT_NE(hwnd, nullptr);
        const std::string way = pszWay;
        if (way == "enter")
            input::PressKey(VK_RETURN);  // the focus is on a list: the default button, exit
        else if (way == "escape")
            input::PressKey(VK_ESCAPE);
        else
            input::CloseBox(hwnd);
        EXPECT_EQ(ui.Join(), 0u);
        EXPECT_FALSE(sim::Exists(hwnd));
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
    const HWND hwnd = sim::FindTopLevel("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(PostThreadMessageA(ui.Id(), WM_QUIT, 7, 0));
    EXPECT_EQ(ui.Join(), 1u) << "-1, and the quit with its code still to come";
    EXPECT_FALSE(sim::Exists(hwnd));
}

TEST_F(Framework, AMessageBoxOverThePanelWaitsForItsAnswerWhileTimersRunOn)
{
    CTestPanel panel;
    panel.bFailOn = true;
    UiThread ui([&] { return static_cast<DWORD>(panel.DoModal()); });
    const HWND hwnd = sim::FindTopLevel("Sorvanta");
    ASSERT_TRUE(input::Click(sim::Item(hwnd, IDC_ON)));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord box = sim::MessageBoxes()[0];
    EXPECT_TRUE(box.bOpen);
    EXPECT_EQ(box.hwndOwner, hwnd);
    EXPECT_EQ(box.text, "出力デバイスが使用中か指定のフォーマットをサポートしていません。");
    EXPECT_EQ(box.caption, "出力デバイス初期化失敗");
    EXPECT_EQ(box.nType, UINT(MB_ICONSTOP | MB_OK));
    EXPECT_FALSE(sim::Enabled(hwnd));
    const int nTicks = panel.nTicks;
    sim::AdvanceTime(500);
    EXPECT_EQ(panel.nTicks, nTicks + 5);
    EXPECT_FALSE(input::AnswerMessageBox(hwnd, IDYES)) << "no such button";
    ASSERT_TRUE(input::AnswerMessageBox(hwnd, IDOK));
    EXPECT_FALSE(sim::MessageBoxes()[0].bOpen);
    EXPECT_EQ(sim::MessageBoxes()[0].nAnswer, IDOK);
    EXPECT_EQ(panel.events.back(), "failed");
    EXPECT_TRUE(sim::Enabled(hwnd));
    input::PressKey(VK_ESCAPE);
    EXPECT_EQ(ui.Join(), 0u);
}

TEST_F(Framework, TheApplicationRunsItsPanelEndsWithItAndHearsTheCommandsThePanelLeaves)
{
    auto pApp = std::make_unique<CTestApp>();
    EXPECT_STREQ(pApp->m_pszAppName, "sim_tests") << "the program file's name";
    UiThread ui([] {
        return static_cast<DWORD>(
            AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
    });
    const HWND hwnd = sim::FindTopLevel("Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(pApp->m_pMainWnd, nullptr);
    EXPECT_EQ(pApp->m_pMainWnd->m_hWnd, hwnd);

    // The panel's OFF sends ID_HELP to the panel, whose map has no entry for it.
    auto* pPanel = static_cast<CTestPanel*>(pApp->m_pMainWnd);
    pPanel->bAskForHelp = true;
    ASSERT_TRUE(input::Click(sim::Item(hwnd, IDC_ON)));
    ASSERT_TRUE(input::Click(sim::Item(hwnd, IDC_OFF)));
    EXPECT_EQ(pApp->nHelp, 1);

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

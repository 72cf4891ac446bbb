// The program as the framework starts it: the one application object runs the panel and the
// program ends when the panel closes; F1 opens nothing.
#include "app/EchoApp.h"
#include "framework/Wnd.h"
#include "platform/sim/sim.h"
#include "platform/sim/windows.h"
#include "res/resource.h"
#include "tests/framework/UiThread.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/TempDirectory.h"

namespace {

class Program : public PlatformTest
{
protected:
    CTempDirectory m_dir;
};

DWORD RunProgram()
{
    return static_cast<DWORD>(
        AfxWinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
}

TEST_F(Program, RunsThePanelUntilItClosesAndAsksNothingOfF1)
{
    CWinApp* pApp = AfxGetApp();
    ASSERT_NE(dynamic_cast<CEchoApp*>(pApp), nullptr) << "the one application object";

    UiThread ui(RunProgram);
    const HWND hwnd = FindWindowA(nullptr, "Sorvanta");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(pApp->m_pMainWnd, nullptr);
    EXPECT_EQ(pApp->m_pMainWnd->m_hWnd, hwnd);
    const int nWindows = sim::Live().nWindows;

    // F1 asks for help; the program has none and says nothing.
    ASSERT_TRUE(input::PressKey(VK_F1));
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_ON)));
    ASSERT_TRUE(input::PressKey(VK_F1));
    EXPECT_EQ(sim::Live().nWindows, nWindows) << "no new window";
    EXPECT_TRUE(sim::MessageBoxes().empty());

    ASSERT_TRUE(input::CloseBox(hwnd));
    EXPECT_EQ(ui.Join(), 0u);
    EXPECT_EQ(pApp->m_pMainWnd, nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(sim::Live().nThreads, 0) << "the devices are closed and the program's thread ended";
}

}  // namespace

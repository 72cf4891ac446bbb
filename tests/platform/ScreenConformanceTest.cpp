// What a person sees and does with the controls, pinned against the real user32 and comctl32
// under Wine alone: the mouse on buttons and labels, where a list and the arrows sit, the
// keyboard in a list, a list that opens, tooltips that show where the mouse rests. The
// simulation leaves these out (a host test gives a person's input as the window messages it
// ends in, tests/support/Input.h); the program's own part in them is tested here and, on the
// program itself, by the end-to-end test of the panel.
#include "tests/platform/DialogHarness.h"
#include "tests/platform/PanelTemplate.h"
#include "tests/support/PlatformTest.h"

#include <cstdlib>
#include <string>

namespace {

class Screen : public PlatformTest
{
};

TEST_F(Screen, APressAndReleaseInsideAButtonClicksItAndGivesItTheFocus)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndOn = panel.Item(IDC_ON);
    SendMessageA(hwndOn, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(hwndOn, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_EQ(panel.Commands(IDC_ON), 1);
    EXPECT_EQ(panel.heard.back().hwndFrom, hwndOn);
    EXPECT_EQ(GetFocus(), hwndOn);
}

TEST_F(Screen, LabelsAndTheGroupBoxLetTheMouseThroughAndLinksDoNot)
{
    DialogHarness about(IDD_ABOUT);
    const HWND hwndText =
        GetWindow(GetWindow(GetWindow(about.Handle(), GW_CHILD), GW_HWNDNEXT), GW_HWNDNEXT);
    EXPECT_EQ(SendMessageA(hwndText, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_EQ(SendMessageA(about.Item(IDC_URL), WM_NCHITTEST, 0, 0), HTCLIENT);

    DialogHarness panel(IDD_PANEL);
    const HWND hwndGroup = GetWindow(panel.Item(IDC_LEVEL1), GW_HWNDNEXT);
    EXPECT_EQ(SendMessageA(hwndGroup, WM_NCHITTEST, 0, 0), HTTRANSPARENT) << "the group box";
}

TEST_F(Screen, AClosedListIsLowerThanItsTemplateAndTheArrowsJoinTheirDisplays)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwnd = panel.Handle();
    HWND h = GetWindow(hwnd, GW_CHILD);
    for (const TemplateControl& c : PANEL) {
        SCOPED_TRACE(c.pszText);
        RECT units = c.rect;
        MapDialogRect(hwnd, &units);
        const RECT r = RectInDialog(hwnd, h);
        const std::string name = c.pszClass;
        if (name == "ComboBox") {
            // The template's height is that of the open list.
            EXPECT_LT(r.bottom - r.top, units.bottom);
        } else if (name == "Edit") {
            // It gave up the width of its arrows, which sit at its right edge as high as it.
            const HWND hwndSpin = GetWindow(h, GW_HWNDNEXT);
            const RECT spin = RectInDialog(hwnd, hwndSpin);
            EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(hwndSpin, UDM_GETBUDDY, 0, 0)), h);
            EXPECT_LE(std::abs(spin.left - r.right), 2);
            EXPECT_EQ(spin.top, r.top);
            EXPECT_EQ(spin.bottom, r.bottom);
            EXPECT_LE(std::abs(r.right - r.left + spin.right - spin.left - units.right), 2);
        }
        h = GetWindow(h, GW_HWNDNEXT);
    }
}

TEST_F(Screen, ArrowKeysInAClosedListChangeTheSelectionAndSaySo)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_RATE);
    Add(hwndList, "8000", 8000);
    Add(hwndList, "11025", 11025);
    SendMessageA(hwndList, CB_SETCURSEL, 0, 0);
    panel.FocusOn(IDC_RATE);
    panel.Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(panel.Count(WM_COMMAND, IDC_RATE, CBN_SELCHANGE), 1);
    EXPECT_EQ(GetFocus(), hwndList) << "the list wants the arrows; they do not move the focus";
}

TEST_F(Screen, EnterInAnOpenDropDownListClosesTheListAndNothingElse)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_INDEVICE);
    SendMessageA(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SendMessageA(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
    ASSERT_EQ(GetFocus(), hwndList);
    SendMessageA(hwndList, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(hwndList, CB_GETDROPPEDSTATE, 0, 0));
    panel.Key(VK_RETURN);
    EXPECT_FALSE(SendMessageA(hwndList, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(panel.Commands(IDC_EXIT), 0);
    EXPECT_EQ(panel.Commands(IDOK), 0);
    panel.Key(VK_RETURN);  // closed again: Enter is the default button's
    EXPECT_EQ(panel.Commands(IDC_EXIT), 1);
}

// ---- tooltips

struct Tip
{
    HWND hwnd;
    WNDPROC pfnOriginal;
    HWND hwndDialog;
};
Tip* g_pTip = nullptr;

HWND MakeTip(HWND hwndDialog, HWND hwndTool)
{
    const HWND hwndTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         hwndDialog, nullptr, GetModuleHandleA(nullptr), nullptr);
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = hwndDialog;
    tool.uId = reinterpret_cast<UINT_PTR>(hwndTool);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(hwndTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return hwndTip;
}

// The mouse comes to rest in the middle of the control.
void Rest(HWND hwndTip, HWND hwndControl)
{
    RECT r;
    GetClientRect(hwndControl, &r);
    POINT pt{r.right / 2, r.bottom / 2};
    POINT screen = pt;
    ClientToScreen(hwndControl, &screen);
    SetCursorPos(screen.x, screen.y);
    MSG msg{};
    msg.hwnd = hwndControl;
    msg.message = WM_MOUSEMOVE;
    msg.lParam = MAKELPARAM(pt.x, pt.y);
    msg.pt = screen;
    SendMessageA(hwndTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    DialogHarness::PumpFor(1000);
}

TEST_F(Screen, ATooltipAsksTheToolsWindowForTheTextOfAToolIdentifiedByItsHandle)
{
    DialogHarness panel(IDD_PANEL);
    panel.pszTip = "再生を開始する";
    const HWND hwndOn = panel.Item(IDC_ON);
    const HWND hwndTip = MakeTip(panel.Handle(), hwndOn);
    ASSERT_NE(hwndTip, nullptr);
    EXPECT_EQ(GetWindow(hwndTip, GW_OWNER), panel.Handle());
    Rest(hwndTip, hwndOn);
    ASSERT_FALSE(panel.tips.empty());
    const NMTTDISPINFOA& ask = panel.tips.front();
    EXPECT_EQ(ask.hdr.code, UINT(TTN_NEEDTEXTA)) << "an ANSI dialog is asked in ANSI";
    EXPECT_EQ(ask.hdr.hwndFrom, hwndTip);
    EXPECT_EQ(GetDlgCtrlID(ask.hdr.hwndFrom), 0) << "the tooltip has no control id";
    EXPECT_EQ(ask.hdr.idFrom, reinterpret_cast<UINT_PTR>(hwndOn));
    EXPECT_TRUE(ask.uFlags & TTF_IDISHWND);
    EXPECT_TRUE(IsWindowVisible(hwndTip));
    DestroyWindow(hwndTip);
}

LRESULT CALLBACK FindDisabledToo(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == TTM_WINDOWFROMPOINT) {
        POINT pt = *reinterpret_cast<const POINT*>(lParam);
        ScreenToClient(g_pTip->hwndDialog, &pt);
        return reinterpret_cast<LRESULT>(
            ChildWindowFromPointEx(g_pTip->hwndDialog, pt, CWP_SKIPINVISIBLE));
    }
    return CallWindowProcA(g_pTip->pfnOriginal, hwnd, nMessage, wParam, lParam);
}

TEST_F(Screen, OverADisabledControlATooltipNeedsItsOwnerToSayWhereTheMouseIs)
{
    DialogHarness panel(IDD_PANEL);
    panel.pszTip = "再生を停止する";
    const HWND hwndOff = panel.Item(IDC_OFF);
    EnableWindow(hwndOff, FALSE);
    const HWND hwndTip = MakeTip(panel.Handle(), hwndOff);
    Rest(hwndTip, hwndOff);
    EXPECT_TRUE(panel.tips.empty()) << "the window under the mouse is the dialog, not the control";

    Tip tip{hwndTip, nullptr, panel.Handle()};
    g_pTip = &tip;
    tip.pfnOriginal = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwndTip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FindDisabledToo)));
    // Away and back again, so that the tooltip starts over.
    Rest(hwndTip, panel.Item(IDC_ON));
    Rest(hwndTip, hwndOff);
    ASSERT_FALSE(panel.tips.empty());
    EXPECT_EQ(panel.tips.back().hdr.idFrom, reinterpret_cast<UINT_PTR>(hwndOff));
    DestroyWindow(hwndTip);
    g_pTip = nullptr;
}

}  // namespace

// The dialog manager as the program relies on it, on the panel's own template: how a dialog is
// made and where its controls go, the keyboard of a dialog (Enter, Esc, Tab, mnemonics), the
// close box, and message boxes over a dialog whose timers run on.
#include "tests/platform/DialogHarness.h"
#include "tests/platform/PanelTemplate.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace {

class Dialog : public PlatformTest
{
};

std::string TextOf(HWND hwnd)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

TEST_F(Dialog, ThePanelIsMadeHiddenInitialisedAndShownWithItsControlsInTemplateOrder)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwnd = panel.Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(panel.bVisibleInInit) << "WM_INITDIALOG comes before the dialog shows";
    EXPECT_EQ(panel.nInitParam, reinterpret_cast<LPARAM>(&panel));
    EXPECT_EQ(panel.hwndFirstInInit, panel.Item(IDC_INDEVICE)) << "the first tab stop";
    EXPECT_TRUE(IsWindowVisible(hwnd)) << "WS_VISIBLE in the template shows it afterwards";
    EXPECT_EQ(GetFocus(), panel.Item(IDC_INDEVICE));

    EXPECT_EQ(TextOf(hwnd), "Sorvanta");
    EXPECT_EQ(ClassOf(hwnd), "#32770");
    const DWORD nStyle = GetWindowLongA(hwnd, GWL_STYLE);
    const DWORD nWanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                          DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(nStyle & nWanted, nWanted);
    EXPECT_EQ(nStyle & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0u);
    const DWORD nExStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(nExStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(nExStyle & WS_EX_DLGMODALFRAME) << "DS_MODALFRAME gives a dialog frame";
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);

    RECT client;
    GetClientRect(hwnd, &client);
    RECT size{0, 0, 243, 139};
    MapDialogRect(hwnd, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND h = GetWindow(hwnd, GW_CHILD);
    for (const TemplateControl& c : PANEL) {
        ASSERT_NE(h, nullptr) << "too few controls";
        SCOPED_TRACE(c.pszText);
        EXPECT_EQ(GetDlgCtrlID(h) & 0xFFFF, c.nId & 0xFFFF);
        EXPECT_STRCASEEQ(ClassOf(h).c_str(), c.pszClass);
        // A combo box gives its scroll bar to its list; an edit's border may turn into an edge.
        const DWORD nKept = WS_CHILD | WS_VISIBLE | (c.nStyle & ~(WS_VSCROLL | WS_BORDER));
        EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & nKept, nKept);
        if (std::strcmp(c.pszClass, "ComboBox") != 0 &&
            std::strcmp(c.pszClass, "msctls_updown32") != 0) {
            EXPECT_EQ(TextOf(h), c.pszText);
        }
        h = GetWindow(h, GW_HWNDNEXT);
    }
    EXPECT_EQ(h, nullptr) << "too many controls";
}

// Where a combo box and an up-down control end up is Wine's (ScreenConformanceTest.cpp): a
// closed list is as high as its text, and the arrows join their displays.
TEST_F(Dialog, ControlsSitWhereTheTemplatePutsThem)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwnd = panel.Handle();
    HWND h = GetWindow(hwnd, GW_CHILD);
    for (const TemplateControl& c : PANEL) {
        SCOPED_TRACE(c.pszText);
        // Windows converts a control's place and its size each on its own.
        RECT units = c.rect;
        MapDialogRect(hwnd, &units);
        const RECT r = RectInDialog(hwnd, h);
        const std::string name = c.pszClass;
        if (name != "msctls_updown32") {
            EXPECT_EQ(r.left, units.left);
            EXPECT_EQ(r.top, units.top);
            if (name != "Edit") {
                EXPECT_EQ(r.right, units.left + units.right);
            }
            if (name != "ComboBox") {
                EXPECT_EQ(r.bottom, units.top + units.bottom);
            }
        }
        h = GetWindow(h, GW_HWNDNEXT);
    }
}

TEST_F(Dialog, EnterGoesToAFocusedPushButtonElseToTheDefaultButton)
{
    DialogHarness panel(IDD_PANEL);
    EXPECT_EQ(SendMessageA(panel.Handle(), DM_GETDEFID, 0, 0), MAKELONG(IDC_EXIT, DC_HASDEFID));

    panel.Key(VK_RETURN);  // the focus is on the input device list
    EXPECT_EQ(panel.Commands(IDC_EXIT), 1);

    panel.FocusOn(IDC_ON);
    EXPECT_TRUE(GetWindowLongA(panel.Item(IDC_ON), GWL_STYLE) & BS_DEFPUSHBUTTON)
        << "the focused push button looks like the default one";
    EXPECT_FALSE(GetWindowLongA(panel.Item(IDC_EXIT), GWL_STYLE) & BS_DEFPUSHBUTTON);
    panel.Key(VK_RETURN);
    EXPECT_EQ(panel.Commands(IDC_ON), 1);
    EXPECT_EQ(panel.Commands(IDC_EXIT), 1);

    panel.FocusOn(IDC_TIME);
    EXPECT_TRUE(GetWindowLongA(panel.Item(IDC_EXIT), GWL_STYLE) & BS_DEFPUSHBUTTON)
        << "away from the push buttons the default button looks so again";
    panel.Key(VK_RETURN);
    EXPECT_EQ(panel.Commands(IDC_EXIT), 2);

    // A disabled default button is not chosen.
    EnableWindow(panel.Item(IDC_EXIT), FALSE);
    panel.Key(VK_RETURN);
    EXPECT_EQ(panel.Commands(IDC_EXIT), 2);
}

// A window disabled while it has the focus leaves the focus nowhere, and a dialog then takes
// none of the keys of its keyboard. A button about to be disabled hands the focus on first, as
// the dialog manager moves it (WM_NEXTDLGCTL), and the keys go on from there.
TEST_F(Dialog, AFocusedButtonThatIsDisabledLeavesTheFocusNowhereUnlessItHandsItOnFirst)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndOn = panel.Item(IDC_ON);
    const HWND hwndOff = panel.Item(IDC_OFF);
    panel.FocusOn(IDC_ON);
    EnableWindow(hwndOn, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    panel.heard.clear();
    for (UINT nKey : {VK_ESCAPE, VK_RETURN, VK_TAB})
        panel.KeyWithoutFocus(nKey);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(panel.heard.empty()) << "no IDCANCEL, no default button";

    EnableWindow(hwndOn, TRUE);
    EnableWindow(hwndOff, FALSE);
    panel.FocusOn(IDC_ON);
    EnableWindow(hwndOff, TRUE);
    SendMessageA(panel.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwndOff), TRUE);
    EnableWindow(hwndOn, FALSE);
    EXPECT_EQ(GetFocus(), hwndOff);
    EXPECT_TRUE(GetWindowLongA(hwndOff, GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_FALSE(GetWindowLongA(hwndOn, GWL_STYLE) & BS_DEFPUSHBUTTON);
    panel.Key(VK_RETURN);
    EXPECT_EQ(panel.Commands(IDC_OFF), 1) << "Enter presses the focused button";
    panel.Key(VK_TAB);
    EXPECT_EQ(GetFocus(), panel.Item(IDC_VERSION));
    panel.Key(VK_ESCAPE);
    EXPECT_EQ(panel.Commands(IDCANCEL), 1);
}

// A dialog without any push button, for what Enter does then.
struct PlainTemplate
{
    DLGTEMPLATE header;
    WORD nMenu, nClass, title[2];
    WORD nPad;  // the item starts on a DWORD boundary
    DLGITEMTEMPLATE item;
    WORD nClassOrd[2], text[2], nExtra;
};

struct CommandLog
{
    std::vector<WPARAM> commands;
};

INT_PTR CALLBACK LogCommands(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        return FALSE;
    }
    if (nMessage == WM_COMMAND)
        reinterpret_cast<CommandLog*>(GetWindowLongPtrA(hwnd, DWLP_USER))
            ->commands.push_back(wParam);
    return FALSE;
}

TEST_F(Dialog, EnterWithoutAnyDefaultButtonIsIdok)
{
    alignas(4) PlainTemplate t{};
    t.header.style = WS_POPUP | WS_CAPTION;
    t.header.cdit = 1;
    t.header.cx = 100;
    t.header.cy = 50;
    t.title[0] = 'T';
    t.item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
    t.item.x = 5;
    t.item.y = 5;
    t.item.cx = 40;
    t.item.cy = 14;
    t.item.id = 77;
    t.nClassOrd[0] = 0xFFFF;
    t.nClassOrd[1] = 0x0081;  // Edit
    t.text[0] = 'B';
    static_assert(offsetof(PlainTemplate, item) % 4 == 0, "items are DWORD-aligned");

    CommandLog log;
    const HWND hwnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &t.header, nullptr,
                                                 LogCommands, reinterpret_cast<LPARAM>(&log));
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(Difference(
        DifferenceKind::WineFault, "DM_GETDEFID of a dialog without a default button",
        "Windows answers 0 as documented, and so does the simulation; Wine "
        "answers IDOK as if it were the default. Enter goes to IDOK on all three",
        SendMessageA(hwnd, DM_GETDEFID, 0, 0), LRESULT(0), LRESULT(MAKELONG(IDOK, DC_HASDEFID))));
    SetFocus(GetDlgItem(hwnd, 77));
    MSG msg{GetDlgItem(hwnd, 77), WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(hwnd, &msg));
    EXPECT_EQ(std::count(log.commands.begin(), log.commands.end(), WPARAM(IDOK)), 1);
    DestroyWindow(hwnd);
}

TEST_F(Dialog, EscapeAndTheCloseBoxAreIdcancel)
{
    DialogHarness panel(IDD_PANEL);
    panel.Key(VK_ESCAPE);
    EXPECT_EQ(panel.Commands(IDCANCEL), 1);
    // The close box gives WM_SYSCOMMAND, and the dialog turns WM_CLOSE into IDCANCEL.
    SendMessageA(panel.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    DialogHarness::Pump();
    EXPECT_EQ(panel.Commands(IDCANCEL), 2);
    EXPECT_TRUE(IsWindow(panel.Handle())) << "the dialog decides what IDCANCEL does";
}

// The program has no help: F1 must reach the dialog as a request it can answer with nothing.
// The system follows the key-down of F1 with WM_KEYF1 (0x004D, not in every set of headers),
// and the window's default processing asks for help.
TEST_F(Dialog, F1AsksTheDialogForHelpAboutTheFocusedControl)
{
    DialogHarness panel(IDD_PANEL);
    PostMessageA(GetFocus(), 0x004D, 0, 0);
    DialogHarness::Pump();
    ASSERT_EQ(panel.Count(WM_HELP, IDC_INDEVICE, 0), 1);
    EXPECT_EQ(panel.heard.back().hwndFrom, panel.Item(IDC_INDEVICE));
}

TEST_F(Dialog, TabVisitsTheTabStopsInTemplateOrderSkippingDisabledOnes)
{
    DialogHarness panel(IDD_PANEL);
    EnableWindow(panel.Item(IDC_OFF), FALSE);
    const int order[] = {IDC_OUTDEVICE, IDC_RATE, IDC_STEREO,  IDC_TIME, IDC_ECHO,
                         IDC_DELAY,     IDC_ON,   IDC_VERSION, IDC_EXIT, IDC_INDEVICE};
    for (int nId : order) {
        panel.Key(VK_TAB);
        EXPECT_EQ(GetFocus(), panel.Item(nId)) << nId;
    }
    // Selected for typing over, as the dialog manager gives the focus to an edit.
    panel.FocusOn(IDC_TIME);
    SetWindowTextA(panel.Item(IDC_TIME), "200");
    panel.FocusOn(IDC_ECHO);
    panel.FocusOn(IDC_TIME);
    DWORD nStart = 1;
    DWORD nEnd = 0;
    SendMessageA(panel.Item(IDC_TIME), EM_GETSEL, reinterpret_cast<WPARAM>(&nStart),
                 reinterpret_cast<LPARAM>(&nEnd));
    EXPECT_EQ(nStart, 0u);
    EXPECT_EQ(nEnd, 3u);
}

TEST_F(Dialog, MnemonicsClickButtonsAndLabelsPassTheFocusOnInTabOrder)
{
    DialogHarness panel(IDD_PANEL);
    panel.AltKey('n');
    EXPECT_EQ(panel.Commands(IDC_ON), 1);
    panel.AltKey('S');
    EXPECT_EQ(panel.Commands(IDC_STEREO), 1);
    EXPECT_EQ(SendMessageA(panel.Item(IDC_STEREO), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetFocus(), panel.Item(IDC_STEREO));

    EnableWindow(panel.Item(IDC_OFF), FALSE);
    panel.AltKey('f');
    EXPECT_EQ(panel.Commands(IDC_OFF), 0) << "a disabled button has no mnemonic";

    // A label gives the focus to the next tab stop after it in the template. The panel's
    // labels come after the controls they name, so that is the first control of all.
    panel.FocusOn(IDC_ON);
    panel.AltKey('o');
    EXPECT_EQ(GetFocus(), panel.Item(IDC_INDEVICE));
    panel.FocusOn(IDC_ON);
    panel.AltKey('p');
    EXPECT_EQ(GetFocus(), panel.Item(IDC_INDEVICE));
}

TEST_F(Dialog, AnOwnedDialogStartsAtItsOwnersClientOrigin)
{
    DialogHarness panel(IDD_PANEL);
    CommandLog log;
    const HWND hwndAbout =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), panel.Handle(),
                           LogCommands, reinterpret_cast<LPARAM>(&log));
    ASSERT_NE(hwndAbout, nullptr);
    EXPECT_EQ(GetWindow(hwndAbout, GW_OWNER), panel.Handle());
    EXPECT_FALSE(IsWindowVisible(hwndAbout)) << "no WS_VISIBLE in its template";
    POINT origin{0, 0};
    ClientToScreen(panel.Handle(), &origin);
    POINT aboutOrigin{0, 0};
    ClientToScreen(hwndAbout, &aboutOrigin);
    EXPECT_EQ(aboutOrigin.x, origin.x);
    EXPECT_EQ(aboutOrigin.y, origin.y);
    DestroyWindow(hwndAbout);
}

// ---- message boxes

struct BoxWatch
{
    HWND hwndOwner = nullptr;
    int nTicks = 0;
    bool bOwnerEnabledMeanwhile = true;
    bool bFound = false;
};
BoxWatch* g_pWatch = nullptr;

void CALLBACK WatchBox(HWND hwnd, UINT, UINT_PTR nId, DWORD)
{
    BoxWatch& w = *g_pWatch;
    ++w.nTicks;
    w.bOwnerEnabledMeanwhile = w.bOwnerEnabledMeanwhile && IsWindowEnabled(w.hwndOwner);
    if (w.nTicks < 3)
        return;
    KillTimer(hwnd, nId);
    // The box is a dialog of its own; a click on its OK button answers it.
    if (HWND hwndBox = FindWindowA("#32770", "Conformance")) {
        w.bFound = true;
        PostMessageA(hwndBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwndBox, IDOK)));
    }
}

TEST_F(Dialog, AMessageBoxDisablesItsOwnerWhileTheOwnersTimersRunOn)
{
    DialogHarness panel(IDD_PANEL);
    BoxWatch watch;
    watch.hwndOwner = panel.Handle();
    g_pWatch = &watch;
    SetTimer(panel.Handle(), 5, 60, WatchBox);
    const int nAnswer = MessageBoxA(panel.Handle(), "A text", "Conformance", MB_OK | MB_ICONSTOP);
    g_pWatch = nullptr;
    EXPECT_EQ(nAnswer, IDOK);
    EXPECT_TRUE(watch.bFound);
    EXPECT_GE(watch.nTicks, 3);
    EXPECT_FALSE(watch.bOwnerEnabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(panel.Handle()));
}

}  // namespace

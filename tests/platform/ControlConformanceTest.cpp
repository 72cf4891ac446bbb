// The controls of the panel and the About box as the program relies on them: drop-down lists,
// push buttons and check boxes, labels and links, read-only displays, up-down controls and
// progress bars. Changes the program makes with its own messages notify nobody; a person's
// do.
#include "tests/platform/DialogHarness.h"
#include "tests/support/PlatformTest.h"

#include <cstring>
#include <string>

namespace {

class Controls : public PlatformTest
{
};

LRESULT SelectString(HWND hwndList, WPARAM nStart, const char* pszText)
{
    return SendMessageA(hwndList, CB_SELECTSTRING, nStart, reinterpret_cast<LPARAM>(pszText));
}

std::string TextOf(HWND hwnd)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

TEST_F(Controls, ADropDownListKeepsItsOrderAndPointerSizedItemData)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_INDEVICE);
    int nObject = 0;
    EXPECT_EQ(Add(hwndList, "標準のデバイス", -1), 0);
    EXPECT_EQ(Add(hwndList, "b device", 0), 1);
    EXPECT_EQ(Add(hwndList, "A device", reinterpret_cast<LPARAM>(&nObject)), 2) << "no sorting";
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETITEMDATA, 0, 0), -1);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETITEMDATA, 2, 0), reinterpret_cast<LPARAM>(&nObject));
    char text[64] = {};
    EXPECT_EQ(SendMessageA(hwndList, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)),
              static_cast<LRESULT>(std::strlen("標準のデバイス")));
    EXPECT_STREQ(text, "標準のデバイス");
    EXPECT_EQ(SendMessageA(hwndList, CB_GETLBTEXTLEN, 1, 0), 8);
    EXPECT_EQ(panel.Count(WM_COMMAND, IDC_INDEVICE, CBN_SELCHANGE), 0);
}

TEST_F(Controls, WithNothingSelectedAListAnswersCbErrAndLeavesTheCallersBufferAlone)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_RATE);
    Add(hwndList, "8000", 8000);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETITEMDATA, WPARAM(-1), 0), CB_ERR);
    char text[16] = "untouched";
    EXPECT_EQ(SendMessageA(hwndList, CB_GETLBTEXT, WPARAM(-1), reinterpret_cast<LPARAM>(text)),
              CB_ERR);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(SendMessageA(hwndList, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text)), CB_ERR);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(TextOf(hwndList), "");

    EXPECT_EQ(SendMessageA(hwndList, CB_SETCURSEL, 0, 0), 0);
    EXPECT_EQ(TextOf(hwndList), "8000") << "a drop-down list shows its selected item";
    EXPECT_EQ(SendMessageA(hwndList, CB_SETCURSEL, WPARAM(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(panel.Count(WM_COMMAND, IDC_RATE, CBN_SELCHANGE), 0) << "the program's own changes";
}

TEST_F(Controls, SelectStringTakesTheFirstItemThatBeginsWithTheTextWhateverItsCase)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_OUTDEVICE);
    Add(hwndList, "標準のデバイス", -1);
    Add(hwndList, "Speaker (USB)", 0);
    Add(hwndList, "speaker 2", 1);
    Add(hwndList, "Mic", 2);

    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "SPEAKER"), 1) << "from the top";
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SelectString(hwndList, 1, "speaker"), 2) << "after the start item";
    EXPECT_EQ(SelectString(hwndList, 2, "speaker"), 1) << "round from the end";
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "mIC"), 3);
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "標準のデバイス"), 0);

    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "Speakers"), CB_ERR);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), 0) << "no match leaves the selection";
    EXPECT_EQ(panel.Count(WM_COMMAND, IDC_OUTDEVICE, CBN_SELCHANGE), 0);
}

TEST_F(Controls, SelectStringComparesWholeDoubleByteCharacters)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_INDEVICE);
    Add(hwndList, "標準のデバイス", -1);  // 標 is 0x95 0x57: its trail byte is 'W'
    Add(hwndList, "ソニー", 0);           // ソ is 0x83 0x5C: its trail byte is '\'
    Add(hwndList, "W", 1);
    const char lead[] = {'\x95', '\0'};
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), lead), CB_ERR)
        << "half a character matches nothing";
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "w"), 2) << "a trail byte is no letter";
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), "ソ"), 1);
}

// Windows documents nothing for an empty text; Wine selects nothing, and so does the simulation.
TEST_F(Controls, SelectStringWithAnEmptyTextSelectsNothing)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndList = panel.Item(IDC_INDEVICE);
    Add(hwndList, "標準のデバイス", -1);
    Add(hwndList, "Mic", 0);
    EXPECT_EQ(SelectString(hwndList, WPARAM(-1), ""), CB_ERR);
    EXPECT_EQ(SendMessageA(hwndList, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(Controls, ATwoStateBoxTakesAnythingAboveOneAsCheckedAndTellsOnlyOfClicks)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndBox = panel.Item(IDC_STEREO);
    SendMessageA(hwndBox, BM_SETCHECK, 2, 0);
    EXPECT_EQ(SendMessageA(hwndBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(hwndBox, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendMessageA(hwndBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(panel.Commands(IDC_STEREO), 0);

    SendMessageA(hwndBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(hwndBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(panel.Commands(IDC_STEREO), 1);
    EXPECT_EQ(panel.heard.back().hwndFrom, hwndBox);
    EXPECT_EQ(GetFocus(), hwndBox) << "as a press and release of the mouse inside it";
}

TEST_F(Controls, LinksReportClicksAndPlainLabelsTellNobody)
{
    DialogHarness about(IDD_ABOUT);
    const HWND hwndUrl = about.Item(IDC_URL);
    const HWND hwndText =
        GetWindow(GetWindow(GetWindow(about.Handle(), GW_CHILD), GW_HWNDNEXT), GW_HWNDNEXT);
    SendMessageA(hwndUrl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(hwndUrl, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(about.Commands(IDC_URL, STN_CLICKED), 1);
    SendMessageA(hwndText, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(about.heard.size(), 1u) << "a plain label tells nobody";
    EXPECT_EQ(TextOf(hwndUrl).rfind("https://", 0), 0u);
    EXPECT_EQ(TextOf(about.Item(IDC_MAIL)).rfind("mailto:", 0), 0u);
}

TEST_F(Controls, TheAboutBoxIconIsTheProgramIconAtItsOwnSize)
{
    DialogHarness about(IDD_ABOUT);
    const HWND hwndIcon = GetWindow(GetWindow(about.Handle(), GW_CHILD), GW_HWNDNEXT);
    const HICON hIcon = reinterpret_cast<HICON>(SendMessageA(hwndIcon, STM_GETICON, 0, 0));
    EXPECT_NE(hIcon, nullptr);
    EXPECT_EQ(hIcon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PANEL)))
        << "a shared icon: every load gives the same handle";
    RECT r;
    GetClientRect(hwndIcon, &r);
    EXPECT_EQ(r.right, 32);
    EXPECT_EQ(r.bottom, 32);
}

TEST_F(Controls, AReadOnlyDisplayIgnoresTypingAndReportsTextTheProgramSets)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndTime = panel.Item(IDC_TIME);
    SetWindowTextA(hwndTime, "200");
    EXPECT_EQ(panel.Commands(IDC_TIME, EN_CHANGE), 1);
    panel.FocusOn(IDC_TIME);
    SendMessageA(hwndTime, WM_CHAR, '7', 1);
    EXPECT_EQ(TextOf(hwndTime), "200");
    EXPECT_EQ(SendMessageA(hwndTime, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
}

TEST_F(Controls, AnUpDownRangeIsMaximumThenMinimumAndPositionsAreBroughtIntoIt)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndSpin = panel.Item(IDC_TIME_SPIN);
    const HWND hwndTime = panel.Item(IDC_TIME);
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETRANGE, 0, 0), MAKELONG(0, 100))
        << "a new control: 100 down to 0";
    SendMessageA(hwndSpin, UDM_SETRANGE, 0, MAKELPARAM(1000, 50));
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETRANGE, 0, 0), MAKELONG(1000, 50));

    SendMessageA(hwndSpin, UDM_SETPOS, 0, 2000);
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0), MAKELONG(1000, 0));
    EXPECT_EQ(TextOf(hwndTime), "1,000") << "the thousands separator, without UDS_NOTHOUSANDS";
    SendMessageA(hwndSpin, UDM_SETPOS, 0, 65536 + 100);
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0), MAKELONG(100, 0)) << "the low 16 bits";
    SendMessageA(hwndSpin, UDM_SETPOS, 0, 40000);
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0), MAKELONG(50, 0))
        << "a negative 16-bit number";
    EXPECT_EQ(TextOf(hwndTime), "50");
    EXPECT_TRUE(panel.deltas.empty()) << "the program's own UDM_SETPOS asks nobody";

    // The position is read back from the display.
    SetWindowTextA(hwndTime, "123");
    EXPECT_EQ(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0), MAKELONG(123, 0));
    SetWindowTextA(hwndTime, "abc");
    EXPECT_NE(HIWORD(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0)), 0) << "no number: an error";
}

TEST_F(Controls, ArrowsAskTheParentBeforeEveryChangeEvenAtABound)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndSpin = panel.Item(IDC_ECHO_SPIN);
    const HWND hwndEcho = panel.Item(IDC_ECHO);
    SendMessageA(hwndSpin, UDM_SETRANGE, 0, MAKELPARAM(255, 0));
    SendMessageA(hwndSpin, UDM_SETPOS, 0, 254);
    panel.FocusOn(IDC_ECHO);

    panel.Key(VK_UP);  // the arrow keys in the display, with UDS_ARROWKEYS
    ASSERT_EQ(panel.deltas.size(), 1u);
    EXPECT_EQ(panel.deltas[0].iPos, 254);
    EXPECT_EQ(panel.deltas[0].iDelta, 1);
    EXPECT_EQ(static_cast<int>(panel.deltas[0].hdr.idFrom), IDC_ECHO_SPIN);
    EXPECT_EQ(panel.deltas[0].hdr.hwndFrom, hwndSpin);
    EXPECT_EQ(LOWORD(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0)), 255);
    EXPECT_EQ(TextOf(hwndEcho), "255");

    panel.Key(VK_UP);  // at the top: asked all the same, and nothing moves
    ASSERT_EQ(panel.deltas.size(), 2u);
    EXPECT_EQ(panel.deltas[1].iPos, 255);
    EXPECT_EQ(LOWORD(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0)), 255);

    panel.nDeltaAnswer = 1;  // the parent says no
    panel.Key(VK_DOWN);
    ASSERT_EQ(panel.deltas.size(), 3u);
    EXPECT_EQ(panel.deltas[2].iDelta, -1);
    EXPECT_EQ(LOWORD(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0)), 255);

    // A click on the lower arrow.
    panel.nDeltaAnswer = 0;
    RECT r;
    GetClientRect(hwndSpin, &r);
    SendMessageA(hwndSpin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom - 2));
    SendMessageA(hwndSpin, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom - 2));
    ASSERT_EQ(panel.deltas.size(), 4u);
    EXPECT_EQ(panel.deltas[3].iDelta, -1);
    EXPECT_EQ(LOWORD(SendMessageA(hwndSpin, UDM_GETPOS, 0, 0)), 254);
}

TEST_F(Controls, AProgressBarKeepsItsPositionInItsRange)
{
    DialogHarness panel(IDD_PANEL);
    const HWND hwndLevel = panel.Item(IDC_LEVEL1);
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_SETRANGE, 0, MAKELPARAM(0, 32767)), MAKELONG(0, 100));
    PBRANGE range{};
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range)),
              32767);
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 32767);
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_GETRANGE, TRUE, 0), 0) << "the low end, and no structure";
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_SETPOS, 20000, 0), 0) << "the previous position";
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_GETPOS, 0, 0), 20000);
    SendMessageA(hwndLevel, PBM_SETPOS, 40000, 0);
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_GETPOS, 0, 0), 32767);
    SendMessageA(hwndLevel, PBM_SETPOS, 0, 0);
    EXPECT_EQ(SendMessageA(hwndLevel, PBM_GETPOS, 0, 0), 0);
}

}  // namespace

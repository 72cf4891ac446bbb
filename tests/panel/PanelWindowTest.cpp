// The panel's window: what it shows when it opens, the settings it restores and saves, its
// tooltips, its icon when minimised, and the ways it ends.
#include "tests/panel/PanelFixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Settings = PanelTest;

// ENDSESSION_CLOSEAPP: a restart manager asks the program to close (Wine's headers lack the name).
constexpr LPARAM CLOSE_APP = 0x00000001;

// A list's items, their data and its choice, as the program reads them.
std::vector<std::string> Items(HWND hwndList)
{
    std::vector<std::string> items(size_t(SendMessageA(hwndList, CB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < items.size(); ++i) {
        char szText[256] = {};
        SendMessageA(hwndList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szText));
        items[i] = szText;
    }
    return items;
}

std::vector<LRESULT> ItemData(HWND hwndList)
{
    std::vector<LRESULT> data(size_t(SendMessageA(hwndList, CB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = SendMessageA(hwndList, CB_GETITEMDATA, i, 0);
    return data;
}

std::string Selected(HWND hwndList)
{
    const LRESULT nSelection = SendMessageA(hwndList, CB_GETCURSEL, 0, 0);
    return nSelection == CB_ERR ? "(none)" : Items(hwndList)[size_t(nSelection)];
}

TEST_F(Settings, TheFirstStartOffersTheFirstItemsAndTheLowestNumbers)
{
    sim::SetWaveInDevices({{"Mic", {}, {}}, {"Line In", {}, {}}});
    sim::SetWaveOutDevices({{"Speaker", {}, {}}});
    Open();
    EXPECT_EQ(Items(Item(IDC_INDEVICE)),
              (std::vector<std::string>{DEFAULT_DEVICE_TEXT, "Mic", "Line In"}));
    EXPECT_EQ(ItemData(Item(IDC_INDEVICE)), (std::vector<LRESULT>{-1, 0, 1}));
    EXPECT_EQ(Items(Item(IDC_OUTDEVICE)),
              (std::vector<std::string>{DEFAULT_DEVICE_TEXT, "Speaker"}));
    EXPECT_EQ(Items(Item(IDC_RATE)),
              (std::vector<std::string>{"8000", "11025", "16000", "22050", "32000", "44100",
                                        "48000", "96000"}));
    EXPECT_EQ(ItemData(Item(IDC_RATE))[5], 44100);
    EXPECT_EQ(Selected(Item(IDC_INDEVICE)), DEFAULT_DEVICE_TEXT);
    EXPECT_EQ(Selected(Item(IDC_OUTDEVICE)), DEFAULT_DEVICE_TEXT);
    EXPECT_EQ(Selected(Item(IDC_RATE)), "8000");
    EXPECT_EQ(SendMessageA(Item(IDC_STEREO), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Text(Item(IDC_TIME)), "50");
    EXPECT_EQ(Text(Item(IDC_ECHO)), "0");
    EXPECT_EQ(Text(Item(IDC_DELAY)), "10");
    EXPECT_FALSE(IsOn());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_ON)));
    EXPECT_EQ(SendMessageA(Item(IDC_LEVEL1), PBM_GETRANGE, FALSE, 0), 32767);
    EXPECT_EQ(SendMessageA(Item(IDC_LEVEL2), PBM_GETRANGE, FALSE, 0), 32767);
    EXPECT_EQ(input::Focus(), Item(IDC_INDEVICE));

    Close();
    EXPECT_EQ(Setting("INDEVICE"), DEFAULT_DEVICE_TEXT);
    EXPECT_EQ(Setting("OUTDEVICE"), DEFAULT_DEVICE_TEXT);
    EXPECT_EQ(Setting("RATE"), "8000");
    EXPECT_EQ(Setting("STEREO"), "0");
    EXPECT_EQ(Setting("TIME"), "50");
    EXPECT_EQ(Setting("ECHO"), "0");
    EXPECT_EQ(Setting("DELAY"), "10");
}

TEST_F(Settings, StoredNumbersComeBackWithinTheirRanges)
{
    struct Case
    {
        const char* lines;
        int nTime, nEcho, nDelay;
        const char* timeText;
    };
    const Case cases[] = {
        {"TIME=200\r\nECHO=128\r\nDELAY=300\r\n", 200, 128, 300, "200"},
        {"TIME=2000\r\nECHO=999\r\nDELAY=-5\r\n", 1000, 255, 10, "1,000"},
        {"TIME=65636\r\n", 100, 0, 10, "100"},  // the low 16 bits: 100
        {"TIME=40000\r\n", 50, 0, 10, "50"},    // the low 16 bits read as negative
        {"TIME=  +300ms\r\nECHO=abc\r\nDELAY=99999999999999\r\n", 300, 0, 10, "300"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteSettings(c.lines);
        Open();
        EXPECT_EQ(Position(IDC_TIME_SPIN), c.nTime);
        EXPECT_EQ(Position(IDC_ECHO_SPIN), c.nEcho);
        EXPECT_EQ(Position(IDC_DELAY_SPIN), c.nDelay);
        EXPECT_EQ(Text(Item(IDC_TIME)), c.timeText);
        Close();
    }
}

TEST_F(Settings, AllSevenComeBackAndTheEchoStaysOff)
{
    UseDevices({});
    WriteSettings(
        "INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=22050\r\nSTEREO=1\r\nTIME=200\r\n"
        "ECHO=128\r\nDELAY=300\r\n");
    Open();
    EXPECT_EQ(Selected(Item(IDC_INDEVICE)), "Mic");
    EXPECT_EQ(Selected(Item(IDC_OUTDEVICE)), "Speaker");
    EXPECT_EQ(Selected(Item(IDC_RATE)), "22050");
    EXPECT_EQ(SendMessageA(Item(IDC_STEREO), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Text(Item(IDC_TIME)), "200");
    EXPECT_EQ(Text(Item(IDC_ECHO)), "128");
    EXPECT_EQ(Text(Item(IDC_DELAY)), "300");

    // Changed by a person while the echo runs, then closed: the echo stops first, and what the
    // controls show is saved.
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(500);
    ASSERT_TRUE(input::PressArrow(Item(IDC_DELAY_SPIN), false));
    ASSERT_TRUE(input::ChooseListItem(Item(IDC_RATE), 6));
    ASSERT_TRUE(input::Click(Item(IDC_STEREO)));
    sim::AdvanceTime(500);
    EXPECT_TRUE(IsOn());
    ASSERT_TRUE(input::PressKey(VK_ESCAPE));
    EXPECT_EQ(m_pUi->Join(), 0u);
    EXPECT_EQ(sim::Live().nThreads, 0) << "the devices are closed";
    EXPECT_EQ(Setting("RATE"), "48000");
    EXPECT_EQ(Setting("STEREO"), "0");
    EXPECT_EQ(Setting("DELAY"), "299");
    EXPECT_EQ(Setting("INDEVICE"), "Mic");

    Open();
    EXPECT_FALSE(IsOn()) << "the echo starts only by ON";
    EXPECT_EQ(Selected(Item(IDC_RATE)), "48000");
    EXPECT_EQ(Position(IDC_DELAY_SPIN), 299);
}

// A logoff or shutdown ends the process once the panel has answered WM_ENDSESSION, without
// WM_DESTROY: what the panel has not saved and closed by then, it never does. A process that
// outlives it (a restart manager's ENDSESSION_CLOSEAPP) is ended by the panel itself.
TEST_F(Settings, TheEndOfTheSessionKeepsWhatWasChangedAndClosesTheDevices)
{
    UseDevices({});
    WriteSettings("INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nDELAY=100\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(300);
    ASSERT_TRUE(input::PressArrow(Item(IDC_DELAY_SPIN), true));
    sim::AdvanceTime(600);
    ASSERT_TRUE(IsOn()) << "on again with the new delay";
    std::remove((m_dir.Path() + "/sorvanta.ini").c_str());

    EXPECT_TRUE(sim::EndSession(CLOSE_APP)) << "the panel lets the session end";
    EXPECT_EQ(Setting("DELAY"), "101");
    EXPECT_EQ(Setting("INDEVICE"), "Mic");
    EXPECT_EQ(Setting("RATE"), "8000");
    EXPECT_TRUE(sim::OpenWaveIns().empty());
    EXPECT_TRUE(sim::OpenWaveOuts().empty());
    EXPECT_EQ(m_pUi->Join(), 0u) << "the program ends";
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_EQ(sim::Live().nThreads, 0);
}

TEST_F(Settings, DevicesAreFoundByNameWithTheListsPrefixSearch)
{
    sim::SetWaveInDevices({{"USB Mic", {}, {}}, {"Mic Array", {}, {}}, {"Mic", {}, {}}});
    sim::SetWaveOutDevices({{"Speaker", {}, {}}, {"Headphones", {}, {}}});
    struct Case
    {
        const char* lines;
        const char* input;
        const char* output;
    };
    const Case cases[] = {
        {"INDEVICE=Mic\r\nOUTDEVICE=headphones\r\n", "Mic Array", "Headphones"},
        {"INDEVICE=usb "
         "MIC\r\nOUTDEVICE=\x95\x57\x8f\x80\x82\xcc\x83\x66\x83\x6f\x83\x43\x83\x58\r\n",
         "USB Mic", DEFAULT_DEVICE_TEXT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteSettings(c.lines);
        Open();
        EXPECT_EQ(Selected(Item(IDC_INDEVICE)), c.input);
        EXPECT_EQ(Selected(Item(IDC_OUTDEVICE)), c.output);
        Close();
    }
}

// An unplugged device leaves its list without a choice (the echo then uses the default
// device); its name stays in the file until the device is back. A rate of -1 selects nothing
// and is what no selection saves.
TEST_F(Settings, WhatMatchesNothingStaysAsItWas)
{
    UseDevices({});
    WriteSettings("INDEVICE=Unplugged Mic\r\nOUTDEVICE=Speaker\r\nRATE=-1\r\n");
    Open();
    EXPECT_EQ(SendMessageA(Item(IDC_INDEVICE), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(Item(IDC_RATE), CB_GETCURSEL, 0, 0), CB_ERR);
    Close();
    EXPECT_EQ(Setting("INDEVICE"), "Unplugged Mic");
    EXPECT_EQ(Setting("RATE"), "-1");
    EXPECT_EQ(Setting("OUTDEVICE"), "Speaker");
}

// ---- the ways the panel ends, and what it shows meanwhile

using Window = PanelTest;

TEST_F(Window, EnterEscAndTheCloseBoxEndThePanelAndSaveTheSettingsTheIdokCommandDoesNot)
{
    for (int nWay = 0; nWay < 3; ++nWay) {
        SCOPED_TRACE(nWay);
        std::remove((m_dir.Path() + "/sorvanta.ini").c_str());
        Open();
        // IDOK as a program would send it: the panel stays.
        PostMessageA(m_hwnd, WM_COMMAND, IDOK, 0);
        sim::Settle();
        ASSERT_TRUE(IsWindowVisible(m_hwnd));
        if (nWay == 0)
            ASSERT_TRUE(input::PressKey(VK_RETURN));  // the focus is in the input list
        else if (nWay == 1)
            ASSERT_TRUE(input::PressKey(VK_ESCAPE));
        else
            ASSERT_TRUE(input::CloseBox(m_hwnd));
        EXPECT_EQ(m_pUi->Join(), 0u);
        EXPECT_FALSE(IsWindow(m_hwnd));
        EXPECT_EQ(Setting("TIME"), "50");
    }
}

// ON and OFF each disable the button that a click or a mnemonic has just given the focus, and
// a window disabled while it has the focus leaves the focus nowhere: the focus goes to the other
// button first, so that the keyboard goes on working. The same after a failed start, whose
// message comes between the two.
TEST_F(Window, AfterOnOffOrAFailedStartTheKeyboardStillWorks)
{
    UseDevices({});
    WriteSettings("RATE=8000\r\n");
    enum { ALT_N, CLICK_ON, CLICK_OFF, FAILED_START };
    for (int nWay : {ALT_N, CLICK_ON, CLICK_OFF, FAILED_START}) {
        SCOPED_TRACE(nWay);
        Open();
        if (nWay == FAILED_START)
            sim::InjectFault("waveOutOpen", MMSYSERR_ALLOCATED);
        const bool bClick = nWay == CLICK_ON || nWay == CLICK_OFF;
        ASSERT_TRUE(bClick ? input::Click(Item(IDC_ON)) : input::PressKey('N', input::KEY_ALT));
        if (nWay == FAILED_START) {
            ASSERT_EQ(sim::MessageBoxes().size(), 1u);
            ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
        }
        if (nWay == CLICK_OFF) {
            ASSERT_TRUE(input::Click(Item(IDC_OFF)));
        }
        const bool bOn = nWay == ALT_N || nWay == CLICK_ON;
        EXPECT_EQ(IsOn(), bOn);
        EXPECT_EQ(input::Focus(), Item(bOn ? IDC_OFF : IDC_ON));
        if (nWay == ALT_N) {
            // Enter presses the push button with the focus.
            ASSERT_TRUE(input::PressKey(VK_RETURN));
            EXPECT_FALSE(IsOn());
            EXPECT_EQ(input::Focus(), Item(IDC_ON));
            ASSERT_TRUE(input::PressKey(VK_RETURN));
            EXPECT_TRUE(IsOn());
            EXPECT_EQ(input::Focus(), Item(IDC_OFF));
        }
        ASSERT_TRUE(input::PressKey(VK_TAB));
        EXPECT_EQ(input::Focus(), Item(IDC_VERSION)) << "Tab goes on from the focused button";
        ASSERT_TRUE(input::PressKey(VK_ESCAPE));
        ASSERT_FALSE(IsWindow(m_hwnd)) << "Esc ends the panel";
        EXPECT_EQ(m_pUi->Join(), 0u);
    }
}

// Each label's letter goes to the control the label names, though every label comes after all
// the controls in the template; a button's letter presses it. A plain letter does the same
// where the dialog manager takes it as a mnemonic: with the focus on a button, but never a byte
// of a double-byte character.
TEST_F(Window, EveryMnemonicReachesItsControl)
{
    UseDevices({});
    WriteSettings("RATE=8000\r\n");
    Open();
    const std::pair<char, int> labels[] = {{'O', IDC_OUTDEVICE}, {'R', IDC_RATE},
                                           {'T', IDC_TIME},      {'P', IDC_ECHO},
                                           {'D', IDC_DELAY},     {'I', IDC_INDEVICE}};
    for (const auto& [cLetter, nId] : labels) {
        ASSERT_TRUE(input::PressKey(cLetter, input::KEY_ALT));
        EXPECT_EQ(input::Focus(), Item(nId)) << "Alt+" << cLetter;
    }
    ASSERT_TRUE(input::PressKey('S', input::KEY_ALT));
    EXPECT_EQ(SendMessageA(Item(IDC_STEREO), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(input::PressKey('N', input::KEY_ALT));
    EXPECT_TRUE(IsOn());
    ASSERT_TRUE(input::PressKey('F', input::KEY_ALT));
    EXPECT_FALSE(IsOn());
    ASSERT_EQ(input::Focus(), Item(IDC_ON));
    // Katakana from the IME reach this ANSI window as byte pairs, lead then trail, and a trail
    // byte may be a label's letter: オ is 0x83 0x49 ("I"), パ 0x83 0x70 ("p"), フ 0x83 0x74 ("t").
    for (const WPARAM nTrail : {0x49, 0x70, 0x74}) {
        PostMessageA(Item(IDC_ON), WM_CHAR, 0x83, 1);
        PostMessageA(Item(IDC_ON), WM_CHAR, nTrail, 1);
        input::Settle(m_hwnd);
        EXPECT_EQ(input::Focus(), Item(IDC_ON)) << "a trail byte is no letter: " << nTrail;
    }
    ASSERT_TRUE(input::PressKey('P'));
    EXPECT_EQ(input::Focus(), Item(IDC_ECHO)) << "a plain letter from a button";
    ASSERT_TRUE(input::PressKey(VK_UP));
    EXPECT_EQ(Position(IDC_ECHO_SPIN), 1) << "the arrow keys of the strength's display";
    ASSERT_TRUE(input::PressKey('A', input::KEY_ALT));
    ASSERT_NE(FindWindowA(nullptr, "バージョン情報"), nullptr);
    ASSERT_TRUE(input::PressKey(VK_ESCAPE));
    ASSERT_TRUE(input::PressKey('X', input::KEY_ALT));
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_EQ(m_pUi->Join(), 0u);
}

TEST_F(Window, TooltipsNameTheButtonsTheRateAndTheDisplaysAndNothingElse)
{
    Open();
    const std::pair<int, const char*> tips[] = {
        {IDC_ON, "再生を開始する"},      {IDC_RATE, "サンプリング周波数"},
        {IDC_OFF, "再生を停止する"},     {IDC_EXIT, "終了"},
        {IDC_VERSION, "バージョン情報"}, {IDC_TIME, "発音までの時間"},
        {IDC_ECHO, "エコーの強さ"},      {IDC_DELAY, "エコーするまでの時間"},
    };
    for (const auto& [nId, pszText] : tips)
        EXPECT_EQ(input::ToolTipText(Item(nId)), pszText) << nId;
    for (int nId : {IDC_INDEVICE, IDC_OUTDEVICE, IDC_STEREO, IDC_TIME_SPIN, IDC_ECHO_SPIN,
                    IDC_DELAY_SPIN, IDC_LEVEL1, IDC_LEVEL2})
        EXPECT_EQ(input::ToolTipText(Item(nId)), "") << nId;
}

TEST_F(Window, MinimisedItDrawsItsIconCentred)
{
    Open();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(m_hwnd, WM_GETICON, ICON_BIG, 0)),
              m_pPanel->m_hIcon);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PANEL)), m_pPanel->m_hIcon)
        << "the program's own icon";
    ASSERT_TRUE(input::Minimise(m_hwnd));
    sim::Settle();
    const std::vector<sim::DrawIconRecord> drawn = sim::DrawnIcons();
    ASSERT_FALSE(drawn.empty());
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int cx = GetSystemMetrics(SM_CXICON);
    EXPECT_EQ(drawn.back().hIcon, m_pPanel->m_hIcon);
    EXPECT_TRUE(drawn.back().bInPaint);
    EXPECT_EQ(drawn.back().x, (client.right - client.left - cx + 1) / 2);
    ASSERT_TRUE(input::Restore(m_hwnd));
}

}  // namespace

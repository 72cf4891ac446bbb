// The version button's About box: its links, the ways it ends, and the echo going on meanwhile.
#include "platform/sim/shell.h"
#include "tests/panel/PanelFixture.h"

namespace {

using AboutBox = PanelTest;

HWND OpenAbout(HWND hwndPanel)
{
    EXPECT_TRUE(input::Click(GetDlgItem(hwndPanel, IDC_VERSION)));
    return FindWindowA(nullptr, "バージョン情報");
}

HWND FindChildWithText(HWND hwndDialog, const std::string& text)
{
    for (HWND hwnd = GetWindow(hwndDialog, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT))
        if (Text(hwnd) == text)
            return hwnd;
    return nullptr;
}

TEST_F(AboutBox, ItsLinksOpenWhatTheyShowAndNothingElseOpensAnything)
{
    Open();
    const HWND hwnd = OpenAbout(m_hwnd);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), m_hwnd);
    EXPECT_FALSE(IsWindowEnabled(m_hwnd)) << "the panel waits for the box";
    RECT box{};
    RECT panel{};
    GetWindowRect(hwnd, &box);
    GetWindowRect(m_hwnd, &panel);
    EXPECT_LE(std::abs((box.left + box.right) - (panel.left + panel.right)), 2)
        << "centred over the panel";

    const std::string url = Text(GetDlgItem(hwnd, IDC_URL));
    const std::string mail = Text(GetDlgItem(hwnd, IDC_MAIL));
    EXPECT_EQ(url.rfind("https://", 0), 0u);
    EXPECT_EQ(mail.rfind("mailto:", 0), 0u);
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_MAIL)));
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_URL)));
    ASSERT_TRUE(input::Click(FindChildWithText(hwnd, "Sorvanta Version1.0\n(C) Sorvanta Project")));
    const std::vector<sim::ShellCall> calls = sim::ShellCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, mail);
    EXPECT_EQ(calls[1].file, url);
    for (const sim::ShellCall& call : calls) {
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.hwnd, nullptr);
        EXPECT_EQ(call.parameters, "");
        EXPECT_EQ(call.directory, "");
        EXPECT_EQ(call.nShow, SW_SHOWNORMAL);
    }

    // A failing shell (no program for the scheme) shows nothing.
    sim::InjectFault("ShellExecuteA", SE_ERR_NOASSOC);
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDC_URL)));
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(IsWindow(hwnd));
    ASSERT_TRUE(input::Click(GetDlgItem(hwnd, IDOK)));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(AboutBox, EnterAndEscEndItWhileTheEchoGoesOn)
{
    UseDevices([](uint64_t n) { return static_cast<int16_t>(n % 2 ? 1000 : 7000); });
    WriteSettings("INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    for (UINT nKey : {UINT(VK_ESCAPE), UINT(VK_RETURN)}) {
        SCOPED_TRACE(nKey);
        const HWND hwnd = OpenAbout(m_hwnd);
        ASSERT_NE(hwnd, nullptr);
        const size_t nPlayed = Played().size();
        sim::AdvanceTime(500);
        EXPECT_GE(Played().size(), nPlayed + 3200) << "the echo goes on";
        EXPECT_EQ(Meter(IDC_LEVEL1), 7000) << "and so do the meters";
        ASSERT_TRUE(input::PressKey(nKey));
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_TRUE(IsWindowEnabled(m_hwnd));
        EXPECT_TRUE(IsOn()) << "the echo state is as it was";
        EXPECT_EQ(input::Focus(), Item(IDC_VERSION));
    }
}

}  // namespace

#include "tests/panel/PanelFixture.h"

#include <algorithm>
#include <cmath>
#include <fstream>

const char DEFAULT_DEVICE_TEXT[] = "標準のデバイス";

std::string Text(HWND hwnd)
{
    char szText[256] = {};
    GetWindowTextA(hwnd, szText, sizeof szText);
    return szText;
}

void PanelTest::TearDown()
{
    if (m_pUi && IsWindow(m_hwnd))
        Close();
    m_pUi.reset();
    m_pPanel.reset();
    PlatformTest::TearDown();
}

void PanelTest::WriteSettings(const std::string& lines)
{
    std::ofstream(m_dir.Path() + "/sorvanta.ini", std::ios::binary) << "[default]\r\n" << lines;
}

std::string PanelTest::Setting(const std::string& key) const
{
    char szValue[260] = {};
    GetPrivateProfileStringA("default", key.c_str(), "(none)", szValue, sizeof szValue,
                             ".\\sorvanta.ini");
    return szValue;
}

void PanelTest::UseDevices(sim::SoundSource source)
{
    sim::SetWaveInDevices({{"Mic", {}, std::move(source)}});
    sim::SetWaveOutDevices({{"Speaker", {}, {}}});
}

void PanelTest::Open()
{
    m_pPanel = std::make_unique<CEchoPanel>();
    m_pUi = std::make_unique<UiThread>([this] { return static_cast<DWORD>(m_pPanel->DoModal()); });
    m_hwnd = FindWindowA(nullptr, "Sorvanta");
    ASSERT_NE(m_hwnd, nullptr);
}

void PanelTest::Close()
{
    ASSERT_TRUE(input::Click(Item(IDC_EXIT)));
    EXPECT_EQ(m_pUi->Join(), 0u);
    EXPECT_FALSE(IsWindow(m_hwnd));
}

std::vector<int16_t> PanelTest::PlayedValues() const
{
    std::vector<int16_t> values;
    for (const sim::PlayedSample& s : Played())
        values.push_back(s.nValue);
    return values;
}

std::vector<int16_t> Echo(const std::vector<int16_t>& x, size_t nDelay, int nStrength)
{
    std::vector<int16_t> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        const double dEcho = n >= nDelay ? std::floor(y[n - nDelay] * nStrength / 256.0) : 0.0;
        y[n] = static_cast<int16_t>(std::clamp(x[n] + dEcho, -32768.0, 32767.0));
    }
    return y;
}

std::vector<int16_t> Impulses(size_t n, const std::vector<std::pair<size_t, int16_t>>& at)
{
    std::vector<int16_t> x(n, 0);
    for (const auto& [nAt, nValue] : at)
        x[nAt] = nValue;
    return x;
}

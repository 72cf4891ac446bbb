// The control panel on the simulated window system and sound devices, used as a singer uses
// it: a settings file in a current directory of the test's own, the panel run modally on a
// simulated user-interface thread, and a person's clicks and keys.
#pragma once

#include "panel/EchoPanel.h"
#include "platform/sim/sound.h"
#include "platform/sim/windows.h"
#include "res/resource.h"
#include "tests/framework/UiThread.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/TempDirectory.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// "標準のデバイス" as the program holds it (code page 932).
extern const char DEFAULT_DEVICE_TEXT[];

// A window's text as GetWindowTextA reads it.
std::string Text(HWND hwnd);

class PanelTest : public PlatformTest
{
protected:
    void TearDown() override;

    // The settings file as a person's editor would have left it (lines of key=value).
    void WriteSettings(const std::string& lines);
    std::string Setting(const std::string& key) const;  // as the next start reads it

    // One microphone "Mic" hearing the source, one loudspeaker "Speaker".
    void UseDevices(sim::SoundSource source);

    void Open();
    // Ends the panel with the exit button and waits for its thread.
    void Close();

    // The panel's controls, read with the messages the program itself sends them.
    HWND Item(int nId) const { return GetDlgItem(m_hwnd, nId); }
    bool IsOn() const { return !IsWindowEnabled(Item(IDC_ON)) && IsWindowEnabled(Item(IDC_OFF)); }
    int Meter(int nId) const { return int(SendMessageA(Item(nId), PBM_GETPOS, 0, 0)); }
    int Position(int nSpinId) const
    {
        return LOWORD(SendMessageA(Item(nSpinId), UDM_GETPOS, 0, 0));
    }
    // What the loudspeaker played, in order, with the virtual time of each sample.
    std::vector<sim::PlayedSample> Played() const { return sim::PlayedSamples(0); }
    std::vector<int16_t> PlayedValues() const;

    CTempDirectory m_dir;
    std::unique_ptr<CEchoPanel> m_pPanel;
    std::unique_ptr<UiThread> m_pUi;
    HWND m_hwnd = nullptr;
};

// The echo as the singer should hear it: y[n] = limit(x[n] + floor(y[n - D] * g / 256)).
std::vector<int16_t> Echo(const std::vector<int16_t>& x, size_t nDelay, int nStrength);

// n samples of silence with the given samples at the given positions.
std::vector<int16_t> Impulses(size_t n, const std::vector<std::pair<size_t, int16_t>>& at);

// The simulation's side of the tests' support: the fixture that checks the world, the settling
// of the whole world, a wait on the virtual clock, and the simulation's own records.
#include "tests/support/Difference.h"
#include "tests/support/Input.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/Screen.h"
#include "tests/support/SoundDevices.h"

#include "platform/sim/sim.h"
#include "platform/sim/sound.h"
#include "platform/sim/windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

sim::LiveCounts g_baseline;
// Virtual time, which costs nothing to wait for.
constexpr UINT LIMIT_MS = 60000;

}  // namespace

void PlatformTest::SetUp()
{
    sim::ResetWorld();
    g_baseline = sim::Live();
}

void PlatformTest::TearDown()
{
    sim::Settle();
    const sim::LiveCounts live = sim::Live();
    EXPECT_EQ(live.nThreads, g_baseline.nThreads) << "simulated threads still running";
    EXPECT_EQ(live.nHandles, g_baseline.nHandles) << "handles leaked";
    EXPECT_EQ(live.nGlobalBlocks, g_baseline.nGlobalBlocks) << "global memory leaked";
    EXPECT_EQ(live.nCriticalSections, g_baseline.nCriticalSections)
        << "critical sections not deleted";
    EXPECT_EQ(live.nWindows, g_baseline.nWindows) << "windows not destroyed";
    for (const std::string& misuse : sim::TakeMisuses())
        ADD_FAILURE() << "misuse: " << misuse;
}

size_t PlatformTest::ForgiveMisuse()
{
    return sim::TakeMisuses().size();
}

System ThisSystem()
{
    return System::Simulation;
}

void input::Settle(HWND)
{
    sim::Settle();
}

HWND input::Focus()
{
    return sim::Focus();
}

HWND input::Foreground()
{
    return sim::Foreground();
}

void screen::Settle()
{
    sim::Settle();
}

HWND screen::WaitForWindow(const char* pszCaption)
{
    sim::Settle();
    const HWND hwnd = FindWindowA(nullptr, pszCaption);
    if (!hwnd || !IsWindowVisible(hwnd)) {
        ADD_FAILURE() << "no window \"" << pszCaption << "\" on the screen";
        return nullptr;
    }
    return hwnd;
}

bool screen::WaitUntil(const std::function<bool()>& condition)
{
    sim::Settle();
    for (UINT nWaited = 0; !condition(); ++nWaited) {
        if (nWaited == LIMIT_MS) {
            ADD_FAILURE() << "still not so after " << LIMIT_MS << " ms of the virtual clock";
            return false;
        }
        sim::AdvanceTime(1);
    }
    return true;
}

bool OnlyOnTheSimulation(const char*)
{
    return true;
}

bool OnlyOnWindows(const char* pszWhat)
{
    ::testing::Test::RecordProperty(std::string("only on Windows: ") + pszWhat, "left out");
    return false;
}

void simulation::AdvanceTime(UINT nMilliseconds)
{
    sim::AdvanceTime(nMilliseconds);
}

std::vector<UINT> simulation::TimerPeriods(HWND hwnd)
{
    return sim::TimerPeriods(hwnd);
}

std::vector<simulation::DrawnIcon> simulation::DrawnIcons()
{
    std::vector<DrawnIcon> icons;
    for (const sim::DrawIconRecord& drawn : sim::DrawnIcons())
        icons.push_back(DrawnIcon{drawn.hwnd, drawn.x, drawn.y, drawn.hIcon, drawn.bInPaint});
    return icons;
}

std::vector<UINT> simulation::MessageBoxTypes()
{
    std::vector<UINT> types;
    for (const sim::MessageBoxRecord& box : sim::MessageBoxes())
        types.push_back(box.nType);
    return types;
}

void simulation::InjectFault(const char* pszCall, long long nResult)
{
    sim::InjectFault(pszCall, nResult);
}

void UseVirtualSoundDevices()
{
    sim::SetWaveInDevices({{"PulseAudio", {}, {}},
                           {"Monitor of MicFeed", {}, {}},
                           {"Monitor of Speaker", {}, {}},
                           {"Mic", {}, {}}});
    sim::SetWaveOutDevices({{"PulseAudio", {}, {}}, {"MicFeed", {}, {}}, {"Speaker", {}, {}}});
}

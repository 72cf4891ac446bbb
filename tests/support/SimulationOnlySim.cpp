#include "tests/support/SimulationOnly.h"

#include "platform/sim/sim.h"
#include "platform/sim/windows.h"

#include <gtest/gtest.h>

#include <string>

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
    std::vector<UINT> periods;
    for (const sim::TimerInfo& timer : sim::Timers(hwnd))
        periods.push_back(timer.nPeriod);
    return periods;
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

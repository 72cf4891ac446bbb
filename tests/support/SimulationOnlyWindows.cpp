#include "tests/support/SimulationOnly.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void NotHere(const char* pszWhat)
{
    ADD_FAILURE() << pszWhat << " is the simulation's alone: guard it with OnlyOnTheSimulation";
}

}  // namespace

bool OnlyOnTheSimulation(const char* pszWhat)
{
    ::testing::Test::RecordProperty(std::string("only on the simulation: ") + pszWhat, "left out");
    return false;
}

bool OnlyOnWindows(const char*)
{
    return true;
}

void simulation::AdvanceTime(UINT)
{
    NotHere("the virtual clock");
}

std::vector<UINT> simulation::TimerPeriods(HWND)
{
    NotHere("the timers' record");
    return {};
}

std::vector<simulation::DrawnIcon> simulation::DrawnIcons()
{
    NotHere("the drawn icons' record");
    return {};
}

std::vector<UINT> simulation::MessageBoxTypes()
{
    NotHere("the message boxes' record");
    return {};
}

void simulation::InjectFault(const char*, long long)
{
    NotHere("an injected fault");
}

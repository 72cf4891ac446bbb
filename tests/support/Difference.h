// The one door through which a conformance test accepts that Windows, Wine and the simulation
// do not behave alike. Where the three agree a test states the one behaviour; where they do not,
// the difference goes through Difference(), named and with its reason, so that
//     grep -rn -A3 'Difference(' tests
// lists every accepted difference, and each run records the ones it met as properties of the
// running test (its XML result). A behaviour of Windows that the simulation models and Wine does
// not show is such a difference too: the test that would pin it says so here, and checks it
// only where it is shown.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Where a conformance test runs: the Windows builds under Windows or Wine, the host build on
// the simulation.
enum class System { Windows, Wine, Simulation };
System ThisSystem();

// A difference that the test steps around: it checks only what the three systems share.
inline void Difference(const char* pszName, const char* pszReason)
{
    if (::testing::UnitTest::GetInstance()->current_test_info())
        ::testing::Test::RecordProperty(std::string("difference: ") + pszName, pszReason);
}

// A difference in a value: returns what the system the test runs on gives.
template <class T>
T Difference(const char* pszName, const char* pszReason, T onWindows, T onWine, T onSimulation)
{
    Difference(pszName, pszReason);
    switch (ThisSystem()) {
        case System::Windows:
            return onWindows;
        case System::Wine:
            return onWine;
        default:
            return onSimulation;
    }
}

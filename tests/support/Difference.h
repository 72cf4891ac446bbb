// The one door through which a conformance test accepts that Windows, Wine and the simulation
// do not behave alike. Where the three agree a test states the one behaviour; where they do not,
// the difference goes through Difference(), with its kind, its name and its reason, so that
//     grep -rn -A3 'Difference(' tests
// lists every accepted difference, and each run records those its tests passed as properties of
// the running test (its XML result): "difference: <kind>: <name>", with the reason.
//
// Every kind checks something on each system; none steps around a check:
// - WineFault: Wine answers otherwise than Windows. The test states Windows' answer, which the
//   simulation gives too, and on Wine checks Wine's own, so that the day Wine gives Windows'
//   answer the test fails saying that Wine was mended and the difference is to go.
// - WindowsVariation: Windows answers one way or another (by version, driver or machine). The
//   test states one answer and accepts the other on Windows only.
// - MissingEquipment: the machine lacks a device the test needs. Under Windows or Wine the test
//   is skipped with the reason; the simulation always has its devices, so there it fails. The
//   Wine runs of ctest bring their devices and fail a test that skips (tests/CMakeLists.txt).
// - SimulationStricter: the simulation refuses, or calls misuse, what Windows lets pass or
//   documents nothing about, so that a program that starts to do it is told. The test checks
//   the refusal on the simulation; what Windows and Wine do then is nothing a program may rely
//   on, and the test provokes it there only where they refuse it too.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Where a conformance test runs: the Windows builds under Windows or Wine, the host build on
// the simulation.
enum class System { Windows, Wine, Simulation };
System ThisSystem();

enum class DifferenceKind { WineFault, WindowsVariation, MissingEquipment, SimulationStricter };

// Records the difference on the running test; a form of Difference() called with a kind it does
// not serve (each says which it serves) fails the test.
void RecordDifference(DifferenceKind kind, bool bFormFits, const char* pszName,
                      const char* pszReason);

// An answer that differs, for a WineFault or a WindowsVariation:
//     EXPECT_TRUE(Difference(kind, name, reason, actual, onWindows, other));
// onWindows is the answer the test states; other is Wine's answer for a WineFault, and the answer
// that only some Windows give for a WindowsVariation.
template <class T>
::testing::AssertionResult Difference(DifferenceKind kind, const char* pszName,
                                      const char* pszReason, const T& actual, const T& onWindows,
                                      const T& other)
{
    using ::testing::PrintToString;
    const bool bFault = kind == DifferenceKind::WineFault;
    RecordDifference(kind, bFault || kind == DifferenceKind::WindowsVariation, pszName, pszReason);
    const System system = ThisSystem();
    if (bFault && system == System::Wine && actual != other)
        return ::testing::AssertionFailure()
               << (actual == onWindows ? "Wine was mended: it gives Windows' answer, " : "gives ")
               << PrintToString(actual) << ", not Wine's " << PrintToString(other)
               << "; the difference \"" << pszName << "\" is to go or change";
    if ((bFault && system == System::Wine) || actual == onWindows ||
        (!bFault && system == System::Windows && actual == other))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "gives " << PrintToString(actual)
                                         << " where Windows gives " << PrintToString(onWindows);
}

// Equipment a test needs, for a MissingEquipment: true where it is missing and the test is to
// end. GTEST_SKIP ends only the function it is written in, so the test, or its SetUp, skips:
//     if (Difference(DifferenceKind::MissingEquipment, name, reason, bPresent))
//         GTEST_SKIP() << ...;
// The simulation has all its equipment: there a missing device fails the test.
bool Difference(DifferenceKind kind, const char* pszName, const char* pszReason, bool bPresent);

// A refusal of the simulation's own, for a SimulationStricter: true where the test runs on the
// simulation, and checks the refusal:
//     if (Difference(DifferenceKind::SimulationStricter, name, reason)) { ... }
bool Difference(DifferenceKind kind, const char* pszName, const char* pszReason);

// What a test that runs on both platforms can show on one of them only. The simulation alone
// has time that moves only when the test moves it, the timers a window holds, a record of the
// icons drawn and of the message boxes shown, and faults on demand; Windows (and Wine) alone
// show what the simulation leaves to the real system. A test guards such a part with
// OnlyOnTheSimulation or OnlyOnWindows, naming what it needs; where the part is left out, the
// test's XML result says so. Called on Windows, the readers below fail the test.
#pragma once

#include "platform/win32.h"

#include <vector>

bool OnlyOnTheSimulation(const char* pszWhat);
bool OnlyOnWindows(const char* pszWhat);

namespace simulation {

void AdvanceTime(UINT nMilliseconds);

// The periods of the window's timers.
std::vector<UINT> TimerPeriods(HWND hwnd);

struct DrawnIcon
{
    HWND hwnd = nullptr;  // the window of the device context
    int x = 0;
    int y = 0;
    HICON hIcon = nullptr;
    bool bInPaint = false;  // drawn between BeginPaint and EndPaint
};
// Every icon drawn since the test began, in order.
std::vector<DrawnIcon> DrawnIcons();

// The type (MB_OK | MB_ICONSTOP ...) of every message box since the test began, in order.
std::vector<UINT> MessageBoxTypes();

// The named call's next call fails, returning nResult (see sim::InjectFault).
void InjectFault(const char* pszCall, long long nResult);

}  // namespace simulation

// What a person sees of the program's windows, waited for as a person waits, the same on the
// simulation and on Windows. A test that starts the program's user-interface thread waits for
// the window it expects before it acts, and waits for what an action shows before the next one;
// it never repeats an action until something shows.
#pragma once

#include "platform/win32.h"

#include <functional>
#include <vector>

namespace screen {

// Until the threads the test started are idle. The simulation knows when its world has
// settled; on Windows nothing can know what a thread is about to do (a window it has yet to
// make), so this returns at once there, and the test waits for what it expects to see.
void Settle();

// The top-level window with this caption (code page 932) once a person could use it: shown, and
// its thread waiting for input with everything before it taken. On Windows it waits for it up to
// a generous limit; a window that never comes fails the test, and gives nullptr.
HWND WaitForWindow(const char* pszCaption);

// Until the condition holds: on the simulation the virtual clock moves on, on Windows real time
// passes, up to the same limit. A condition that never holds fails the test, and gives false.
bool WaitUntil(const std::function<bool()>& condition);

}  // namespace screen

// What a test that runs on both platforms can show on one of them only. The simulation alone
// has time that moves only when the test moves it, the timers a window holds, a record of the
// icons drawn and of the message boxes shown, and faults on demand; Windows (and Wine) alone
// show what the simulation leaves to the real system. A test guards such a part with
// OnlyOnTheSimulation or OnlyOnWindows, naming what it needs; where the part is left out, the
// test's XML result says so. Called on Windows, the readers below fail the test.
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

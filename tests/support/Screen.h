// What a person sees of the program's windows, waited for as a person waits, the same on the
// simulation and on Windows. A test that starts the program's user-interface thread waits for
// the window it expects before it acts, and waits for what an action shows before the next one;
// it never repeats an action until something shows.
#pragma once

#include "platform/win32.h"

#include <functional>

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

// The icon the window's caption shows, as WM_SETICON set it (big or small).
HICON CaptionIcon(HWND hwnd, bool bBig);

}  // namespace screen

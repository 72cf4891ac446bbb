// The simulation's side of the input helper: the world settles as a whole, and the foreground
// thread's focus is read from it.
#include "tests/support/Input.h"

#include "platform/sim/sim.h"
#include "platform/sim/windows.h"

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

// The simulation's side of the screen: a settled world has nothing more to show until the test
// moves the clock, so a wait reads it at once.
#include "tests/support/Screen.h"

#include "platform/sim/sim.h"
#include "platform/sim/windows.h"

#include <gtest/gtest.h>

namespace {

// Virtual time, which costs nothing to wait for.
constexpr UINT LIMIT_MS = 60000;

}  // namespace

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

// The simulation keeps the icons WM_SETICON gave but answers no WM_GETICON.
HICON screen::CaptionIcon(HWND hwnd, bool bBig)
{
    return sim::WindowIcon(hwnd, bBig);
}

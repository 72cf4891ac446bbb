// The tooltip control ("tooltips_class32", a common control) as the program sets it up: it takes
// its tools, is switched on and off, and is told of the mouse (TTM_RELAYEVENT). Its showing (the
// delays, the request for a tool's text, the popup) is what a person sees, tested under Wine; a
// host test asks the tool's window for the text itself (tests/support/Input.h). The program
// answers TTM_WINDOWFROMPOINT itself, for every point a test's mouse is at; the tooltip's own
// answer is not simulated.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

LRESULT CALLBACK TooltipProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case TTM_RELAYEVENT:
        case TTM_ACTIVATE:
            return 0;
        case TTM_ADDTOOLA: {
            // The tool is kept by nobody: its text is asked for only as the tooltip shows.
            const auto* pInfo = reinterpret_cast<const TTTOOLINFOA*>(lParam);
            return pInfo && pInfo->cbSize >= TTTOOLINFOA_V1_SIZE;
        }
        default:
            if (nMessage >= WM_USER && nMessage < SIM_BUDDYKEY)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({TOOLTIPS_CLASSA, TooltipProc, 0, nullptr, true});  // a common control
    return true;
}();

}  // namespace

}  // namespace sim::win

using namespace sim::win;

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* pInit)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!pInit || pInit->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    if (auto nResult = w.TakeFault("InitCommonControlsEx"))
        return static_cast<BOOL>(*nResult);
    S(lk).bCommonControls = true;
    return TRUE;
}

// The progress bar ("msctls_progress32", a common control): a range, 0 to 100 at first, and
// a position kept within it.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct ProgressData : ControlData
{
    int nMin = 0;
    int nMax = 100;
    int nPos = 0;
};

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    Lock lk = World::Get().Acquire();
    if (nMessage == WM_NCCREATE)  // a window's first message: every other one finds the data
        Find(lk, hwnd)->pData = std::make_shared<ProgressData>();
    auto p = Data<ProgressData>(lk, hwnd);
    switch (nMessage) {
        case PBM_SETRANGE: {
            const LRESULT nOld = MAKELONG(p->nMin, p->nMax);
            p->nMin = LOWORD(lParam);
            p->nMax = HIWORD(lParam);
            return nOld;
        }
        case PBM_SETPOS: {
            const int nOld = p->nPos;
            p->nPos = std::clamp(static_cast<int>(wParam), std::min(p->nMin, p->nMax),
                                 std::max(p->nMin, p->nMax));
            return nOld;
        }
        case PBM_GETPOS:
            return p->nPos;
        default:
            lk.unlock();
            if (nMessage >= WM_USER && nMessage < SIM_BUDDYKEY)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({PROGRESS_CLASSA, ProgressProc, 0, nullptr, true});  // a common control
    return true;
}();

}  // namespace

sim::ProgressState ProgressOf(Lock& lk, HWND hwnd)
{
    sim::ProgressState state;
    if (auto p = Data<ProgressData>(lk, hwnd)) {
        state.nPos = p->nPos;
        state.nMin = p->nMin;
        state.nMax = p->nMax;
    }
    return state;
}

}  // namespace sim::win

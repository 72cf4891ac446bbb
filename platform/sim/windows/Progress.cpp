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
        case PBM_GETRANGE:
            if (auto* pRange = reinterpret_cast<PBRANGE*>(lParam)) {
                pRange->iLow = p->nMin;
                pRange->iHigh = p->nMax;
            }
            return wParam ? p->nMin : p->nMax;
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

}  // namespace sim::win

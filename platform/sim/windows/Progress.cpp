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
    if (nMessage == WM_CREATE) {
        Find(lk, hwnd)->pData = std::make_shared<ProgressData>();
        return 0;
    }
    auto p = Data<ProgressData>(lk, hwnd);
    if (!p) {
        lk.unlock();
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
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
    WindowClass cls;
    cls.name = PROGRESS_CLASSA;
    cls.pfnProc = ProgressProc;
    cls.bCommonControl = true;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

}  // namespace sim::win

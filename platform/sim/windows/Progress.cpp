// The progress bar ("msctls_progress32", a common control): a range, 0 to 100 at first, and
// a position kept within it.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct ProgressData : ControlData
{
    int nMin = 0;
    int nMax = 100;
    int nPos = 0;
    int nStep = 10;
};

int SetPos(Lock& lk, HWND hwnd, ProgressData& p, int nPos)
{
    const int nOld = p.nPos;
    p.nPos = std::clamp(nPos, std::min(p.nMin, p.nMax), std::max(p.nMin, p.nMax));
    if (p.nPos != nOld)
        Invalidate(lk, *Find(lk, hwnd), false, false);
    return nOld;
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_CREATE) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Find(lk, hwnd)->pData = std::make_shared<ProgressData>();
        return 0;
    }
    World& w = World::Get();
    Lock lk = w.Acquire();
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
        case PBM_SETRANGE32: {
            const LRESULT nOld = MAKELONG(p->nMin, p->nMax);
            p->nMin = static_cast<int>(wParam);
            p->nMax = static_cast<int>(lParam);
            return nOld;
        }
        case PBM_GETRANGE:
            if (lParam) {
                auto* pRange = reinterpret_cast<PBRANGE*>(lParam);
                pRange->iLow = p->nMin;
                pRange->iHigh = p->nMax;
            }
            return wParam ? p->nMin : p->nMax;
        case PBM_SETPOS:
            return SetPos(lk, hwnd, *p, static_cast<int>(wParam));
        case PBM_DELTAPOS:
            return SetPos(lk, hwnd, *p, p->nPos + static_cast<int>(wParam));
        case PBM_GETPOS:
            return p->nPos;
        case PBM_SETSTEP: {
            const int nOld = p->nStep;
            p->nStep = static_cast<int>(wParam);
            return nOld;
        }
        case PBM_STEPIT: {
            // Stepping past the end starts again at the beginning.
            int nPos = p->nPos + p->nStep;
            if (nPos > p->nMax)
                nPos = p->nMin + (nPos - p->nMax);
            return SetPos(lk, hwnd, *p, nPos);
        }
        default:
            lk.unlock();
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

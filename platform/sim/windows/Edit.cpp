// The "Edit" class, single-line and read-only as the program uses it: text and selection (typing
// is not simulated). Arrow keys in an edit that is the buddy of an up-down control with
// UDS_ARROWKEYS go to the up-down control.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct EditData : ControlData
{
    int nSelStart = 0;
    int nSelEnd = 0;
};

// EM_SETSEL: an end of -1 is the end of the text; a start of -1 takes the selection away.
void Select(HWND hwnd, int nStart, int nEnd)
{
    const int nLength = GetWindowTextLengthA(hwnd);
    Lock lk = World::Get().Acquire();
    auto p = Data<EditData>(lk, hwnd);
    if (nStart < 0) {
        p->nSelEnd = p->nSelStart;
        return;
    }
    p->nSelStart = std::min(nStart, nLength);
    p->nSelEnd = nEnd < 0 ? nLength : std::min(nEnd, nLength);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            Lock lk = World::Get().Acquire();
            Find(lk, hwnd)->pData = std::make_shared<EditData>();
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_SETTEXT: {
            const LRESULT nResult = DefWindowProcA(hwnd, nMessage, wParam, lParam);
            Select(hwnd, 0, 0);
            // A single-line edit reports a text set by the program, as a typed one.
            NotifyParent(hwnd, EN_CHANGE);
            return nResult;
        }
        case WM_KEYDOWN: {
            HWND hwndUpDown = nullptr;
            if (wParam == VK_UP || wParam == VK_DOWN) {
                Lock lk = World::Get().Acquire();
                hwndUpDown = Find(lk, hwnd)->hwndUpDown;
            }
            if (hwndUpDown)
                SendMessageA(hwndUpDown, SIM_BUDDYKEY, wParam, 0);
            return 0;
        }
        case WM_CHAR:
            if (!(GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) && wParam >= ' ') {
                Lock lk = World::Get().Acquire();
                World::Get().Misuse("typing into an edit that is not read-only: not simulated");
            }
            return 0;
        case EM_SETSEL:
            Select(hwnd, static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case EM_GETSEL: {
            Lock lk = World::Get().Acquire();
            auto p = Data<EditData>(lk, hwnd);
            if (wParam)
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(p->nSelStart);
            if (lParam)
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(p->nSelEnd);
            return MAKELONG(p->nSelStart, p->nSelEnd);
        }
        default:
            if (nMessage >= EM_GETSEL && nMessage <= EM_GETIMESTATUS)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({"Edit", EditProc});
    return true;
}();

}  // namespace

}  // namespace sim::win

// The "Edit" class, single-line and read-only as the program uses it: text and selection (typing
// is not simulated). Arrow keys in an edit that is the buddy of an up-down control with
// UDS_ARROWKEYS go to the up-down control.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct EditData : ControlData
{
    int nSelStart = 0;
    int nSelEnd = 0;
};

int LengthOf(HWND hwnd)
{
    return GetWindowTextLengthA(hwnd);
}

void Select(HWND hwnd, int nStart, int nEnd)
{
    const int nLength = LengthOf(hwnd);
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = Data<EditData>(lk, hwnd);
    if (!p)
        return;
    if (nStart < 0) {
        p->nSelEnd = p->nSelStart;
        return;
    }
    if (nEnd < 0)
        nEnd = nLength;
    p->nSelStart = std::min(nStart, nLength);
    p->nSelEnd = std::min(nEnd, nLength);
}

bool ReadOnly(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Find(lk, hwnd)->pData = std::make_shared<EditData>();
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_SETTEXT: {
            const LRESULT nResult = DefWindowProcA(hwnd, nMessage, wParam, lParam);
            Select(hwnd, 0, 0);
            // A single-line edit reports a text set by the program, as a typed one.
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
            return nResult;
        }
        case WM_KEYDOWN: {
            if (wParam == VK_UP || wParam == VK_DOWN) {
                HWND hwndUpDown = nullptr;
                {
                    World& w = World::Get();
                    Lock lk = w.Acquire();
                    hwndUpDown = Find(lk, hwnd)->hwndUpDown;
                }
                if (hwndUpDown)
                    SendMessageA(hwndUpDown, SIM_BUDDYKEY, wParam, 0);
            }
            return 0;
        }
        case WM_CHAR:
            if (!ReadOnly(hwnd) && wParam >= ' ') {
                World& w = World::Get();
                Lock lk = w.Acquire();
                w.Misuse("typing into an edit control that is not read-only: not simulated");
            }
            return 0;
        case WM_SETFOCUS:
            NotifyParent(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            NotifyParent(hwnd, EN_KILLFOCUS);
            return 0;
        case EM_SETSEL:
            Select(hwnd, static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case EM_GETSEL: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<EditData>(lk, hwnd);
            if (!p)
                return 0;
            if (wParam)
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(p->nSelStart);
            if (lParam)
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(p->nSelEnd);
            return MAKELONG(p->nSelStart, p->nSelEnd);
        }
        case WM_SETFONT:
        case WM_GETFONT:
            return ControlFont(hwnd, nMessage, wParam);
        default:
            if (nMessage >= EM_GETSEL && nMessage <= EM_GETIMESTATUS)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "Edit";
    cls.pfnProc = EditProc;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

}  // namespace sim::win

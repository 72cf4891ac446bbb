// The "Edit" class, single-line: text, selection, read-only. Arrow keys in an edit that is the
// buddy of an up-down control with UDS_ARROWKEYS go to the up-down control.
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
    int nLimit = 0x7FFFFFFE;
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
        case WM_CHAR: {
            if (ReadOnly(hwnd) || wParam < ' ')
                return 0;
            // Typing replaces the selection.
            char buffer[1024] = {};
            GetWindowTextA(hwnd, buffer, sizeof buffer);
            std::string text = buffer;
            int nStart = 0;
            int nEnd = 0;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<EditData>(lk, hwnd);
                nStart = std::min(p->nSelStart, p->nSelEnd);
                nEnd = std::max(p->nSelStart, p->nSelEnd);
            }
            text.replace(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart), 1,
                         static_cast<char>(wParam));
            DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            Select(hwnd, nStart + 1, nStart + 1);
            NotifyParent(hwnd, EN_UPDATE);
            NotifyParent(hwnd, EN_CHANGE);
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(hwnd);
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
        case EM_SETREADONLY: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Window* p = Find(lk, hwnd);
            p->nStyle = wParam ? (p->nStyle | ES_READONLY) : (p->nStyle & ~ES_READONLY);
            return TRUE;
        }
        case EM_SETLIMITTEXT: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Data<EditData>(lk, hwnd)->nLimit = wParam ? static_cast<int>(wParam) : 0x7FFFFFFE;
            return 0;
        }
        case EM_GETLIMITTEXT: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            return Data<EditData>(lk, hwnd)->nLimit;
        }
        case WM_SETFONT:
        case WM_GETFONT:
            return ControlFont(hwnd, nMessage, wParam);
        default:
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "Edit";
    cls.pfnProc = EditProc;
    cls.nStyle = CS_DBLCLKS | CS_PARENTDC;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

}  // namespace sim::win

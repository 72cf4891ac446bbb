// The "Button" class: push buttons, check boxes and group boxes. A button tells its parent of
// a click (BN_CLICKED) only when a person clicks it or BM_CLICK stands for one; BM_SETCHECK
// and BM_SETSTYLE from the program notify nobody.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct ButtonData : ControlData
{
    int nCheck = 0;
    bool bPushed = false;
};

LONG TypeOf(LONG nStyle)
{
    return nStyle & BS_TYPEMASK;
}

// The highest check state a button of this type has.
int MaxCheck(LONG nType)
{
    switch (nType) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return BST_CHECKED;
        default:
            return -1;
    }
}

LONG StyleOf(HWND hwnd)
{
    return GetWindowLongA(hwnd, GWL_STYLE);
}

void Release(HWND hwnd, bool bClick)
{
    bool bWasPushed = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<ButtonData>(lk, hwnd);
        if (!p)
            return;
        bWasPushed = p->bPushed;
        p->bPushed = false;
        if (bWasPushed && bClick) {
            const LONG nType = TypeOf(Find(lk, hwnd)->nStyle);
            if (nType == BS_AUTOCHECKBOX)
                p->nCheck = p->nCheck ? BST_UNCHECKED : BST_CHECKED;
            else if (nType == BS_AUTO3STATE)
                p->nCheck = (p->nCheck + 1) % 3;
            else if (nType == BS_AUTORADIOBUTTON)
                p->nCheck = BST_CHECKED;
        }
        if (bWasPushed)
            Invalidate(lk, *Find(lk, hwnd), false, false);
    }
    if (bWasPushed && bClick)
        NotifyParent(hwnd, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Find(lk, hwnd)->pData = std::make_shared<ButtonData>();
            return 0;
        }
        case WM_GETDLGCODE: {
            const LONG nType = TypeOf(StyleOf(hwnd));
            switch (nType) {
                case BS_PUSHBUTTON:
                    return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
                case BS_DEFPUSHBUTTON:
                    return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
                case BS_RADIOBUTTON:
                case BS_AUTORADIOBUTTON:
                    return DLGC_BUTTON | DLGC_RADIOBUTTON;
                case BS_GROUPBOX:
                    return DLGC_STATIC;
                default:
                    return DLGC_BUTTON;
            }
        }
        case WM_NCHITTEST:
            return TypeOf(StyleOf(hwnd)) == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (TypeOf(StyleOf(hwnd)) == BS_GROUPBOX)
                return 0;
            SetFocus(hwnd);
            World& w = World::Get();
            Lock lk = w.Acquire();
            if (auto p = Data<ButtonData>(lk, hwnd)) {
                p->bPushed = true;
                Invalidate(lk, *Find(lk, hwnd), false, false);
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            RECT client;
            GetClientRect(hwnd, &client);
            const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            Release(hwnd, PtInRect(&client, pt) != FALSE);
            return 0;
        }
        case WM_CANCELMODE:
        case WM_KILLFOCUS: {
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                if (auto p = Data<ButtonData>(lk, hwnd))
                    p->bPushed = false;
            }
            return 0;
        }
        case BM_CLICK:
            SendMessageA(hwnd, WM_LBUTTONDOWN, 0, 0);
            SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
            return 0;
        case BM_GETCHECK: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<ButtonData>(lk, hwnd);
            return p ? p->nCheck : 0;
        }
        case BM_SETCHECK: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<ButtonData>(lk, hwnd);
            const int nMax = MaxCheck(TypeOf(Find(lk, hwnd)->nStyle));
            if (p && nMax > 0) {
                // A two-state box takes anything above 1 as checked.
                p->nCheck = wParam > static_cast<WPARAM>(nMax) ? nMax : static_cast<int>(wParam);
                Invalidate(lk, *Find(lk, hwnd), false, false);
            }
            return 0;
        }
        case BM_SETSTYLE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Window* p = Find(lk, hwnd);
            p->nStyle = static_cast<LONG>((p->nStyle & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK));
            if (lParam)
                Invalidate(lk, *p, true, false);
            return 0;
        }
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_SETFONT:
        case WM_GETFONT:
            return ControlFont(hwnd, nMessage, wParam);
        default:
            if (nMessage >= BM_GETCHECK && nMessage <= BM_SETIMAGE)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "Button";
    cls.pfnProc = ButtonProc;
    cls.pfnTransparent = [](LONG nStyle) { return TypeOf(nStyle) == BS_GROUPBOX; };
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

int CheckOf(Lock& lk, HWND hwnd)
{
    auto p = Data<ButtonData>(lk, hwnd);
    return p ? p->nCheck : 0;
}

}  // namespace sim::win

// The "Button" class as the templates have it: push buttons, an automatic check box and a group
// box; any other type is misuse. A button tells its parent of a click (BN_CLICKED) only when
// BM_CLICK stands for a person's; BM_SETCHECK and BM_SETSTYLE from the program notify nobody.
// The press of a person's mouse, and how the button looks meanwhile, are Wine's.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct ButtonData : ControlData
{
    int nCheck = 0;
};

LONG TypeOf(HWND hwnd)
{
    return GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
}

// A click, with what a person's press and release inside the button bring: the focus, an
// automatic check box's next state, and BN_CLICKED.
void Click(HWND hwnd)
{
    const LONG nType = TypeOf(hwnd);
    if (nType == BS_GROUPBOX)
        return;
    SetFocus(hwnd);
    if (nType == BS_AUTOCHECKBOX) {
        Lock lk = World::Get().Acquire();
        if (auto p = Data<ButtonData>(lk, hwnd))  // else the focus's messages destroyed it
            p->nCheck = p->nCheck ? BST_UNCHECKED : BST_CHECKED;
    }
    NotifyParent(hwnd, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            Lock lk = World::Get().Acquire();
            Window* pw = Find(lk, hwnd);
            const LONG nType = pw->nStyle & BS_TYPEMASK;
            if (nType != BS_PUSHBUTTON && nType != BS_DEFPUSHBUTTON && nType != BS_AUTOCHECKBOX &&
                nType != BS_GROUPBOX)
                World::Get().Misuse("a button of type " + std::to_string(nType) +
                                    ", which is not simulated");
            pw->pData = std::make_shared<ButtonData>();
            return 0;
        }
        case WM_GETDLGCODE:
            switch (TypeOf(hwnd)) {
                case BS_PUSHBUTTON:
                    return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
                case BS_DEFPUSHBUTTON:
                    return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
                case BS_GROUPBOX:
                    return DLGC_STATIC;
                default:
                    return DLGC_BUTTON;
            }
        case BM_CLICK:
            Click(hwnd);
            return 0;
        case BM_GETCHECK:
        case BM_SETCHECK:
        case BM_SETSTYLE: {
            Lock lk = World::Get().Acquire();
            Window* pw = Find(lk, hwnd);
            ButtonData& d = *Data<ButtonData>(lk, hwnd);
            if (nMessage == BM_GETCHECK)
                return d.nCheck;
            if (nMessage == BM_SETSTYLE)
                pw->nStyle =
                    static_cast<LONG>((pw->nStyle & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK));
            else if ((pw->nStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX)
                d.nCheck = wParam ? BST_CHECKED : BST_UNCHECKED;  // above 1 is checked too
            return 0;
        }
        default:
            if (nMessage >= BM_GETCHECK && nMessage <= BM_SETIMAGE)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({"Button", ButtonProc});
    return true;
}();

}  // namespace

}  // namespace sim::win

// The "Static" class: labels, frames and icons. A static without SS_NOTIFY is transparent to
// the mouse (HTTRANSPARENT); with it, a click reports STN_CLICKED to the parent.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct StaticData : ControlData
{
    HICON hIcon = nullptr;
};

bool Notifies(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY) != 0;
}

// An icon static loads the icon its text names, and takes the icon's size unless told not to.
void LoadOwnIcon(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    if ((p->nStyle & SS_TYPEMASK) != SS_ICON)
        return;
    const std::string name = ToAnsi(p->text);
    const HICON hIcon = p->nTextOrdinal >= 0
                            ? LoadIconLocked(lk, p->hInstance, MAKEINTRESOURCEA(p->nTextOrdinal))
                            : LoadIconLocked(lk, p->hInstance, name.c_str());
    if (!hIcon)
        return;
    Data<StaticData>(lk, hwnd)->hIcon = hIcon;
    if (!(p->nStyle & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) {
        const Icon& icon = S(lk).icons[hIcon];
        p->rect.right = p->rect.left + icon.cx;
        p->rect.bottom = p->rect.top + icon.cy;
    }
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                Find(lk, hwnd)->pData = std::make_shared<StaticData>();
            }
            LoadOwnIcon(hwnd);
            return 0;
        }
        case WM_NCHITTEST:
            return Notifies(hwnd) ? HTCLIENT : HTTRANSPARENT;
        case WM_LBUTTONDOWN:
            if (Notifies(hwnd))
                NotifyParent(hwnd, STN_CLICKED);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case STM_GETICON:
        case STM_GETIMAGE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<StaticData>(lk, hwnd);
            return p ? reinterpret_cast<LRESULT>(p->hIcon) : 0;
        }
        case WM_SETFONT:
        case WM_GETFONT:
            return ControlFont(hwnd, nMessage, wParam);
        default:
            if (nMessage >= STM_SETICON && nMessage <= STM_GETIMAGE)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "Static";
    cls.pfnProc = StaticProc;
    cls.pfnTransparent = [](LONG nStyle) { return (nStyle & SS_NOTIFY) == 0; };
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

}  // namespace sim::win

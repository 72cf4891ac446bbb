// The "Static" class: labels, frames and icons. With SS_NOTIFY a press in it reports STN_CLICKED
// to the parent; without, it tells nobody. Which static the mouse reaches is Wine's.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct StaticData : ControlData
{
    HICON hIcon = nullptr;
};

// An icon static shows the icon its text names, at the icon's own size.
void Create(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    auto pData = std::make_shared<StaticData>();
    p->pData = pData;
    if ((p->nStyle & SS_TYPEMASK) != SS_ICON)
        return;
    const std::string name = ToAnsi(p->text);
    pData->hIcon = LoadIconLocked(
        lk, p->hInstance, p->nTextOrdinal >= 0 ? MAKEINTRESOURCEA(p->nTextOrdinal) : name.c_str());
    if (!pData->hIcon)
        return;
    const Icon& icon = S(lk).icons[pData->hIcon];
    p->rect.right = p->rect.left + icon.cx;
    p->rect.bottom = p->rect.top + icon.cy;
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE:
            Create(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            if (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY)
                NotifyParent(hwnd, STN_CLICKED);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case STM_GETICON: {
            Lock lk = World::Get().Acquire();
            auto p = Data<StaticData>(lk, hwnd);
            return p ? reinterpret_cast<LRESULT>(p->hIcon) : 0;
        }
        default:
            if (nMessage >= STM_SETICON && nMessage <= STM_GETIMAGE)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({"Static", StaticProc});
    return true;
}();

}  // namespace

}  // namespace sim::win

// A person at the mouse and keyboard (sim/windows.h): input posted to the thread of the window
// that it reaches, as Windows would, and followed by a settling of the world.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;
using namespace sim::win;

namespace {

// A left click where a person points: the window under the point gets it, unless that is a
// disabled window, which takes no clicks.
bool ClickAt(Lock& lk, POINT pt)
{
    const HWND hwnd = HitTest(lk, pt);
    Window* p = Find(lk, hwnd);
    if (!p || !IsUsable(lk, *p))
        return false;
    S(lk).cursor = pt;
    const POINT origin = ClientOrigin(lk, *p);
    const LPARAM at = MAKELPARAM(pt.x - origin.x, pt.y - origin.y);
    PostLocked(lk, hwnd, WM_MOUSEMOVE, 0, at, pt);
    PostLocked(lk, hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at, pt);
    PostLocked(lk, hwnd, WM_LBUTTONUP, 0, at, pt);
    return true;
}

POINT CentreOf(Lock& lk, const Window& w)
{
    const RECT r = ScreenRect(lk, w);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The caption buttons: posted as the system command that a click on them gives.
bool SystemCommand(HWND hwnd, WPARAM nCommand, LONG nNeeded)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || p->hwndParent || !IsShown(lk, *p) || (p->nStyle & WS_DISABLED) ||
            (p->nStyle & WS_CAPTION) != WS_CAPTION || (p->nStyle & nNeeded) != nNeeded)
            return false;
        if (nCommand == SC_RESTORE ? !p->bIconic : (nCommand == SC_MINIMIZE && p->bIconic))
            return false;
        PostLocked(lk, hwnd, WM_SYSCOMMAND, nCommand, 0, S(lk).cursor);
    }
    sim::Settle();
    return true;
}

}  // namespace

bool sim::Click(HWND hwnd)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || !IsShown(lk, *p) || !ClickAt(lk, CentreOf(lk, *p)))
            return false;
    }
    Settle();
    return true;
}

bool sim::ChooseListItem(HWND hwndCombo, int nIndex)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        const ListState list = ListOf(lk, hwndCombo);
        if (nIndex < 0 || nIndex >= static_cast<int>(list.items.size()))
            return false;
    }
    if (!List(hwndCombo).bDropped && !Click(hwndCombo))
        return false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (!ListOf(lk, hwndCombo).bDropped)
            return false;
        PostLocked(lk, hwndCombo, SIM_PICKITEM, static_cast<WPARAM>(nIndex), 0, S(lk).cursor);
    }
    Settle();
    return true;
}

bool sim::PressArrow(HWND hwndUpDown, bool bUp)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwndUpDown);
        if (!p || !IsShown(lk, *p))
            return false;
        const RECT r = ScreenRect(lk, *p);
        POINT pt{(r.left + r.right) / 2,
                 bUp ? r.top + (r.bottom - r.top) / 4 : r.bottom - 1 - (r.bottom - r.top) / 4};
        if (p->nStyle & UDS_HORZ)
            pt = POINT{bUp ? r.right - 1 - (r.right - r.left) / 4 : r.left + (r.right - r.left) / 4,
                       (r.top + r.bottom) / 2};
        if (HitTest(lk, pt) != hwndUpDown || !ClickAt(lk, pt))
            return false;
    }
    Settle();
    return true;
}

bool sim::PressKey(UINT nKey, unsigned nModifiers)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        State& s = S(lk);
        Window* pForeground = Find(lk, s.hwndForeground);
        if (!pForeground)
            return false;
        // Keys pressed while no window has the focus go to the active window as system keys
        // (WM_SYSKEYDOWN, with the Alt bit clear unless Alt is down), as Windows and Wine give
        // them; a dialog's keyboard takes no Esc, Enter or Tab from them.
        HWND hwndTarget = s.focus[pForeground->nThread];
        const bool bSystem = (nModifiers & KEY_ALT) || !hwndTarget;
        if (!hwndTarget)
            hwndTarget = s.hwndForeground;
        const bool bAlt = (nModifiers & KEY_ALT) != 0;
        s.bShiftDown = (nModifiers & KEY_SHIFT) != 0;
        s.bAltDown = bAlt;
        const LPARAM nContext = bAlt ? LPARAM(1) << 29 : 0;
        PostLocked(lk, hwndTarget, bSystem ? WM_SYSKEYDOWN : WM_KEYDOWN, nKey, 1 | nContext,
                   s.cursor);
        if (nKey == VK_F1 && nModifiers == 0)
            PostLocked(lk, hwndTarget, WM_KEYF1, 0, 0, s.cursor);
        PostLocked(lk, hwndTarget, bSystem ? WM_SYSKEYUP : WM_KEYUP, nKey,
                   1 | nContext | (LPARAM(1) << 30) | (LPARAM(1) << 31), s.cursor);
    }
    Settle();
    World& w = World::Get();
    Lock lk = w.Acquire();
    S(lk).bShiftDown = false;
    S(lk).bAltDown = false;
    return true;
}

std::string sim::Hover(HWND hwnd)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || !IsShown(lk, *p))
            return "";
        const POINT pt = CentreOf(lk, *p);
        S(lk).cursor = pt;
        Window* pAt = Find(lk, HitTest(lk, pt));
        if (!pAt)
            return "";
        const POINT origin = ClientOrigin(lk, *pAt);
        PostLocked(lk, pAt->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x - origin.x, pt.y - origin.y),
                   pt);
    }
    Settle();
    AdvanceTime(GetDoubleClickTime());
    return ShownTooltip();
}

bool sim::AnswerMessageBox(int nAnswer)
{
    HWND hwndButton = nullptr;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        for (const MessageBoxState& box : S(lk).messageBoxes)
            if (box.record.bOpen && box.hwndBox)
                if (Window* p = Find(lk, box.hwndBox))
                    for (HWND h : p->children)
                        if (Window* pChild = Find(lk, h);
                            pChild && static_cast<int>(pChild->nId) == nAnswer &&
                            pChild->pClass->name == "Button")
                            hwndButton = h;
    }
    return hwndButton && Click(hwndButton);
}

bool sim::Minimise(HWND hwnd)
{
    return SystemCommand(hwnd, SC_MINIMIZE, WS_MINIMIZEBOX | WS_SYSMENU);
}

bool sim::Restore(HWND hwnd)
{
    return SystemCommand(hwnd, SC_RESTORE, WS_SYSMENU);
}

bool sim::CloseBox(HWND hwnd)
{
    return SystemCommand(hwnd, SC_CLOSE, WS_SYSMENU);
}


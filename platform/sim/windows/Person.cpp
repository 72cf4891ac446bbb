// The tests' view of the window system (sim/windows.h): what is on the screen, read under the
// world lock, and a person's input, posted to the thread of the window that the input reaches
// and followed by a settling of the world.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;
using namespace sim::win;

namespace {

bool IsClass(const Window& w, const char* pszName)
{
    return w.pClass->name == pszName;
}

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

std::vector<HWND> sim::TopLevelWindows()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return S(lk).topLevel;
}

HWND sim::FindTopLevel(const std::string& caption)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    for (HWND h : S(lk).topLevel)
        if (Window* p = Find(lk, h); p && ToAnsi(p->text) == caption)
            return h;
    return nullptr;
}

HWND sim::Item(HWND hwndDialog, int nId)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwndDialog);
    if (!p)
        return nullptr;
    for (HWND h : p->children)
        if (Window* pChild = Find(lk, h); pChild && static_cast<int>(pChild->nId) == nId)
            return h;
    return nullptr;
}

std::string sim::Text(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p ? ToAnsi(p->text) : "";
}

bool sim::Exists(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return Find(lk, hwnd) != nullptr;
}

bool sim::Visible(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && IsShown(lk, *p);
}

bool sim::Enabled(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && !(p->nStyle & WS_DISABLED);
}

bool sim::Iconic(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p && p->bIconic;
}

HWND sim::Foreground()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return S(lk).hwndForeground;
}

HWND sim::Focus()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    Window* p = Find(lk, s.hwndForeground);
    return p ? s.focus[p->nThread] : nullptr;
}

bool sim::Answers(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    auto pThread = p ? w.FindThread(p->nThread) : nullptr;
    if (!pThread || !pThread->bBlocked)
        return false;
    const std::string what = pThread->pszWaitingFor;
    return what == "GetMessageA";
}

RECT sim::WindowRect(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p ? ScreenRect(lk, *p) : RECT{};
}

RECT sim::ClientRect(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p ? ClientRectOf(*p) : RECT{};
}

HWND sim::Owner(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p ? p->hwndOwner : nullptr;
}

HICON sim::WindowIcon(HWND hwnd, bool bBig)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    return p ? (bBig ? p->hIconBig : p->hIconSmall) : nullptr;
}

int sim::CheckState(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return CheckOf(lk, hwnd);
}

sim::ListState sim::List(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return ListOf(lk, hwnd);
}

sim::UpDownState sim::UpDown(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return UpDownOf(lk, hwnd);
}

sim::ProgressState sim::Progress(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return ProgressOf(lk, hwnd);
}

std::vector<sim::TimerInfo> sim::Timers(HWND hwnd)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    std::vector<TimerInfo> v;
    for (const Timer& t : S(lk).timers)
        if (t.hwnd == hwnd)
            v.push_back(TimerInfo{t.nId, t.nPeriod});
    return v;
}

std::string sim::ShownTooltip()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    for (auto& [h, p] : S(lk).windows)
        if (IsClass(*p, TOOLTIPS_CLASSA))
            if (std::string text = ShownTextOf(lk, h); !text.empty())
                return text;
    return "";
}

std::vector<sim::MessageBoxRecord> sim::MessageBoxes()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    std::vector<MessageBoxRecord> v;
    for (const MessageBoxState& box : S(lk).messageBoxes)
        v.push_back(box.record);
    return v;
}

std::vector<sim::DrawIconRecord> sim::DrawnIcons()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return S(lk).drawnIcons;
}

sim::IconInfo sim::IconOf(HICON hIcon)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    auto it = s.icons.find(hIcon);
    if (it == s.icons.end())
        return IconInfo{};
    return IconInfo{it->second.cx, it->second.cy, it->second.source};
}

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
                            IsClass(*pChild, "Button"))
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

// The tests' view of the window system (sim/windows.h): what is on the screen, read under the
// world lock from a settled world, or through the calls that read it on Windows.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;
using namespace sim::win;

std::vector<HWND> sim::TopLevelWindows()
{
    Lock lk = World::Get().Acquire();
    return S(lk).topLevel;
}

HWND sim::FindTopLevel(const std::string& caption)
{
    Lock lk = World::Get().Acquire();
    for (HWND h : S(lk).topLevel)
        if (Window* p = Find(lk, h); p && ToAnsi(p->text) == caption)
            return h;
    return nullptr;
}

HWND sim::Item(HWND hwndDialog, int nId)
{
    return GetDlgItem(hwndDialog, nId);
}

std::string sim::Text(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    return p ? ToAnsi(p->text) : "";
}

bool sim::Exists(HWND hwnd)
{
    return IsWindow(hwnd);
}

bool sim::Visible(HWND hwnd)
{
    return IsWindowVisible(hwnd);
}

bool sim::Enabled(HWND hwnd)
{
    return IsWindowEnabled(hwnd);
}

bool sim::Iconic(HWND hwnd)
{
    return IsIconic(hwnd);
}

HWND sim::Foreground()
{
    Lock lk = World::Get().Acquire();
    return S(lk).hwndForeground;
}

HWND sim::Focus()
{
    Lock lk = World::Get().Acquire();
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

HWND sim::Owner(HWND hwnd)
{
    return GetWindow(hwnd, GW_OWNER);
}

HICON sim::WindowIcon(HWND hwnd, bool bBig)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    return p ? (bBig ? p->hIconBig : p->hIconSmall) : nullptr;
}

int sim::CheckState(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return CheckOf(lk, hwnd);
}

sim::ListState sim::List(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return ListOf(lk, hwnd);
}

sim::UpDownState sim::UpDown(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return UpDownOf(lk, hwnd);
}

sim::ProgressState sim::Progress(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    return ProgressOf(lk, hwnd);
}

std::vector<sim::TimerInfo> sim::Timers(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    std::vector<TimerInfo> v;
    for (const Timer& t : S(lk).timers)
        if (t.hwnd == hwnd)
            v.push_back(TimerInfo{t.nId, t.nPeriod});
    return v;
}

std::vector<sim::MessageBoxRecord> sim::MessageBoxes()
{
    Lock lk = World::Get().Acquire();
    std::vector<MessageBoxRecord> v;
    for (const MessageBoxState& box : S(lk).messageBoxes)
        v.push_back(box.record);
    return v;
}

std::vector<sim::DrawIconRecord> sim::DrawnIcons()
{
    Lock lk = World::Get().Acquire();
    return S(lk).drawnIcons;
}

sim::IconInfo sim::IconOf(HICON hIcon)
{
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    auto it = s.icons.find(hIcon);
    if (it == s.icons.end())
        return IconInfo{};
    return IconInfo{it->second.source};
}

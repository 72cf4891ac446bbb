// The tests' view of the window system (sim/windows.h): what only the simulation shows, read
// under the world lock from a settled world.
#include "platform/sim/windows/WindowSystem.h"

#include <cstring>

using sim::Lock;
using sim::World;
using namespace sim::win;

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
    return pThread && pThread->bBlocked && std::strcmp(pThread->pszWaitingFor, "GetMessageA") == 0;
}

std::vector<UINT> sim::TimerPeriods(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    std::vector<UINT> periods;
    for (const Timer& t : S(lk).timers)
        if (t.hwnd == hwnd)
            periods.push_back(t.nPeriod);
    return periods;
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

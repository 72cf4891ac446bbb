// Window timers on the virtual clock. As on Windows a timer that falls due only marks itself
// ready: the queue of its thread makes up one WM_TIMER when nothing is posted and nothing needs
// painting, so expirations that come while the thread is busy merge into one message.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::ThreadState;
using sim::World;

namespace sim::win {

namespace {

void Arm(Lock& lk, Timer& t);

// Picks the timer of a window, or of a thread (hwnd null), by its id.
auto Same(HWND hwnd, UINT_PTR nId, DWORD nThread)
{
    return [=](const Timer& t) { return t.hwnd == hwnd && t.nId == nId && t.nThread == nThread; };
}

// Runs on the thread that moves the clock, with the lock held.
void FallDue(HWND hwnd, UINT_PTR nId, DWORD nThread)
{
    Lock held;
    State& s = S(held);
    auto it = std::find_if(s.timers.begin(), s.timers.end(), Same(hwnd, nId, nThread));
    if (it == s.timers.end())
        return;
    if (!it->nReadySince)
        it->nReadySince = s.nNextReady++;
    Arm(held, *it);
    World& w = World::Get();
    if (auto pThread = w.FindThread(nThread))
        w.Wake(*pThread);
}

void Arm(Lock&, Timer& t)
{
    World& w = World::Get();
    t.nEvent = w.Schedule(
        w.Now() + uint64_t(t.nPeriod) * 1000,
        [hwnd = t.hwnd, nId = t.nId, nThread = t.nThread] { FallDue(hwnd, nId, nThread); });
}

// Cancels and forgets the timers that bPicked picks; returns whether there were any.
template <class Pick>
bool Remove(Lock& lk, Pick bPicked)
{
    std::vector<Timer>& timers = S(lk).timers;
    for (const Timer& t : timers)
        if (bPicked(t))
            World::Get().Cancel(t.nEvent);
    auto it = std::remove_if(timers.begin(), timers.end(), bPicked);
    const bool bAny = it != timers.end();
    timers.erase(it, timers.end());
    return bAny;
}

}  // namespace

bool SynthesizeTimer(Lock& lk, ThreadState& self, UINT nRemove, MSG* pMsg)
{
    State& s = S(lk);
    Timer* pFirst = nullptr;
    for (Timer& t : s.timers)
        if (t.nReadySince && t.nThread == self.nId &&
            (!pFirst || t.nReadySince < pFirst->nReadySince))
            pFirst = &t;
    if (!pFirst)
        return false;
    *pMsg = MSG{};
    pMsg->hwnd = pFirst->hwnd;
    pMsg->message = WM_TIMER;
    pMsg->wParam = pFirst->nId;
    pMsg->lParam = reinterpret_cast<LPARAM>(pFirst->pfnProc);
    pMsg->time = static_cast<DWORD>(World::Get().Now() / 1000);
    pMsg->pt = s.cursor;
    if (nRemove & PM_REMOVE)
        pFirst->nReadySince = 0;
    return true;
}

void KillWindowTimers(Lock& lk, HWND hwnd)
{
    Remove(lk, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

}  // namespace sim::win

using namespace sim::win;

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR nId, UINT nPeriod, TIMERPROC pfnProc)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    if (w.TakeFault("SetTimer"))
        return 0;
    const DWORD nThread = CurrentThread(lk);
    if (hwnd) {
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return 0;
        if (p->nThread != nThread) {
            SetError(lk, ERROR_ACCESS_DENIED);
            return 0;
        }
    } else {
        nId = s.nNextThreadTimer++;
    }
    // Setting a timer again replaces it, and its period starts anew.
    Remove(lk, Same(hwnd, nId, nThread));
    nPeriod = std::clamp(nPeriod, UINT(USER_TIMER_MINIMUM), UINT(USER_TIMER_MAXIMUM));
    s.timers.push_back(Timer{hwnd, nId, nThread, nPeriod, pfnProc});
    Arm(lk, s.timers.back());
    return nId ? nId : 1;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR nId)
{
    Lock lk = World::Get().Acquire();
    if (Remove(lk, Same(hwnd, nId, CurrentThread(lk))))
        return TRUE;
    SetError(lk, ERROR_INVALID_PARAMETER);
    return FALSE;
}

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

// Runs on the thread that moves the clock, with the lock held.
void FallDue(HWND hwnd, UINT_PTR nId, DWORD nThread)
{
    Lock held;
    State& s = S(held);
    for (Timer& t : s.timers) {
        if (t.hwnd != hwnd || t.nId != nId || t.nThread != nThread)
            continue;
        if (!t.nReadySince)
            t.nReadySince = s.nNextReady++;
        Arm(held, t);
        World& w = World::Get();
        if (auto pThread = w.FindThread(nThread))
            w.Wake(*pThread);
        return;
    }
}

void Arm(Lock&, Timer& t)
{
    World& w = World::Get();
    t.nEvent = w.Schedule(
        w.Now() + uint64_t(t.nPeriod) * 1000,
        [hwnd = t.hwnd, nId = t.nId, nThread = t.nThread] { FallDue(hwnd, nId, nThread); });
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
    World& w = World::Get();
    State& s = S(lk);
    for (const Timer& t : s.timers)
        if (t.hwnd == hwnd)
            w.Cancel(t.nEvent);
    s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(),
                                  [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                   s.timers.end());
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
    nPeriod = std::clamp(nPeriod, UINT(USER_TIMER_MINIMUM), UINT(USER_TIMER_MAXIMUM));
    auto it = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) {
        return t.hwnd == hwnd && t.nId == nId && t.nThread == nThread;
    });
    if (it == s.timers.end()) {
        s.timers.push_back(Timer{});
        it = s.timers.end() - 1;
    } else {
        // Setting a timer again starts its period anew.
        w.Cancel(it->nEvent);
        it->nReadySince = 0;
    }
    it->hwnd = hwnd;
    it->nId = nId;
    it->nThread = nThread;
    it->nPeriod = nPeriod;
    it->pfnProc = pfnProc;
    Arm(lk, *it);
    return nId ? nId : 1;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR nId)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    const DWORD nThread = CurrentThread(lk);
    auto it = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) {
        return t.hwnd == hwnd && t.nId == nId && t.nThread == nThread;
    });
    if (it == s.timers.end()) {
        SetError(lk, ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    w.Cancel(it->nEvent);
    s.timers.erase(it);
    return TRUE;
}

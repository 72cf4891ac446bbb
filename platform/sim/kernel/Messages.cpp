// Per-thread message queues, made as Windows makes them: a thread has one from its first
// call of a message function, and a message posted to a thread without one is refused.
// Window messages share these queues; the window system adds what queues make up on their
// own (WM_PAINT, WM_TIMER) and delivers window messages to their procedures.
#include "platform/sim/kernel/World.h"

#include <cstdio>

using sim::Lock;
using sim::ThreadState;
using sim::World;

namespace {

bool InRange(UINT nMessage, UINT nMin, UINT nMax)
{
    return (nMin == 0 && nMax == 0) || (nMin <= nMessage && nMessage <= nMax);
}

// Takes (or, without PM_REMOVE, copies) the next message that passes the filters, in the
// order Windows gives them: posted messages, then WM_QUIT, then what the queue makes up.
bool NextMessage(World& w, ThreadState& self, UINT nMin, UINT nMax, UINT nRemove, MSG* pMsg)
{
    for (auto it = self.posted.begin(); it != self.posted.end(); ++it) {
        if (!InRange(it->message, nMin, nMax))
            continue;
        *pMsg = *it;
        if (nRemove & PM_REMOVE)
            self.posted.erase(it);
        return true;
    }
    if (self.bQuitPending && InRange(WM_QUIT, nMin, nMax)) {
        *pMsg = w.Stamped(nullptr, WM_QUIT, static_cast<WPARAM>(self.nQuitCode), 0);
        if (nRemove & PM_REMOVE)
            self.bQuitPending = false;
        return true;
    }
    return w.m_pfnSynthesize && w.m_pfnSynthesize(self, nMin, nMax, nRemove, pMsg);
}

}  // namespace

BOOL WINAPI PostThreadMessageA(DWORD nThreadId, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto pThread = w.FindThread(nThreadId);
    if (!pThread || !pThread->bHasQueue) {
        if (w.HasEnded(nThreadId)) {
            char what[128];
            std::snprintf(what, sizeof what,
                          "PostThreadMessageA of message 0x%X to thread %lu, which has ended",
                          nMessage, static_cast<unsigned long>(nThreadId));
            w.Misuse(what);
        }
        sim::SetError(lk, ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    if (auto nResult = w.TakeFault("PostThreadMessageA")) {
        sim::SetError(lk, ERROR_NOT_ENOUGH_QUOTA);
        return static_cast<BOOL>(*nResult);
    }
    pThread->posted.push_back(w.Stamped(nullptr, nMessage, wParam, lParam));
    w.Wake(*pThread);
    return TRUE;
}

// Messages that other threads send are handled inside the message calls, before anything
// posted, and never returned to the caller.
BOOL WINAPI GetMessageA(LPMSG pMsg, HWND hwnd, UINT nMin, UINT nMax)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (hwnd)  // the program reads every message of its thread
        w.Misuse("GetMessageA with a window filter, which is not simulated");
    ThreadState& self = w.Current(lk);
    self.bHasQueue = true;
    for (;;) {
        w.HandleSent(lk, self);
        w.Block(
            lk, self,
            [&] { return !self.sent.empty() || NextMessage(w, self, nMin, nMax, PM_REMOVE, pMsg); },
            sim::NO_DEADLINE, nullptr, "GetMessageA");
        if (self.sent.empty())
            return pMsg->message == WM_QUIT ? FALSE : TRUE;
    }
}

// Only whether another thread's sent message waits is simulated; nothing is handled.
DWORD WINAPI GetQueueStatus(UINT nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (nFlags != QS_SENDMESSAGE) {
        w.Misuse("GetQueueStatus of other kinds than QS_SENDMESSAGE is not simulated");
        return 0;
    }
    const WORD nStatus = w.Current(lk).sent.empty() ? 0 : QS_SENDMESSAGE;
    return MAKELONG(nStatus, nStatus);
}

BOOL WINAPI PeekMessageA(LPMSG pMsg, HWND hwnd, UINT nMin, UINT nMax, UINT nRemove)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (hwnd)
        w.Misuse("PeekMessageA with a window filter, which is not simulated");
    ThreadState& self = w.Current(lk);
    self.bHasQueue = true;
    w.HandleSent(lk, self);
    return NextMessage(w, self, nMin, nMax, nRemove, pMsg) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(INT nExitCode)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    ThreadState& self = w.Current(lk);
    self.bHasQueue = true;
    self.bQuitPending = true;
    self.nQuitCode = nExitCode;
}

LRESULT WINAPI DispatchMessageA(const MSG* pMsg)
{
    LRESULT (*pfnDispatch)(const MSG&);
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        pfnDispatch = w.m_pfnDispatch;
    }
    // A thread message has no window to go to.
    if (pMsg->hwnd == nullptr || pfnDispatch == nullptr)
        return 0;
    return pfnDispatch(*pMsg);
}

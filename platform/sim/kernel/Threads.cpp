// Threads, handles, waits, events, last errors and time, on the simulated world.
#include "platform/sim/kernel/World.h"

using sim::KernelObject;
using sim::Lock;
using sim::World;

namespace {

const HANDLE PSEUDO_CURRENT_PROCESS = reinterpret_cast<HANDLE>(~uintptr_t(0));

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE pfnStart,
                           LPVOID pParam, DWORD nFlags, LPDWORD pnThreadId)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (w.TakeFault("CreateThread")) {
        sim::SetError(lk, ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto pObject = std::make_shared<KernelObject>();
    pObject->kind = KernelObject::Kind::Thread;
    auto pThread = w.StartThread(
        "thread",
        [pfnStart, pParam, pObject] {
            const DWORD nExit = pfnStart(pParam);
            Lock lock = World::Get().Acquire();
            pObject->nExitCode = nExit;
        },
        pObject, (nFlags & CREATE_SUSPENDED) != 0);
    if (pnThreadId)
        *pnThreadId = pThread->nId;
    return w.AddHandle(pObject);
}

DWORD WINAPI ResumeThread(HANDLE hThread)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = w.FindHandle(hThread);
    if (!p || p->kind != KernelObject::Kind::Thread || !p->pThread) {
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return DWORD(-1);
    }
    const DWORD nWas = p->pThread->bSuspended ? 1 : 0;
    p->pThread->bSuspended = false;
    w.Wake(*p->pThread);
    return nWas;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD pnCode)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = w.FindHandle(hThread);
    if (!p || p->kind != KernelObject::Kind::Thread) {
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *pnCode = p->bSignalled ? p->nExitCode : STILL_ACTIVE;
    return TRUE;
}

// Priorities do not change the order of anything on the virtual clock; the call only checks
// its handle.
BOOL WINAPI SetThreadPriority(HANDLE hThread, INT)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = w.FindHandle(hThread);
    if (!p || p->kind != KernelObject::Kind::Thread) {
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetCurrentThreadId(void)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.Current(lk).nId;
}

HANDLE WINAPI GetCurrentProcess(void)
{
    return PSEUDO_CURRENT_PROCESS;
}

DWORD WINAPI GetLastError(void)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.Current(lk).nLastError;
}

void WINAPI SetLastError(DWORD nError)
{
    Lock lk = World::Get().Acquire();
    sim::SetError(lk, nError);
}

BOOL WINAPI CloseHandle(HANDLE h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!w.CloseHandle(h)) {
        w.Misuse("CloseHandle of a handle that is not open (closed twice?)");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DuplicateHandle(HANDLE hSourceProcess, HANDLE hSource, HANDLE hTargetProcess,
                            HANDLE* phTarget, DWORD, BOOL, DWORD nOptions)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (hSourceProcess != PSEUDO_CURRENT_PROCESS || hTargetProcess != PSEUDO_CURRENT_PROCESS) {
        w.Misuse("DuplicateHandle across processes is not simulated");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (auto nResult = w.TakeFault("DuplicateHandle")) {
        sim::SetError(lk, ERROR_NOT_ENOUGH_MEMORY);
        return static_cast<BOOL>(*nResult);
    }
    auto p = w.FindHandle(hSource);
    if (!p) {
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *phTarget = w.AddHandle(p);
    if (nOptions & DUPLICATE_CLOSE_SOURCE)
        w.CloseHandle(hSource);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD nMilliseconds)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = w.FindHandle(h);
    if (!p) {
        w.Misuse("WaitForSingleObject on a handle that is not open");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const uint64_t deadline =
        nMilliseconds == INFINITE ? sim::NO_DEADLINE : w.Now() + uint64_t(nMilliseconds) * 1000;
    if (!w.Block(
            lk, w.Current(lk), [&] { return p->bSignalled; }, deadline, &p->waiters,
            "WaitForSingleObject"))
        return WAIT_TIMEOUT;
    if (p->kind == KernelObject::Kind::Event && !p->bManualReset)
        p->bSignalled = false;
    return WAIT_OBJECT_0;
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (w.TakeFault("CreateEventA")) {
        sim::SetError(lk, ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto p = std::make_shared<KernelObject>();
    p->kind = KernelObject::Kind::Event;
    p->bManualReset = bManualReset != FALSE;
    p->bSignalled = bInitialState != FALSE;
    return w.AddHandle(p);
}

BOOL WINAPI SetEvent(HANDLE h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = w.FindHandle(h);
    if (!p || p->kind != KernelObject::Kind::Event) {
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    p->bSignalled = true;
    w.WakeAll(p->waiters);
    return TRUE;
}

// Sleep(0) gives up the rest of the time slice and returns; any other sleep ends on the first
// tick of the system timer at or after its time.
void WINAPI Sleep(DWORD nMilliseconds)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (nMilliseconds == 0)
        return;
    const uint64_t nTick = sim::DEFAULT_TICK_US;
    const uint64_t deadline = nMilliseconds == INFINITE
                                  ? sim::NO_DEADLINE
                                  : (w.Now() + nMilliseconds * 1000ull + nTick - 1) / nTick * nTick;
    w.Block(
        lk, w.Current(lk), [] { return false; }, deadline, nullptr, "Sleep");
}

DWORD WINAPI GetTickCount(void)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return static_cast<DWORD>(w.Now() / 1000);
}

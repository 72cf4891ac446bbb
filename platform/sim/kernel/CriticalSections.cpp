// Critical sections whose waiting threads the simulated world sees as idle, so that a
// deadlock shows up as one instead of as a hang.
#include "platform/sim/kernel/World.h"

#include <unordered_map>

using sim::Lock;
using sim::World;

namespace {

struct LockState
{
    DWORD nOwner = 0;
    int nRecursion = 0;
    sim::WaitList waiters;
};

std::unordered_map<const CRITICAL_SECTION*, LockState>& Locks()
{
    static auto* pLocks = new std::unordered_map<const CRITICAL_SECTION*, LockState>;
    return *pLocks;
}

LockState& Find(World& w, CRITICAL_SECTION* pcs, const char* pszCall)
{
    auto it = Locks().find(pcs);
    if (it != Locks().end())
        return it->second;
    w.Misuse(std::string(pszCall) + " on a critical section that is not initialised");
    ++w.m_live.nCriticalSections;
    return Locks()[pcs];
}

}  // namespace

void WINAPI InitializeCriticalSection(CRITICAL_SECTION* pcs)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (Locks().count(pcs)) {
        w.Misuse("InitializeCriticalSection of a critical section already initialised");
        return;
    }
    Locks()[pcs];
    ++w.m_live.nCriticalSections;
}

void WINAPI DeleteCriticalSection(CRITICAL_SECTION* pcs)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto it = Locks().find(pcs);
    if (it == Locks().end()) {
        w.Misuse("DeleteCriticalSection of a critical section that is not initialised");
        return;
    }
    if (it->second.nOwner != 0 || !it->second.waiters.threads.empty())
        w.Misuse("DeleteCriticalSection of a critical section that is held or waited for");
    Locks().erase(it);
    --w.m_live.nCriticalSections;
}

void WINAPI EnterCriticalSection(CRITICAL_SECTION* pcs)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    LockState& ls = Find(w, pcs, "EnterCriticalSection");
    const DWORD nSelf = w.Current(lk).nId;
    w.Block(
        lk, w.Current(lk), [&] { return ls.nOwner == 0 || ls.nOwner == nSelf; }, sim::NO_DEADLINE,
        &ls.waiters, "EnterCriticalSection");
    ls.nOwner = nSelf;
    ++ls.nRecursion;
}

void WINAPI LeaveCriticalSection(CRITICAL_SECTION* pcs)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    LockState& ls = Find(w, pcs, "LeaveCriticalSection");
    if (ls.nOwner != w.Current(lk).nId) {
        w.Misuse("LeaveCriticalSection by a thread that does not hold it");
        return;
    }
    if (--ls.nRecursion == 0) {
        ls.nOwner = 0;
        w.WakeAll(ls.waiters);
    }
}

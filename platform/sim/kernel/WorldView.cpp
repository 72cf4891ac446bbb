// The tests' view of the world (sim.h): the clock, settling, faults, the live counts and the
// misuse, each under the world lock.
#include "platform/sim/kernel/World.h"

namespace sim {

uint64_t NowUs()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.Now();
}

void Settle()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    w.Settle(lk);
}

void AdvanceTime(uint32_t nMilliseconds)
{
    AdvanceTimeUs(uint64_t(nMilliseconds) * 1000);
}

void AdvanceTimeUs(uint64_t nMicroseconds)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    w.AdvanceTo(lk, w.Now() + nMicroseconds);
}

void InjectFault(const std::string& call, long long nResult, int nSkip, int nTimes)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    w.InjectFault(call, nResult, nSkip, nTimes);
}

int PendingFaults(const std::string& call)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.PendingFaults(call);
}

LiveCounts Live()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.m_live;
}

std::vector<std::string> TakeMisuses()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return w.TakeMisuses();
}

void ResetWorld()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    w.Settle(lk);
    w.Reset(lk);
}

}  // namespace sim

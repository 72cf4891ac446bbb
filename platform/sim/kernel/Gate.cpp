// A test's own door that a simulated thread can wait at (sim.h).
#include "platform/sim/kernel/World.h"

namespace sim {

struct Gate::State
{
    bool bOpen = false;
    int nWaiting = 0;
    WaitList waiters;
};

Gate::Gate() : m_pState(std::make_unique<State>()) {}

Gate::~Gate() = default;

void Gate::Wait()
{
    Lock lk = World::Get().Acquire();
    GateWait::Wait(lk, *this, false);
}

void GateWait::Wait(Lock& lk, Gate& gate, bool bHandlingSent)
{
    World& w = World::Get();
    ThreadState& self = w.Current(lk);
    Gate::State& s = *gate.m_pState;
    ++s.nWaiting;
    for (;;) {
        w.Block(
            lk, self, [&] { return s.bOpen || (bHandlingSent && !self.sent.empty()); }, NO_DEADLINE,
            &s.waiters, "a test's gate");
        if (s.bOpen)
            break;
        w.HandleSent(lk, self);
    }
    --s.nWaiting;
}

void Gate::Open()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    m_pState->bOpen = true;
    w.WakeAll(m_pState->waiters);
}

int Gate::Waiting() const
{
    Lock lk = World::Get().Acquire();
    return m_pState->nWaiting;
}

}  // namespace sim

// A test's own door that a simulated thread can wait at (sim.h).
#include "platform/sim/kernel/World.h"

namespace sim {

struct Gate::State {
    bool bOpen = false;
    int nWaiting = 0;
    WaitList waiters;
};

Gate::Gate() : m_pState(new State) {}

Gate::~Gate()
{
    delete m_pState;
}

void Gate::Wait()
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    ++m_pState->nWaiting;
    w.Block(lk, w.Current(lk), [&] { return m_pState->bOpen; }, NO_DEADLINE, &m_pState->waiters,
            "a test's gate");
    --m_pState->nWaiting;
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
    World& w = World::Get();
    Lock lk = w.Acquire();
    return m_pState->nWaiting;
}

}  // namespace sim

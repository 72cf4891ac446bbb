// Withdraw, then wait until nobody is inside: how an object that other threads call into is
// let go of. Callers on other threads (the driver's callback, a device's worker) pair every
// Enter with a Leave and touch the guarded object only between them, and only when Enter said
// it is still there; its owner withdraws it, and once Withdraw has returned no caller is
// inside or will be, so the object may go. Windows' kernel calls this rundown protection
// (acquire, release, wait for rundown).
#pragma once

#include <atomic>

class CEntryGate
{
public:
    CEntryGate();
    CEntryGate(const CEntryGate&) = delete;
    CEntryGate& operator=(const CEntryGate&) = delete;

    // TRUE while the guarded object is there. Leave follows either way.
    bool Enter();
    void Leave();
    // From now on Enter gives false; returns once no caller is between Enter and Leave. Without
    // a limit, since it guards memory: each user keeps what lies between Enter and Leave short,
    // and says at its Withdraw why the wait ends.
    void Withdraw();

private:
    // Enter counts itself in before it reads the flag, Withdraw sets the flag before it reads
    // the count (all sequentially consistent): either Enter sees the object withdrawn, or
    // Withdraw sees the caller inside and waits for its Leave.
    std::atomic<int> m_nInside;
    std::atomic<bool> m_bWithdrawn;
};

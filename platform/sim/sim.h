// What a host test sees of the simulated Windows: the virtual clock, the settling of the
// simulated threads, faults on demand, and the counts that catch leaks and misuse.
//
// The simulated world runs real threads, but time moves only when a test moves it. After
// every event the world settles: each thread that the simulation created has blocked on
// something only another event can change (an empty message queue, an unsignalled handle, a
// held lock, a wait on the clock) or has ended. A test therefore reads a settled system, and
// the same test gives the same result on every run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// Virtual time in microseconds since the world was last reset.
uint64_t NowUs();

// Waits until every simulated thread is idle or ended.
void Settle();

// Moves the clock on by the given time, running every event that falls due (device buffers,
// window timers, timeouts) in order and settling after each.
void AdvanceTime(uint32_t nMilliseconds);
void AdvanceTimeUs(uint64_t nMicroseconds);

// The system's timer tick, on which Sleep wakes: at the first tick at or after the time asked
// for, as on Windows, whose default tick is 15.625 ms (so Sleep(1) in a loop takes 15.625 ms a
// call).
constexpr uint64_t DEFAULT_TICK_US = 15625;

// Faults on demand: the named Win32 call (its exact name, "waveOutWrite", "GlobalAlloc" ...)
// lets nSkip calls succeed, then returns nResult instead of doing its work, nTimes times
// (-1: from then on). What nResult means is the call's own result type: an MMRESULT, a BOOL,
// 0 for a null handle.
void InjectFault(const std::string& call, long long nResult, int nSkip = 0, int nTimes = 1);
// The number of faults still armed for the call.
int PendingFaults(const std::string& call);

// What is alive in the world now. A test that ends with anything alive has leaked it.
struct LiveCounts
{
    int nThreads = 0;           // threads the simulation runs (program and driver threads)
    int nHandles = 0;           // kernel handles open
    int nGlobalBlocks = 0;      // global memory blocks not freed
    int nCriticalSections = 0;  // critical sections not deleted
    int nWindows = 0;           // windows not destroyed
    bool operator==(const LiveCounts& o) const
    {
        return nThreads == o.nThreads && nHandles == o.nHandles &&
               nGlobalBlocks == o.nGlobalBlocks && nCriticalSections == o.nCriticalSections &&
               nWindows == o.nWindows;
    }
};
LiveCounts Live();

// Misuse that would corrupt memory or hang on real Windows (a buffer freed while a driver
// holds it, a message posted to an ended thread, a handle closed twice ...). Each is printed
// when it happens and kept until taken.
std::vector<std::string> TakeMisuses();

// Between tests: forgets faults, misuses and every room's configuration, and sets the clock
// back to 0. Every simulated thread must have ended.
void ResetWorld();

// A test's own door that a simulated thread can wait at (an OnBuffer hook made to hang, say):
// the waiting thread counts as idle, and opens when the test opens it.
class Gate
{
public:
    Gate();
    ~Gate();
    void Wait();
    void Open();
    int Waiting() const;

private:
    friend struct GateWait;
    struct State;
    std::unique_ptr<State> m_pState;
};

}  // namespace sim

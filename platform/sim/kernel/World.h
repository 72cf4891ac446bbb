// The simulated world that every room of the simulation shares: one lock over all of its
// state, the threads it knows, the scheduler that knows when they are all idle, the virtual
// clock with its events, faults on demand, and the record of misuse.
//
// Rules for the rooms:
// - Hold the world lock (Acquire) while touching any simulated state; never hold it while
//   calling the program (a window procedure, a wave callback, a thread body), which calls
//   back into the simulation.
// - A simulated thread waits only through Block, so that the world knows it is idle.
// - Whoever makes a thread's wait condition true calls Wake (or WakeAll on a WaitList).
#pragma once

#include "platform/win32.h"
#include "platform/sim/sim.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {

using Lock = std::unique_lock<std::mutex>;

constexpr uint64_t NO_DEADLINE = UINT64_MAX;

struct ThreadState;

// The threads waiting for one thing (a handle, a lock, a gate) to change.
struct WaitList
{
    std::vector<ThreadState*> threads;
};

// A window message that another thread sends (the system's session messages): it is handled
// by the receiving thread inside its next message call, and its sender waits for the result.
struct SentMessage
{
    MSG msg{};
    LRESULT nResult = 0;
    bool bDone = false;
    WaitList sender;
};

struct ThreadState
{
    DWORD nId = 0;
    std::string name;
    // A thread that the simulation did not start: the test's own. It drives the clock; when it
    // waits on the simulated world and nothing else can run, time moves on by itself.
    bool bAdopted = false;
    bool bBlocked = false;
    bool bEnded = false;
    bool bSuspended = false;
    const char* pszWaitingFor = "";
    std::condition_variable cv;
    DWORD nLastError = 0;

    // The message queue, which exists from the thread's first call of a message function.
    bool bHasQueue = false;
    std::deque<MSG> posted;
    bool bQuitPending = false;
    int nQuitCode = 0;
    std::deque<std::shared_ptr<SentMessage>> sent;  // by other threads, not yet handled
};

// A waitable kernel object behind one or more handles.
struct KernelObject
{
    enum class Kind { Thread, Event } kind;
    bool bSignalled = false;
    bool bManualReset = true;
    DWORD nExitCode = STILL_ACTIVE;
    std::shared_ptr<ThreadState> pThread;
    WaitList waiters;
};

class World
{
public:
    static World& Get();

    Lock Acquire() { return Lock(m_mutex); }

    // ---- threads (all with the lock held)
    ThreadState& Current(Lock& lk);
    std::shared_ptr<ThreadState> FindThread(DWORD nId);
    bool HasEnded(DWORD nId) const { return m_endedIds.count(nId) != 0; }
    // Starts a simulated thread that runs body (without the lock). The thread counts as
    // running from this moment, so a Settle that follows waits for it.
    std::shared_ptr<ThreadState> StartThread(std::string name, std::function<void()> body,
                                             std::shared_ptr<KernelObject> pObject = nullptr,
                                             bool bSuspended = false);
    // Blocks the calling thread until ready() is true (result true) or the virtual clock
    // reaches deadlineUs (result false). ready() is evaluated with the lock held.
    bool Block(Lock& lk, ThreadState& self, const std::function<bool()>& ready,
               uint64_t deadlineUs = NO_DEADLINE, WaitList* pList = nullptr,
               const char* pszWhat = "");
    void Wake(ThreadState& t);
    void WakeAll(WaitList& list);

    // ---- handles
    HANDLE AddHandle(std::shared_ptr<KernelObject> pObject);
    std::shared_ptr<KernelObject> FindHandle(HANDLE h);
    bool CloseHandle(HANDLE h);

    // ---- clock and events
    uint64_t Now() const { return m_nNowUs; }
    // A message as its receiver reads it, stamped with the clock.
    MSG Stamped(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam) const
    {
        return MSG{hwnd, nMessage, wParam, lParam, static_cast<DWORD>(m_nNowUs / 1000), {}};
    }
    // fn runs with the lock held on the thread that moves the clock; it must not block or
    // call the program, only change simulated state and wake threads.
    uint64_t Schedule(uint64_t atUs, std::function<void()> fn);
    void Cancel(uint64_t nEvent);  // of one that ran already, or of 0: nothing
    void Settle(Lock& lk);
    void AdvanceTo(Lock& lk, uint64_t targetUs);

    // ---- faults and misuse
    void InjectFault(const std::string& call, long long nResult, int nSkip, int nTimes);
    std::optional<long long> TakeFault(const char* pszCall);
    int PendingFaults(const std::string& call) const;
    void Misuse(const std::string& what);
    std::vector<std::string> TakeMisuses();
    [[noreturn]] void Fatal(const std::string& what);
    std::string DescribeThreads() const;

    // ---- rooms
    // Called (with the lock held) by ResetWorld, for each room to forget its configuration.
    void OnReset(std::function<void()> fn) { m_resets.push_back(std::move(fn)); }
    void Reset(Lock& lk);
    // Messages that a queue makes up when it has nothing posted (WM_PAINT, WM_TIMER), given
    // by the window system. Called with the lock held.
    bool (*m_pfnSynthesize)(ThreadState&, UINT, UINT, UINT, MSG*) = nullptr;
    // Delivers a window message to its window procedure. Called without the lock.
    LRESULT (*m_pfnDispatch)(const MSG&) = nullptr;
    // Sends a window message to a window of another thread: it waits until that thread's next
    // message call has handled it, and returns the window's result. With the lock held.
    LRESULT SendToThread(Lock& lk, ThreadState& receiver, const MSG& msg);
    // Handles the messages other threads have sent to the calling thread, as every message
    // call does first. With the lock held; let go while each window procedure runs.
    void HandleSent(Lock& lk, ThreadState& self);
    // Checks run before a global memory block is freed (a sound driver that still holds it).
    std::vector<std::function<void(const void*, size_t)>> m_memoryGuards;

    LiveCounts m_live;

private:
    World() = default;
    void NoteBlocked();
    // The clock moves to the first event, which runs (with the lock held).
    void RunNextEvent();

    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::map<DWORD, std::shared_ptr<ThreadState>> m_threads;
    std::set<DWORD> m_endedIds;
    std::vector<ThreadState*> m_adopted;
    DWORD m_nNextThreadId = 0x100;
    int m_nRunning = 0;  // simulated threads neither blocked nor ended

    std::map<HANDLE, std::shared_ptr<KernelObject>> m_handles;
    uintptr_t m_nNextHandle = 0x1000;

    uint64_t m_nNowUs = 0;
    uint64_t m_nNextEvent = 1;
    std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> m_events;  // by time, id

    struct Fault
    {
        std::string call;
        long long nResult;
        int nSkip;
        int nTimes;
    };
    std::vector<Fault> m_faults;
    std::vector<std::string> m_misuses;
    std::vector<std::function<void()>> m_resets;
};

// The calling thread's last error, as SetLastError would leave it.
void SetError(Lock& lk, DWORD nError);

// A wait at a test's gate (Gate::Wait), also for the simulation's own calls that a test holds
// there. With bHandlingSent, the held thread stands for one that waits inside a cross-thread
// SendMessage: it handles the window messages other threads send it meanwhile.
struct GateWait
{
    static void Wait(Lock& lk, Gate& gate, bool bHandlingSent);
};

}  // namespace sim

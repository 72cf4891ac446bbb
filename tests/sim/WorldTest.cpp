// The simulated world itself: settling, the virtual clock, faults and the leak counts.
#include "platform/sim/sim.h"
#include "platform/win32.h"
#include "tests/support/PlatformTest.h"

namespace {

class World : public PlatformTest {};

struct Waiter {
    HANDLE hEvent = nullptr;
    DWORD nTimeout = 0;
    DWORD nResult = 0xFFFF;
    DWORD nWokeAt = 0;
};

DWORD WINAPI WaitWithTimeout(LPVOID p)
{
    Waiter& w = *static_cast<Waiter*>(p);
    w.nResult = WaitForSingleObject(w.hEvent, w.nTimeout);
    w.nWokeAt = GetTickCount();
    return 0;
}

TEST_F(World, ASimulatedThreadsTimeoutRunsOnTheVirtualClock)
{
    Waiter w;
    w.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w.nTimeout = 10000;
    HANDLE h = CreateThread(nullptr, 0, WaitWithTimeout, &w, 0, nullptr);
    sim::Settle();
    sim::AdvanceTime(9999);
    EXPECT_EQ(w.nResult, 0xFFFFu) << "still waiting";
    sim::AdvanceTime(1);
    EXPECT_EQ(w.nResult, DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(w.nWokeAt, 10000u);
    CloseHandle(h);
    CloseHandle(w.hEvent);
}

TEST_F(World, TheTestsOwnWaitMovesTheClockWhenNothingElseCanRun)
{
    HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(sim::NowUs(), 0u);
    EXPECT_EQ(WaitForSingleObject(hEvent, 2500), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(GetTickCount(), 2500u);
    Sleep(500);
    EXPECT_EQ(GetTickCount(), 3000u);
    // A sleep ends on the next tick of the system timer, 15.625 ms apart.
    Sleep(1);
    EXPECT_EQ(sim::NowUs(), 3015625u);
    CloseHandle(hEvent);
}

DWORD WINAPI WaitAtGate(LPVOID p)
{
    static_cast<sim::Gate*>(p)->Wait();
    return 0;
}

TEST_F(World, AThreadAtAGateIsIdleUntilTheTestOpensIt)
{
    sim::Gate gate;
    HANDLE h = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    sim::Settle();
    EXPECT_EQ(gate.Waiting(), 1);
    EXPECT_EQ(sim::Live().nThreads, 1);
    gate.Open();
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(sim::Live().nThreads, 0);
    CloseHandle(h);
}

TEST_F(World, FaultsComeAfterTheCallsTheyLetThrough)
{
    sim::InjectFault("GlobalAlloc", 0, 1, 2);
    EXPECT_EQ(sim::PendingFaults("GlobalAlloc"), 2);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(h, nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    HGLOBAL h2 = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(h2, nullptr);
    GlobalFree(h);
    GlobalFree(h2);

    sim::InjectFault("CreateThread", 0);
    EXPECT_EQ(CreateThread(nullptr, 0, WaitAtGate, nullptr, 0, nullptr), nullptr);
}

TEST_F(World, MemoryNobodyWroteIsLoud)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 8);
    const auto* p = static_cast<const SHORT*>(GlobalLock(h));
    EXPECT_EQ(p[0], SHORT(0xA5A5));
    GlobalFree(h);
}

TEST_F(World, LeaksAndMisuseAreCounted)
{
    const sim::LiveCounts before = sim::Live();
    HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 8);
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    const sim::LiveCounts during = sim::Live();
    EXPECT_EQ(during.nHandles, before.nHandles + 1);
    EXPECT_EQ(during.nGlobalBlocks, before.nGlobalBlocks + 1);
    EXPECT_EQ(during.nCriticalSections, before.nCriticalSections + 1);
    // Through volatiles, so that the compiler lets the test free again what it knows is freed.
    HGLOBAL volatile gFreed = g;
    HGLOBAL(WINAPI* volatile pfnFree)(HGLOBAL) = GlobalFree;
    CloseHandle(h);
    GlobalFree(g);
    DeleteCriticalSection(&cs);
    EXPECT_EQ(sim::Live(), before);

    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(pfnFree(gFreed), gFreed);
    EXPECT_EQ(sim::TakeMisuses().size(), 2u);
}

}  // namespace

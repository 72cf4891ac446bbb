// The kernel behaviours the program relies on, against the simulation on the host and against
// the real kernel under Wine.
#include "platform/win32.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include <vector>

namespace {

class Kernel : public PlatformTest {};

struct Inbox {
    HANDLE hReady = nullptr;     // set once the thread has a message queue
    bool bMakeQueue = true;
    std::vector<UINT> received;  // in the order GetMessage gave them
};

DWORD WINAPI ReceiveUntilQuit(LPVOID p)
{
    Inbox& inbox = *static_cast<Inbox*>(p);
    MSG msg;
    if (inbox.bMakeQueue)
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(inbox.hReady);
    while (GetMessageA(&msg, nullptr, 0, 0))
        inbox.received.push_back(msg.message);
    return 7;
}

TEST_F(Kernel, ThreadMessagesNeedAQueueAndArriveInOrderBeforeTheQuit)
{
    Inbox inbox;
    inbox.hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD nId = 0;
    HANDLE hThread = CreateThread(nullptr, 0, ReceiveUntilQuit, &inbox, 0, &nId);
    ASSERT_NE(hThread, nullptr);
    ASSERT_EQ(WaitForSingleObject(inbox.hReady, 5000), WAIT_OBJECT_0);

    for (UINT n = 0; n < 50; ++n)
        ASSERT_TRUE(PostThreadMessageA(nId, WM_USER + n, n, 0));
    ASSERT_TRUE(PostThreadMessageA(nId, WM_QUIT, 0, 0));
    ASSERT_EQ(WaitForSingleObject(hThread, 5000), WAIT_OBJECT_0);
    ASSERT_EQ(inbox.received.size(), 50u);
    for (UINT n = 0; n < 50; ++n)
        EXPECT_EQ(inbox.received[n], WM_USER + n);
    DWORD nExit = 0;
    EXPECT_TRUE(GetExitCodeThread(hThread, &nExit));
    EXPECT_EQ(nExit, 7u);

    // The thread has ended: a message to it is refused.
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageA(nId, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_THREAD_ID));
    if (Difference(DifferenceKind::SimulationStricter,
                   "a message posted to a thread that has ended",
                   "Windows and Wine refuse it, and so does the simulation, which calls it misuse "
                   "too: on Windows the id of an ended thread may name a new one, which would "
                   "get the message")) {
        EXPECT_EQ(ForgiveMisuse(), 1u) << "the refusal is misuse";
    }
    CloseHandle(hThread);
    CloseHandle(inbox.hReady);
}

DWORD WINAPI WaitForEvent(LPVOID p)
{
    WaitForSingleObject(static_cast<HANDLE>(p), INFINITE);
    return 0;
}

TEST_F(Kernel, AThreadWithoutAQueueRefusesPostedMessages)
{
    HANDLE hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD nId = 0;
    HANDLE hThread = CreateThread(nullptr, 0, WaitForEvent, hGo, 0, &nId);
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageA(nId, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_THREAD_ID));
    SetEvent(hGo);
    EXPECT_EQ(WaitForSingleObject(hThread, 5000), WAIT_OBJECT_0);
    CloseHandle(hThread);
    CloseHandle(hGo);
}

TEST_F(Kernel, WaitsTimeOutAndADuplicateHandleOutlivesTheOriginal)
{
    HANDLE hGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE hThread = CreateThread(nullptr, 0, WaitForEvent, hGo, 0, nullptr);
    HANDLE hCopy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &hCopy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_TRUE(CloseHandle(hThread));

    EXPECT_EQ(WaitForSingleObject(hCopy, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(hCopy, 30), DWORD(WAIT_TIMEOUT));
    DWORD nExit = 0;
    EXPECT_TRUE(GetExitCodeThread(hCopy, &nExit));
    EXPECT_EQ(nExit, DWORD(STILL_ACTIVE));
    SetEvent(hGo);
    EXPECT_EQ(WaitForSingleObject(hCopy, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(hCopy, 0), WAIT_OBJECT_0);
    CloseHandle(hCopy);
    CloseHandle(hGo);
}

TEST_F(Kernel, ThreadMessagesAreNotDispatched)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 10, 1, 2));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, UINT(WM_USER + 10));
    EXPECT_EQ(msg.wParam, WPARAM(1));
    EXPECT_EQ(msg.lParam, LPARAM(2));
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Kernel, GlobalMemoryIsZeroedOnRequestAndFreedWhileLocked)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4096);
    ASSERT_NE(h, nullptr);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_NE(static_cast<void*>(p), static_cast<void*>(h)) << "a moveable block has a handle";
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(p[i], 0) << i;
    EXPECT_GE(GlobalSize(h), SIZE_T(4096));
    EXPECT_EQ(GlobalFree(h), nullptr);
}

struct Shared {
    CRITICAL_SECTION cs;
    int nInside = 0;
    int nMaxInside = 0;
};

DWORD WINAPI CountInside(LPVOID p)
{
    Shared& s = *static_cast<Shared*>(p);
    for (int i = 0; i < 200; ++i) {
        EnterCriticalSection(&s.cs);
        EnterCriticalSection(&s.cs);  // recursion by the owner does not block
        if (++s.nInside > s.nMaxInside)
            s.nMaxInside = s.nInside;
        Sleep(0);
        --s.nInside;
        LeaveCriticalSection(&s.cs);
        LeaveCriticalSection(&s.cs);
    }
    return 0;
}

TEST_F(Kernel, ACriticalSectionLetsOneThreadInAtATime)
{
    Shared s;
    InitializeCriticalSection(&s.cs);
    HANDLE h[3];
    for (HANDLE& hThread : h)
        hThread = CreateThread(nullptr, 0, CountInside, &s, 0, nullptr);
    for (HANDLE hThread : h) {
        EXPECT_EQ(WaitForSingleObject(hThread, 10000), WAIT_OBJECT_0);
        CloseHandle(hThread);
    }
    EXPECT_EQ(s.nMaxInside, 1);
    DeleteCriticalSection(&s.cs);
}

}  // namespace

// The framework's thread start: a thread that can take messages once the start returns, and an
// object that deletes itself, closing its handle, when its thread ends.
#include "framework/WinThread.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/Screen.h"

#include <vector>

namespace {

class WinThread : public PlatformTest
{
};

UINT Receive(LPVOID p)
{
    auto& received = *static_cast<std::vector<UINT>*>(p);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0))
        received.push_back(msg.message);
    return 0;
}

TEST_F(WinThread, AStartedThreadTakesMessagesAtOnceAndDeletesItselfWhenItEnds)
{
    std::vector<UINT> received;
    CWinThread* pThread = AfxBeginThread(Receive, &received);
    ASSERT_NE(pThread, nullptr);
    EXPECT_TRUE(pThread->m_bAutoDelete);
    const DWORD nId = pThread->m_nThreadID;
    // No wait for the thread to reach its loop: its queue already exists.
    EXPECT_TRUE(PostThreadMessageA(nId, WM_USER + 1, 0, 0));
    HANDLE hThread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(),
                                &hThread, SYNCHRONIZE, FALSE, 0));
    EXPECT_TRUE(PostThreadMessageA(nId, WM_QUIT, 0, 0));
    EXPECT_EQ(WaitForSingleObject(hThread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(hThread);
    EXPECT_EQ(received, std::vector<UINT>{WM_USER + 1});
    // On the simulation the fixture finds the object's own handle closed and its thread gone.
}

TEST_F(WinThread, AThreadThatCannotBeMadeLeavesNothingBehind)
{
    EXPECT_EQ(AfxBeginThread(Receive, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED),
              nullptr);
    if (!OnlyOnTheSimulation("injected faults"))
        GTEST_SKIP() << "needs an injected fault: an event or a thread the system cannot make";
    for (const char* pszCall : {"CreateEventA", "CreateThread"}) {
        simulation::InjectFault(pszCall, 0);
        EXPECT_EQ(AfxBeginThread(Receive, nullptr), nullptr) << pszCall;
    }
}

}  // namespace

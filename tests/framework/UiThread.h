// The program's user-interface thread in a test: a thread of its own that runs the given body
// (a modal dialog, the application's entry), on the simulation or on Windows. The test's own
// thread acts on it as a person through tests/support/Input.h, waits for what a person would
// see through tests/support/Screen.h, and waits for it to end.
#pragma once

#include "platform/win32.h"
#include "tests/support/Screen.h"

#include <gtest/gtest.h>

#include <functional>

class UiThread
{
public:
    explicit UiThread(std::function<DWORD()> body) : m_body(std::move(body))
    {
        m_hThread = CreateThread(nullptr, 0, Run, this, 0, &m_nId);
        screen::Settle();
    }
    ~UiThread()
    {
        // A test that failed before the program's windows closed ends them with a quit, which
        // each modal loop passes on to the loop around it, rather than wait for them for ever.
        if (m_hThread && ::testing::Test::HasFailure() &&
            WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT)
            PostThreadMessageA(m_nId, WM_QUIT, 0, 0);
        Join();
    }
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    DWORD Id() const { return m_nId; }

    // Waits for the body to return; its result.
    DWORD Join()
    {
        if (m_hThread) {
            WaitForSingleObject(m_hThread, INFINITE);
            GetExitCodeThread(m_hThread, &m_nExit);
            CloseHandle(m_hThread);
            m_hThread = nullptr;
        }
        return m_nExit;
    }

private:
    static DWORD WINAPI Run(LPVOID p) { return static_cast<UiThread*>(p)->m_body(); }

    std::function<DWORD()> m_body;
    HANDLE m_hThread = nullptr;
    DWORD m_nId = 0;
    DWORD m_nExit = 0;
};

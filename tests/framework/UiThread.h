// The program's user-interface thread in a host test: a simulated thread that runs the given
// body (a modal dialog, the application's entry). The test's own thread acts on it as a person
// through sim/windows.h, and waits for it to end.
#pragma once

#include "platform/sim/sim.h"
#include "platform/win32.h"

#include <functional>

class UiThread
{
public:
    explicit UiThread(std::function<DWORD()> body) : m_body(std::move(body))
    {
        m_hThread = CreateThread(nullptr, 0, Run, this, 0, &m_nId);
        sim::Settle();
    }
    ~UiThread() { Join(); }
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

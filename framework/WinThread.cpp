#include "framework/WinThread.h"

#include <new>

namespace {

// Lives on the starting thread's stack until the new thread has signalled hReady.
struct Startup
{
    CWinThread* pThread;
    HANDLE hReady;
};

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_hThread(nullptr),
      m_nThreadID(0),
      m_bAutoDelete(TRUE),
      m_pfnThreadProc(pfnThreadProc),
      m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID p)
{
    Startup* pStartup = static_cast<Startup*>(p);
    CWinThread* pThread = pStartup->pThread;
    // A thread has a message queue from its first call of a message function.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(pStartup->hReady);  // from here on pStartup is gone

    const UINT nResult = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
    if (pThread->m_bAutoDelete)
        delete pThread;
    return nResult;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES pSecurity)
{
    if (dwCreateFlags & CREATE_SUSPENDED)
        return nullptr;
    CWinThread* pThread = new (std::nothrow) CWinThread(pfnThreadProc, pParam);
    if (!pThread)
        return nullptr;
    Startup startup{pThread, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!startup.hReady) {
        delete pThread;
        return nullptr;
    }
    // Suspended until its object is complete: a thread that ran at once could end and delete
    // the object before m_hThread was stored in it.
    pThread->m_hThread = CreateThread(pSecurity, nStackSize, &CWinThread::ThreadEntry, &startup,
                                      dwCreateFlags | CREATE_SUSPENDED, &pThread->m_nThreadID);
    if (!pThread->m_hThread) {
        CloseHandle(startup.hReady);
        delete pThread;
        return nullptr;
    }
    SetThreadPriority(pThread->m_hThread, nPriority);
    const HANDLE hThread = pThread->m_hThread;  // pThread may be deleted once the thread runs
    ResumeThread(hThread);
    // Without a limit: startup lives on this stack until the thread has read it, and the
    // thread's first act is to make its queue and signal.
    WaitForSingleObject(startup.hReady, INFINITE);
    CloseHandle(startup.hReady);
    return pThread;
}

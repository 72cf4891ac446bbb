// A worker thread in the framework's style, started with AfxBeginThread.
#pragma once

#include "platform/win32.h"

typedef UINT (*AFX_THREADPROC)(LPVOID pParam);

class CWinThread
{
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    HANDLE m_hThread;
    DWORD m_nThreadID;
    // The object deletes itself, closing m_hThread, when its thread function has returned.
    // Whoever keeps a pointer to such an object must stop reading it once the thread may have
    // ended; to wait for the end, duplicate m_hThread first.
    BOOL m_bAutoDelete;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES);
    static DWORD WINAPI ThreadEntry(LPVOID pStartup);
};

// Starts pfnThreadProc(pParam) on a new thread and returns its self-deleting object, or null
// when the thread cannot be made. Returns only once the new thread has its message queue, so a
// message posted to m_nThreadID from then on is never refused. The result stays valid only as
// long as the thread function runs: keep it for a thread that ends when told to (a message loop
// that ends on WM_QUIT). CREATE_SUSPENDED is not supported (the start waits for the thread to
// run) and fails.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES pSecurity = nullptr);

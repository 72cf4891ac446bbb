#include "wave/WaveDevice.h"

#include "wave/WaveRoute.h"

#include <cstring>
#include <new>

CWaveDevice::CWaveDevice()
    : m_nDevices(0), m_nError(WDE_NONE), m_pRoute(nullptr), m_nReachers(1), m_pfnDelete(nullptr)
{
    // Nothing is ever sized from a format record that no Open has filled.
    std::memset(&m_wfx, 0, sizeof m_wfx);
}

CWaveDevice::~CWaveDevice() {}

void CWaveDevice::OnOpen() {}

void CWaveDevice::OnClose() {}

BOOL CWaveDevice::BeginOpen(BOOL bOpen, UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo)
{
    // A worker of an earlier open that did not end in time still reaches the buffers it was
    // left; the device opens again once it has ended.
    if (bOpen || m_nReachers.load() > 1) {
        m_nError = WDE_FAILED;
        return FALSE;
    }
    if (nDevice >= m_nDevices && nDevice != UINT(WAVE_MAPPER)) {
        m_nError = WDE_BADINDEX;
        return FALSE;
    }
    m_wfx.wFormatTag = WAVE_FORMAT_PCM;
    m_wfx.nChannels = bStereo ? 2 : 1;
    m_wfx.nSamplesPerSec = nRate;
    m_wfx.nBlockAlign = static_cast<WORD>(nBits / 8 * m_wfx.nChannels);
    m_wfx.nAvgBytesPerSec = nRate * m_wfx.nBlockAlign;
    m_wfx.wBitsPerSample = nBits;
    m_wfx.cbSize = 18;  // not looked at for PCM
    m_pRoute = CWaveRoute::Create(this);
    if (!m_pRoute) {
        m_nError = WDE_NOMEM;
        return FALSE;
    }
    return TRUE;
}

BOOL CWaveDevice::EndOpen(MMRESULT nResult)
{
    if (nResult == MMSYSERR_NOERROR) {
        m_pRoute->Hold();  // the driver's, until its close notice
        return TRUE;
    }
    switch (nResult) {
        case MMSYSERR_ALLOCATED:
            m_nError = WDE_ALLOCATED;
            break;
        case MMSYSERR_NOMEM:
            m_nError = WDE_NOMEM;
            break;
        case WAVERR_BADFORMAT:
            m_nError = WDE_BADFORMAT;
            break;
        default:
            m_nError = WDE_FAILED;
            break;
    }
    DropRoute();
    return FALSE;
}

void CWaveDevice::DropRoute()
{
    if (!m_pRoute)
        return;
    m_pRoute->Detach();
    m_pRoute->Release();
    m_pRoute = nullptr;
}

void CWaveDevice::StartWorker(CWinThread*& pThread, AFX_THREADPROC pfnThreadProc, LPVOID pDevice)
{
    m_csLock.Lock();
    if (!pThread) {
        ++m_nReachers;
        pThread = AfxBeginThread(pfnThreadProc, pDevice);
        if (!pThread)
            --m_nReachers;  // the device stays open without a worker
    }
    m_csLock.Unlock();
}

BOOL CWaveDevice::StopWorker(CWinThread*& pThread)
{
    BOOL bEnded = TRUE;
    m_csLock.Lock();
    if (pThread) {
        // The thread object deletes itself, closing its handle, when its thread ends: what the
        // wait needs is taken before the quit message.
        const DWORD nThreadId = pThread->m_nThreadID;
        HANDLE hThread = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), pThread->m_hThread, GetCurrentProcess(), &hThread,
                             SYNCHRONIZE, FALSE, 0))
            hThread = nullptr;
        pThread = nullptr;
        PostThreadMessageA(nThreadId, WM_QUIT, 0, 0);
        bEnded = hThread && WaitForSingleObject(hThread, WAVE_WORKER_TIMEOUT) == WAIT_OBJECT_0;
        if (hThread)
            CloseHandle(hThread);
    }
    m_csLock.Unlock();
    return bEnded;
}

void CWaveDevice::QuitWorker(CWinThread*& pThread)
{
    m_csLock.Lock();
    if (pThread) {
        PostThreadMessageA(pThread->m_nThreadID, WM_QUIT, 0, 0);
        pThread = nullptr;
    }
    m_csLock.Unlock();
}

void CWaveDevice::LetGo()
{
    // Whoever brings the count to 0 is the last to reach the device; the owner stored the
    // deleter before its own decrement.
    if (--m_nReachers == 0)
        m_pfnDelete(this);
}

void CWaveDevice::Dismiss(CWinThread*& pThread, void (*pfnDelete)(CWaveDevice*))
{
    QuitWorker(pThread);
    m_pfnDelete = pfnDelete;
    LetGo();
}

namespace {

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

void CWaveDevice::EndName(CHAR* pszName)
{
    if (std::memchr(pszName, 0, MAXPNAMELEN))
        return;
    size_t nEnd = 0;
    for (;;) {
        const size_t nNext = nEnd + (IsLeadByte(static_cast<unsigned char>(pszName[nEnd])) ? 2 : 1);
        if (nNext > MAXPNAMELEN - 1)
            break;
        nEnd = nNext;
    }
    pszName[nEnd] = 0;
}

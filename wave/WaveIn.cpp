#include "wave/WaveIn.h"

#include "wave/WaveBuffer.h"
#include "wave/WaveRoute.h"

#include <new>

CWaveIn::CWaveIn()
    : m_hWaveIn(nullptr), m_bRecording(0), m_pBuffer{}, m_pThread(nullptr), m_pCaps(nullptr)
{
    ListDevices(waveInGetNumDevs(), &waveInGetDevCapsA, m_pCaps);
}

// Normally the device is closed and nothing is left. What a close could not release is
// released here, which DeleteWaveDevice runs only once no worker reaches the device: buffers
// left to a worker that outlived its close, and, after a failed close, the buffers; those the
// driver still holds are left to the route until the driver lets go (CWaveBuffer::Release).
CWaveIn::~CWaveIn()
{
    if (m_pRoute)
        m_pRoute->Detach();
    for (CWaveBuffer*& pBuffer : m_pBuffer) {
        delete pBuffer;
        pBuffer = nullptr;
    }
    DropRoute();
    delete[] m_pCaps;
}

LPCSTR CWaveIn::GetDeviceName(UINT nIndex)
{
    return NameOf(m_pCaps, nIndex);
}

BOOL CWaveIn::Open(UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo, DWORD nFrames)
{
    if (!BeginOpen(m_hWaveIn != nullptr, nDevice, nRate, nBits, bStereo))
        return 0;
    // Buffers left to a worker that outlived the last close: it has ended since.
    for (CWaveBuffer*& pBuffer : m_pBuffer) {
        delete pBuffer;
        pBuffer = nullptr;
    }
    const MMRESULT nResult =
        waveInOpen(&m_hWaveIn, nDevice, &m_wfx, reinterpret_cast<DWORD_PTR>(&WaveInProc),
                   reinterpret_cast<DWORD_PTR>(m_pRoute), CALLBACK_FUNCTION);
    if (!EndOpen(nResult)) {
        m_hWaveIn = nullptr;
        return 0;
    }
    for (CWaveBuffer*& pBuffer : m_pBuffer) {
        pBuffer = new (std::nothrow) CWaveBuffer;
        if (pBuffer)
            pBuffer->PrepareIn(this, nFrames);
    }
    StartWorker(m_pThread, &WaveInThreadProc, this);
    OnOpen();
    return 1;
}

BOOL CWaveIn::Start()
{
    if (m_bRecording || !m_hWaveIn) {
        m_nError = WDE_FAILED;
        return 0;
    }
    m_bRecording = 1;
    // A buffer still queued by a start that failed is not queued twice (Wine would take it
    // twice), nor one whose memory could not be allocated.
    for (CWaveBuffer* pBuffer : m_pBuffer)
        if (pBuffer && pBuffer->GetHeader() && !pBuffer->IsQueued())
            waveInAddBuffer(m_hWaveIn, pBuffer->GetHeader(), sizeof(WAVEHDR));
    if (waveInStart(m_hWaveIn) == MMSYSERR_NOERROR)
        return 1;
    m_nError = WDE_FAILED;
    m_bRecording = 0;  // the buffers stay queued; Close takes them back
    return 0;
}

BOOL CWaveIn::Close()
{
    // 1. Stop recording; the flag first, so that the worker does not give back what the reset
    // returns.
    if (!m_bRecording) {
        m_nError = WDE_FAILED;
    } else {
        m_bRecording = 0;
        if (!m_hWaveIn || waveInReset(m_hWaveIn) != MMSYSERR_NOERROR) {
            m_nError = WDE_FAILED;
            m_bRecording = 1;
        }
    }

    // 2. End the worker: the notices posted before the quit message reach OnBuffer first.
    const BOOL bWorkerEnded = StopWorker(m_pThread);

    // The driver must hold no buffer when they are released, yet the worker may have given one
    // back between its test of m_bRecording and the reset, and a failed waveInStart or
    // waveInReset leaves them queued: reset again, now that no worker gives anything back.
    if (m_hWaveIn && waveInReset(m_hWaveIn) == MMSYSERR_NOERROR)
        m_bRecording = 0;

    // 3. Release the buffers, except those the driver still holds (the close below then fails
    // and the device stays open with them) and all of them while a worker that did not end
    // can still reach them (they go when it has ended: see DeleteWaveDevice).
    if (bWorkerEnded)
        for (CWaveBuffer*& pBuffer : m_pBuffer)
            if (pBuffer && !pBuffer->IsQueued()) {
                delete pBuffer;
                pBuffer = nullptr;
            }

    // 4. to 6.
    if (!m_hWaveIn)
        return 1;
    if (waveInClose(m_hWaveIn) != MMSYSERR_NOERROR) {
        m_nError = WDE_FAILED;
        return 0;
    }
    m_hWaveIn = nullptr;
    m_bRecording = 0;
    DropRoute();
    // OnClose releases what OnBuffer uses: not while a worker may still be inside OnBuffer.
    if (!bWorkerEnded) {
        m_nError = WDE_FAILED;
        return 1;
    }
    OnClose();
    return 1;
}

void CWaveIn::OnBuffer(CWaveBuffer*) {}

void CALLBACK CWaveIn::WaveInProc(HWAVEIN hWaveIn, UINT uMsg, DWORD_PTR dwInstance,
                                  DWORD_PTR dwParam1, DWORD_PTR)
{
    CWaveRoute* pRoute = reinterpret_cast<CWaveRoute*>(dwInstance);
    if (uMsg == WIM_CLOSE) {
        pRoute->Release();  // the driver's last call
        return;
    }
    if (uMsg != WIM_DATA)
        return;
    if (CWaveIn* pDevice = static_cast<CWaveIn*>(pRoute->Enter())) {
        pDevice->m_csLock.Lock();
        if (pDevice->m_pThread)
            PostThreadMessageA(pDevice->m_pThread->m_nThreadID, WM_WAVEBUFFER,
                               reinterpret_cast<WPARAM>(hWaveIn), static_cast<LPARAM>(dwParam1));
        pDevice->m_csLock.Unlock();
    }
    pRoute->Leave();
}

UINT CWaveIn::WaveInThreadProc(LPVOID p)
{
    CWaveIn* pDevice = static_cast<CWaveIn*>(p);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_WAVEBUFFER) {
            DispatchMessageA(&msg);
            continue;
        }
        WAVEHDR* pHeader = reinterpret_cast<WAVEHDR*>(msg.lParam);
        if (pHeader->dwBytesRecorded > 0)
            pDevice->OnBuffer(reinterpret_cast<CWaveBuffer*>(pHeader->dwUser));
        if (pDevice->m_bRecording)
            waveInAddBuffer(reinterpret_cast<HWAVEIN>(msg.wParam), pHeader, sizeof(WAVEHDR));
    }
    pDevice->LetGo();
    return 0;
}

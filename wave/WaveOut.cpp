#include "wave/WaveOut.h"

#include "wave/WaveBlock.h"
#include "wave/WaveBuffer.h"
#include "wave/WaveRoute.h"

CWaveOut::CWaveOut() : m_hWaveOut(nullptr), m_pThread(nullptr), m_pCaps(nullptr)
{
    ListDevices(waveOutGetNumDevs(), &waveOutGetDevCapsA, m_pCaps);
}

// After a failed close the driver may still call back: the route is detached first.
CWaveOut::~CWaveOut()
{
    DropRoute();
    delete[] m_pCaps;
}

LPCSTR CWaveOut::GetDeviceName(UINT nIndex)
{
    return NameOf(m_pCaps, nIndex);
}

BOOL CWaveOut::Open(UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo)
{
    if (!BeginOpen(m_hWaveOut != nullptr, nDevice, nRate, nBits, bStereo))
        return 0;
    const MMRESULT nResult =
        waveOutOpen(&m_hWaveOut, nDevice, &m_wfx, reinterpret_cast<DWORD_PTR>(&WaveOutProc),
                    reinterpret_cast<DWORD_PTR>(m_pRoute), CALLBACK_FUNCTION);
    if (!EndOpen(nResult)) {
        m_hWaveOut = nullptr;
        return 0;
    }
    StartWorker(m_pThread, &WaveOutThreadProc, this);
    OnOpen();
    return 1;
}

BOOL CWaveOut::Write(CWaveBuffer* pBuffer)
{
    if (!m_hWaveOut)
        return 0;
    // A buffer whose memory could not be allocated has no header to write.
    WAVEHDR* pHeader = pBuffer ? pBuffer->GetHeader() : nullptr;
    if (!pHeader) {
        m_nError = WDE_FAILED;
        return 0;
    }
    WaveBlock::Of(pHeader)->NoticeOwed(1);  // before the write: the notice may come at once
    if (waveOutWrite(m_hWaveOut, pHeader, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        WaveBlock::Of(pHeader)->NoticeOwed(-1);
        m_nError = WDE_FAILED;
        return 0;
    }
    return 1;
}

// Unlike the capture device: the platform device is reset and closed first, OnClose runs
// before the worker is stopped, and a failing reset or close returns before the worker is
// touched (DeleteWaveDevice then tells it to quit).
BOOL CWaveOut::Close()
{
    if (m_hWaveOut) {
        if (waveOutReset(m_hWaveOut) != MMSYSERR_NOERROR) {
            m_nError = WDE_FAILED;
            return 0;
        }
        if (waveOutClose(m_hWaveOut) != MMSYSERR_NOERROR) {
            m_nError = WDE_FAILED;
            return 0;
        }
        m_hWaveOut = nullptr;
        DropRoute();
        OnClose();
    }
    StopWorker(m_pThread);
    return 1;
}

void CWaveOut::OnBuffer(CWaveBuffer*) {}

void CALLBACK CWaveOut::WaveOutProc(HWAVEOUT, UINT uMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                    DWORD_PTR)
{
    CWaveRoute* pRoute = reinterpret_cast<CWaveRoute*>(dwInstance);
    if (uMsg == WOM_CLOSE) {
        pRoute->Release();  // the driver's last call
        return;
    }
    if (uMsg != WOM_DONE)
        return;
    WAVEHDR* pHeader = reinterpret_cast<WAVEHDR*>(dwParam1);
    if (CWaveOut* pDevice = static_cast<CWaveOut*>(pRoute->Enter())) {
        pDevice->m_csLock.Lock();
        if (pDevice->m_pThread)
            PostThreadMessageA(pDevice->m_pThread->m_nThreadID, WM_WAVEBUFFER,
                               static_cast<WPARAM>(pHeader->dwUser), 0);
        pDevice->m_csLock.Unlock();
    }
    pRoute->Leave();
    // The last touch of the header: from here on its owner may free it.
    WaveBlock::Of(pHeader)->NoticeOwed(-1);
}

UINT CWaveOut::WaveOutThreadProc(LPVOID p)
{
    CWaveOut* pDevice = static_cast<CWaveOut*>(p);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_WAVEBUFFER)
            pDevice->OnBuffer(reinterpret_cast<CWaveBuffer*>(msg.wParam));
        else
            DispatchMessageA(&msg);
    }
    pDevice->LetGo();
    return 0;
}

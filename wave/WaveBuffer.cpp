#include "wave/WaveBuffer.h"

#include "wave/WaveBlock.h"
#include "wave/WaveIn.h"
#include "wave/WaveOut.h"
#include "wave/WaveRoute.h"

CWaveBuffer::CWaveBuffer() : m_pHeader(nullptr), m_pInDevice(nullptr), m_pOutDevice(nullptr) {}

CWaveBuffer::~CWaveBuffer()
{
    Release();
}

BOOL CWaveBuffer::PrepareIn(CWaveIn* pDevice, DWORD nFrames)
{
    m_pInDevice = pDevice;
    const DWORD nBytes = (nFrames ? nFrames : 1024) * pDevice->m_wfx.nBlockAlign;
    m_pHeader = WaveBlock::Allocate(nBytes, reinterpret_cast<DWORD_PTR>(this));
    return m_pHeader &&
           waveInPrepareHeader(pDevice->m_hWaveIn, m_pHeader, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

BOOL CWaveBuffer::PrepareOut(CWaveOut* pDevice, DWORD nFrames)
{
    m_pOutDevice = pDevice;
    const DWORD nBytes = (nFrames ? nFrames : 1024) * pDevice->m_wfx.nBlockAlign;
    m_pHeader = WaveBlock::Allocate(nBytes, reinterpret_cast<DWORD_PTR>(this));
    return m_pHeader && waveOutPrepareHeader(pDevice->m_hWaveOut, m_pHeader, sizeof(WAVEHDR)) ==
                            MMSYSERR_NOERROR;
}

DWORD CWaveBuffer::NoticeDeadline()
{
    return GetTickCount() + WAVE_NOTICE_TIMEOUT;
}

void CWaveBuffer::Release(DWORD nNoticeDeadline)
{
    if (!m_pHeader)
        return;
    // The driver of an open device must not hold what is freed: a buffer still queued is taken
    // back by a reset of its device, which returns every buffer the device holds; then its
    // notice, which may come after the reset, is waited for until the deadline. The clock, not
    // a count of sleeps: a Sleep(1) lasts a tick of the system timer, 15.625 ms by default. The
    // difference is signed, as the tick count wraps.
    const HWAVEIN hIn = m_pInDevice ? m_pInDevice->m_hWaveIn : nullptr;
    const HWAVEOUT hOut = m_pOutDevice ? m_pOutDevice->m_hWaveOut : nullptr;
    if (hIn && IsQueued())
        waveInReset(hIn);
    else if (hOut && IsQueued())
        waveOutReset(hOut);
    while (!IsQueued() && IsNoticeOwed() && static_cast<LONG>(nNoticeDeadline - GetTickCount()) > 0)
        Sleep(1);
    if (!IsQueued() && !IsNoticeOwed()) {
        if (hIn)
            waveInUnprepareHeader(hIn, m_pHeader, sizeof(WAVEHDR));
        else if (hOut)
            waveOutUnprepareHeader(hOut, m_pHeader, sizeof(WAVEHDR));
        WaveBlock::Of(m_pHeader)->Free();
    } else if (CWaveRoute* pRoute = Route()) {
        pRoute->Park(m_pHeader);
    }
    m_pHeader = nullptr;
    m_pInDevice = nullptr;
    m_pOutDevice = nullptr;
}

CWaveRoute* CWaveBuffer::Route() const
{
    if (m_pInDevice)
        return m_pInDevice->m_pRoute;
    return m_pOutDevice ? m_pOutDevice->m_pRoute : nullptr;
}

BOOL CWaveBuffer::IsNoticeOwed() const
{
    return WaveBlock::Of(m_pHeader)->IsNoticeOwed();
}

void* CWaveBuffer::GetData() const
{
    return m_pHeader ? m_pHeader->lpData : nullptr;
}

DWORD CWaveBuffer::GetBytesRecorded() const
{
    return m_pHeader ? m_pHeader->dwBytesRecorded : 0;
}

BOOL CWaveBuffer::IsQueued() const
{
    return m_pHeader && (__atomic_load_n(&m_pHeader->dwFlags, __ATOMIC_ACQUIRE) & WHDR_INQUEUE);
}

void CWaveBuffer::ForgetDevice()
{
    m_pInDevice = nullptr;
    m_pOutDevice = nullptr;
}

#include "wave/WaveBuffer.h"

#include "wave/WaveBlock.h"
#include "wave/WaveDevice.h"
#include "wave/WaveRoute.h"

CWaveBuffer::CWaveBuffer() : m_pHeader(nullptr), m_pDevice(nullptr) {}

CWaveBuffer::~CWaveBuffer()
{
    Release();
}

BOOL CWaveBuffer::Prepare(CWaveDevice* pDevice, DWORD nFrames)
{
    m_pDevice = pDevice;
    const DWORD nBytes = (nFrames ? nFrames : 1024) * pDevice->m_wfx.nBlockAlign;
    m_pHeader = WaveBlock::Allocate(nBytes, reinterpret_cast<DWORD_PTR>(this));
    return m_pHeader && pDevice->PrepareHeader(m_pHeader) == MMSYSERR_NOERROR;
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
    const BOOL bOpen = m_pDevice && m_pDevice->IsOpen();
    if (bOpen && IsQueued())
        m_pDevice->ResetDevice();
    while (!IsQueued() && IsNoticeOwed() && static_cast<LONG>(nNoticeDeadline - GetTickCount()) > 0)
        Sleep(1);
    if (!IsQueued() && !IsNoticeOwed()) {
        if (bOpen)
            m_pDevice->UnprepareHeader(m_pHeader);
        WaveBlock::Of(m_pHeader)->Free();
    } else if (m_pDevice && m_pDevice->m_pRoute) {
        m_pDevice->m_pRoute->Park(m_pHeader);
    }
    m_pHeader = nullptr;
    m_pDevice = nullptr;
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
    m_pDevice = nullptr;
}

#include "wave/WaveBuffer.h"

#include "wave/WaveIn.h"
#include "wave/WaveOut.h"
#include "wave/WaveRoute.h"

namespace {

// The header block holds the WAVEHDR and, behind it, the count of the driver's notices still
// owed for it: the callback reads the header (dwUser) until its notice is done, so the memory
// stays until then.
LONG* NoticesOwed(WAVEHDR* pHeader)
{
    return reinterpret_cast<LONG*>(pHeader + 1);
}

// A locked moveable block, found again from its address.
void FreeLocked(const void* p)
{
    if (HGLOBAL h = GlobalHandle(p)) {
        GlobalUnlock(h);
        GlobalFree(h);
    }
}

}  // namespace

CWaveBuffer::CWaveBuffer() : m_pHeader(nullptr), m_pInDevice(nullptr), m_pOutDevice(nullptr) {}

CWaveBuffer::~CWaveBuffer()
{
    Release();
}

BOOL CWaveBuffer::Allocate(const WAVEFORMATEX& wfx, DWORD nFrames)
{
    const DWORD nBytes = (nFrames ? nFrames : 1024) * wfx.nBlockAlign;
    HGLOBAL hHeader = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WAVEHDR) + sizeof(LONG));
    WAVEHDR* pHeader = hHeader ? static_cast<WAVEHDR*>(GlobalLock(hHeader)) : nullptr;
    HGLOBAL hData = pHeader ? GlobalAlloc(GMEM_MOVEABLE, nBytes) : nullptr;
    LPSTR pData = hData ? static_cast<LPSTR>(GlobalLock(hData)) : nullptr;
    if (!pData) {
        if (hData)
            GlobalFree(hData);
        if (hHeader)
            GlobalFree(hHeader);
        return FALSE;
    }
    pHeader->lpData = pData;
    pHeader->dwBufferLength = nBytes;
    pHeader->dwUser = reinterpret_cast<DWORD_PTR>(this);
    m_pHeader = pHeader;
    return TRUE;
}

BOOL CWaveBuffer::PrepareIn(CWaveIn* pDevice, DWORD nFrames)
{
    m_pInDevice = pDevice;
    if (!Allocate(pDevice->m_wfx, nFrames))
        return 0;
    return waveInPrepareHeader(pDevice->m_hWaveIn, m_pHeader, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

BOOL CWaveBuffer::PrepareOut(CWaveOut* pDevice, DWORD nFrames)
{
    m_pOutDevice = pDevice;
    if (!Allocate(pDevice->m_wfx, nFrames))
        return 0;
    return waveOutPrepareHeader(pDevice->m_hWaveOut, m_pHeader, sizeof(WAVEHDR)) ==
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
        FreeMemory(m_pHeader);
    } else {
        CWaveDevice* pDevice = m_pInDevice ? static_cast<CWaveDevice*>(m_pInDevice) : m_pOutDevice;
        if (pDevice && pDevice->m_pRoute)
            pDevice->m_pRoute->Park(m_pHeader);
    }
    m_pHeader = nullptr;
    m_pInDevice = nullptr;
    m_pOutDevice = nullptr;
}

void CWaveBuffer::NoticeOwed(WAVEHDR* pHeader, LONG nCount)
{
    __atomic_add_fetch(NoticesOwed(pHeader), nCount, __ATOMIC_ACQ_REL);
}

BOOL CWaveBuffer::IsNoticeOwed() const
{
    return __atomic_load_n(NoticesOwed(m_pHeader), __ATOMIC_ACQUIRE) != 0;
}

void CWaveBuffer::FreeMemory(WAVEHDR* pHeader)
{
    FreeLocked(pHeader->lpData);
    FreeLocked(pHeader);
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

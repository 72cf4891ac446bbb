#include "wave/WaveBuffer.h"

#include "wave/WaveIn.h"
#include "wave/WaveOut.h"

namespace {

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
    HGLOBAL hHeader = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WAVEHDR));
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

void CWaveBuffer::Release()
{
    if (!m_pHeader)
        return;
    // The driver of an open device must not hold what is freed: a buffer still queued is taken
    // back by a reset of its device, which returns every buffer the device holds. Should even
    // that fail, the memory stays the driver's and is never freed.
    const HWAVEIN hIn = m_pInDevice ? m_pInDevice->m_hWaveIn : nullptr;
    const HWAVEOUT hOut = m_pOutDevice ? m_pOutDevice->m_hWaveOut : nullptr;
    const bool bHeld = (hIn || hOut) && IsQueued();
    if (bHeld && hIn)
        waveInReset(hIn);
    else if (bHeld)
        waveOutReset(hOut);
    if (!bHeld || !IsQueued()) {
        if (m_pInDevice)
            waveInUnprepareHeader(hIn, m_pHeader, sizeof(WAVEHDR));
        else if (m_pOutDevice)
            waveOutUnprepareHeader(hOut, m_pHeader, sizeof(WAVEHDR));
        FreeLocked(m_pHeader->lpData);
        FreeLocked(m_pHeader);
    }
    m_pHeader = nullptr;
    m_pInDevice = nullptr;
    m_pOutDevice = nullptr;
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

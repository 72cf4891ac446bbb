#include "echo/EchoWaveIn.h"

#include "panel/EchoPanel.h"
#include "wave/EchoWaveOut.h"
#include "wave/WaveBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

CEchoWaveIn::CEchoWaveIn(CEchoPanel* pPanel)
    : m_pOutBuf{},
      m_nOutBuf(0),
      m_pRing(nullptr),
      m_nRead(0),
      m_nWrite(0),
      m_nEchoLevel(0),
      m_pPanel(pPanel),
      m_pWaveOut(nullptr),
      m_bKeepsWaveOut(false)
{
}

// Normally OnClose has released the echo. It has not when the close failed or a worker
// outlived it; then this runs once nothing reaches the device any more (DeleteWaveDevice), with
// the playback device still there: the panel closes it only after this device, or this device
// has taken it (Close).
CEchoWaveIn::~CEchoWaveIn()
{
    ReleaseEcho();
    if (m_bKeepsWaveOut) {
        m_pWaveOut->Close();
        DeleteWaveDevice(m_pWaveOut);
    }
}

BOOL CEchoWaveIn::Close()
{
    const BOOL bClosed = CWaveIn::Close();
    // The wait ends because a worker inside the panel only takes the level lock, which nobody
    // holds for more than two stores, and writes two numbers.
    m_panelGate.Withdraw();
    if (IsReachedByWorker() && m_pWaveOut && !m_bKeepsWaveOut) {
        m_bKeepsWaveOut = true;
        m_pPanel->m_pWaveOut = nullptr;
    }
    return bClosed;
}

void CEchoWaveIn::OnOpen()
{
    m_pWaveOut = m_pPanel->m_pWaveOut;
    for (CWaveBuffer*& pBuffer : m_pOutBuf) {
        pBuffer = new (std::nothrow) CWaveBuffer;
        // A buffer that is not prepared only makes its writes fail.
        if (pBuffer && m_pWaveOut)
            pBuffer->PrepareOut(m_pWaveOut, m_pPanel->m_nBufferFrames);
    }
    m_nOutBuf = 0;
    m_nEchoLevel = m_pPanel->m_nEchoLevel;
    // A restart begins with silence in the echo. Whatever the delay, both positions stay
    // inside the ring.
    m_pRing = new (std::nothrow) int16_t[ECHO_RING_SAMPLES]();
    m_nRead = 0;
    m_nWrite = (m_wfx.nChannels * m_pPanel->m_nDelayFrames) & ECHO_RING_MASK;
}

void CEchoWaveIn::OnClose()
{
    ReleaseEcho();
}

void CEchoWaveIn::ReleaseEcho()
{
    // A buffer the playback device still holds is taken back first (CWaveBuffer::Release
    // resets the device): the release needs the playback device still open. Their late notices
    // are waited for until one deadline for all four.
    const DWORD nNoticeDeadline = CWaveBuffer::NoticeDeadline();
    for (CWaveBuffer*& pBuffer : m_pOutBuf) {
        if (pBuffer)
            pBuffer->Release(nNoticeDeadline);
        delete pBuffer;
        pBuffer = nullptr;
    }
    delete[] m_pRing;
    m_pRing = nullptr;
}

void CEchoWaveIn::OnBuffer(CWaveBuffer* pBuffer)
{
    CWaveBuffer* pOutput = m_pOutBuf[m_nOutBuf];
    m_nOutBuf = (m_nOutBuf + 1) & 3;
    // The rotation is strict, so a buffer comes round again four blocks later, by which time
    // the playback device has played it. If it has not, the block is lost rather than mixed
    // into sound being played; so is one for a buffer without memory or with no ring.
    if (!pOutput || !pOutput->GetData() || pOutput->IsQueued() || !m_pRing)
        return;
    const EchoLevels levels = EchoMix(pBuffer, pOutput);
    m_pWaveOut->Write(pOutput);

    if (m_panelGate.Enter())
        m_pPanel->SetLevels(levels.nLevel1, levels.nLevel2);
    m_panelGate.Leave();
}

EchoLevels CEchoWaveIn::EchoMix(const CWaveBuffer* pInput, CWaveBuffer* pOutput)
{
    const DWORD nCapacity = pOutput->GetHeader()->dwBufferLength;
    const DWORD nBytes = std::min(pInput->GetBytesRecorded(), nCapacity);
    auto* pOut = static_cast<int16_t*>(pOutput->GetData());
    const EchoLevels levels = ::EchoMix(static_cast<const int16_t*>(pInput->GetData()), nBytes,
                                        pOut, m_pRing, m_nRead, m_nWrite, m_nEchoLevel);
    // The whole buffer is played: behind a partial block (as at a stop) it is silence, not the
    // sound of four blocks ago or memory nobody wrote.
    const DWORD nMixed = nBytes & ~DWORD(1);
    std::memset(reinterpret_cast<char*>(pOut) + nMixed, 0, nCapacity - nMixed);
    return levels;
}

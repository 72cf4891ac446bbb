// The capture device that carries the echo: every captured block is mixed with the echo into
// the next of four playback buffers, written to the panel's playback device, and its two
// levels go to the panel's meters.
#pragma once

#include "echo/EchoMix.h"
#include "wave/EntryGate.h"
#include "wave/WaveIn.h"

class CEchoPanel;
class CEchoWaveOut;

class CEchoWaveIn final : public CWaveIn
{
public:
    explicit CEchoWaveIn(CEchoPanel* pPanel);
    ~CEchoWaveIn();

    // CWaveIn's close, which ends the worker; then the worker leaves the panel alone. A worker
    // that the close could not stop (it may still finish a block later) may still write to
    // the panel's playback device: the device takes that from the panel, and closes and frees
    // it once the worker has ended and the playback buffers are released.
    BOOL Close();

    // The echo of one block: the capture buffer's recorded bytes (no more than the playback
    // buffer holds) mixed into the playback buffer; the rest of that buffer is silence.
    EchoLevels EchoMix(const CWaveBuffer* pInput, CWaveBuffer* pOutput);

protected:
    // The user-interface thread, after the device opened: playback buffers and a silent ring.
    void OnOpen() override;
    // The user-interface thread, after the worker has ended and the device has closed.
    void OnClose() override;
    // The worker thread, for each captured block.
    void OnBuffer(CWaveBuffer* pBuffer) override;

private:
    void ReleaseEcho();

    CWaveBuffer* m_pOutBuf[4];  // owned from OnOpen to OnClose; prepared for m_pWaveOut
    int m_nOutBuf;              // the buffer of the next block
    int16_t* m_pRing;           // ECHO_RING_SAMPLES samples; owned from OnOpen to OnClose
    int m_nRead;
    int m_nWrite;
    int m_nEchoLevel;
    CEchoPanel* m_pPanel;  // not owned

    // The playback device the buffers are prepared for, taken from the panel at OnOpen, so
    // that a block always goes where its buffer belongs; owned once a worker outlived Close.
    CEchoWaveOut* m_pWaveOut;
    bool m_bKeepsWaveOut;
    CEntryGate m_panelGate;  // the worker's way to the panel
};

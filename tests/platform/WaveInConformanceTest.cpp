// The capture behaviours of the waveform audio service that the wave device layer relies on,
// against the simulation on the host and against winmm with a virtual PulseAudio source under
// Wine.
#include "platform/win32.h"
#include "tests/platform/WaveNotices.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/SoundDevices.h"

#include <vector>

namespace {

class WaveIn : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        UseVirtualSoundDevices();
        m_nDevice = FindWaveIn("Mic");
        if (SoundDeviceMissing(m_nDevice, "Mic"))
            GTEST_SKIP() << "no input device named Mic";
        const WAVEFORMATEX wfx = Pcm16(16000, 1);
        ASSERT_EQ(
            waveInOpen(&m_h, m_nDevice, &wfx, reinterpret_cast<DWORD_PTR>(&CWaveNotices::InProc),
                       reinterpret_cast<DWORD_PTR>(&m_notices), CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
        ASSERT_EQ(m_notices.Get().size(), 1u) << "the open notice arrives inside the open";
        EXPECT_EQ(m_notices.Get()[0].nMessage, UINT(WIM_OPEN));
    }
    void TearDown() override
    {
        if (m_h) {
            EXPECT_EQ(waveInReset(m_h), MMSYSERR_NOERROR);
            for (WAVEHDR& hdr : m_headers)
                EXPECT_EQ(waveInUnprepareHeader(m_h, &hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
            const size_t n = m_notices.Get().size();
            EXPECT_EQ(waveInClose(m_h), MMSYSERR_NOERROR);
            ASSERT_EQ(m_notices.Get().size(), n + 1) << "the close notice arrives inside the close";
            EXPECT_EQ(m_notices.Get()[n].nMessage, UINT(WIM_CLOSE));
        }
        PlatformTest::TearDown();
    }

    // Blocks of nFrames 16-bit mono frames, prepared and queued.
    void Queue(size_t nBuffers, DWORD nFrames)
    {
        m_data.assign(nBuffers, std::vector<char>(nFrames * 2, 0x55));
        m_headers.assign(nBuffers, WAVEHDR{});
        for (size_t i = 0; i < nBuffers; ++i) {
            m_headers[i].lpData = m_data[i].data();
            m_headers[i].dwBufferLength = nFrames * 2;
            ASSERT_EQ(waveInPrepareHeader(m_h, &m_headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
            ASSERT_EQ(waveInAddBuffer(m_h, &m_headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
            EXPECT_TRUE(m_headers[i].dwFlags & WHDR_INQUEUE);
        }
    }

    UINT m_nDevice = 0;
    HWAVEIN m_h = nullptr;
    CWaveNotices m_notices;
    std::vector<std::vector<char>> m_data;
    std::vector<WAVEHDR> m_headers;
};

TEST_F(WaveIn, StartedCaptureFillsTheQueuedBuffersInOrder)
{
    Queue(3, 800);  // 50 ms each
    ASSERT_EQ(waveInStart(m_h), MMSYSERR_NOERROR);
    ASSERT_TRUE(m_notices.WaitFor(4, 5000));
    const std::vector<CWaveNotices::Notice> v = m_notices.Get();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(v[1 + i].nMessage, UINT(WIM_DATA));
        EXPECT_EQ(v[1 + i].pHeader, &m_headers[i]);
        EXPECT_EQ(v[1 + i].nBytesRecorded, 1600u) << "a buffer is done when it is full";
        EXPECT_EQ(v[1 + i].nFlags & (WHDR_DONE | WHDR_INQUEUE), DWORD(WHDR_DONE))
            << "done set and in-queue cleared before the callback";
    }
}

TEST_F(WaveIn, QueuedHeadersAreRefusedAndAResetReturnsUntouchedBuffersEmpty)
{
    WAVEHDR unprepared{};
    std::vector<char> data(1600);
    unprepared.lpData = data.data();
    unprepared.dwBufferLength = 1600;
    EXPECT_EQ(waveInAddBuffer(m_h, &unprepared, sizeof(WAVEHDR)), UINT(WAVERR_UNPREPARED));

    Queue(3, 16000);  // a second each: the last two are untouched at the reset
    if (Difference(DifferenceKind::SimulationStricter,
                   "waveInAddBuffer of a header that is still queued",
                   "Windows documents no refusal, and Wine queues the header a second time; the "
                   "simulation refuses it with WAVERR_STILLPLAYING and calls it misuse")) {
        EXPECT_EQ(waveInAddBuffer(m_h, &m_headers[1], sizeof(WAVEHDR)), UINT(WAVERR_STILLPLAYING));
        EXPECT_EQ(ForgiveMisuse(), 1u) << "the refusal is misuse";
        // Queued once: the reset below returns three buffers, not four.
    }
    EXPECT_EQ(waveInUnprepareHeader(m_h, &m_headers[1], sizeof(WAVEHDR)),
              UINT(WAVERR_STILLPLAYING));
    ASSERT_EQ(waveInStart(m_h), MMSYSERR_NOERROR);
    Sleep(100);

    ASSERT_EQ(waveInReset(m_h), MMSYSERR_NOERROR);
    ASSERT_EQ(m_notices.Get().size(), 4u) << "every notice of the reset arrives inside it";
    const std::vector<CWaveNotices::Notice> v = m_notices.Get();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(v[1 + i].pHeader, &m_headers[i]);
        EXPECT_EQ(v[1 + i].nFlags & (WHDR_DONE | WHDR_INQUEUE), DWORD(WHDR_DONE));
    }
    EXPECT_LE(v[1].nBytesRecorded, 32000u);
    EXPECT_EQ(v[2].nBytesRecorded, 0u);
    EXPECT_EQ(v[3].nBytesRecorded, 0u);
}

TEST_F(WaveIn, ACloseWithBuffersStillQueued)
{
    Queue(2, 800);
    const UINT nClose = waveInClose(m_h);
    EXPECT_TRUE(Difference(DifferenceKind::WineFault, "waveInClose with buffers queued",
                           "Windows fails it with WAVERR_STILLPLAYING and the device stays "
                           "open, and so does the simulation; Wine closes the device and "
                           "never returns the buffers",
                           nClose, UINT(WAVERR_STILLPLAYING), UINT(MMSYSERR_NOERROR)));
    if (nClose == MMSYSERR_NOERROR) {
        m_h = nullptr;
        m_headers.clear();
    }
}

}  // namespace

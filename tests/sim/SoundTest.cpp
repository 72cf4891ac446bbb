// The simulated sound devices' own test API: what the wave tests build on.
#include "platform/sim/sim.h"
#include "platform/sim/sound.h"
#include "platform/win32.h"
#include "tests/support/PlatformTest.h"

#include <atomic>
#include <vector>

namespace {

class Sound : public PlatformTest
{
};

std::atomic<int> g_nNotices{0};

void CALLBACK CountNotices(HWAVEIN h, UINT nMessage, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    if (nMessage == WIM_DATA)
        ++g_nNotices;
    if (nMessage == WIM_OPEN) {  // on Windows this deadlocks
        EXPECT_EQ(waveInStart(h), UINT(MMSYSERR_ERROR));
    }
}

struct Headers
{
    std::vector<int16_t> data[2];
    WAVEHDR hdr[2] = {};
    explicit Headers(DWORD nFrames)
    {
        for (int i = 0; i < 2; ++i) {
            data[i].assign(nFrames, 0);
            hdr[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
            hdr[i].dwBufferLength = nFrames * 2;
        }
    }
};

TEST_F(Sound, CaptureLosesWhatItHearsWhileNothingIsQueuedAndNoticesCanArriveLate)
{
    g_nNotices = 0;
    sim::SetWaveInDevices({{"Mic", {}, [](uint64_t n) { return int16_t(n); }}});
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    HWAVEIN h = nullptr;
    ASSERT_EQ(
        waveInOpen(&h, 0, &wfx, reinterpret_cast<DWORD_PTR>(&CountNotices), 0, CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    ForgiveMisuse();  // the call from the open notice
    Headers b(80);    // 10 ms each
    for (WAVEHDR& hdr : b.hdr)
        ASSERT_EQ(waveInPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(h, &b.hdr[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInStart(h), MMSYSERR_NOERROR);
    sim::AdvanceTime(25);  // the first is done at 10 ms, then nothing is queued
    EXPECT_EQ(g_nNotices, 1);
    EXPECT_EQ(b.data[0][79], 79);
    ASSERT_EQ(waveInAddBuffer(h, &b.hdr[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    sim::AdvanceTime(10);
    EXPECT_EQ(sim::CaptureOverruns(0), 120u) << "15 ms";
    EXPECT_EQ(b.data[1][0], 200) << "the next buffer starts with the frame being captured";

    sim::SetWaveCallbackDelay(3000);
    ASSERT_EQ(waveInAddBuffer(h, &b.hdr[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(h, &b.hdr[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    sim::AdvanceTime(12);
    EXPECT_EQ(g_nNotices, 2) << "done at 45 ms, its notice is due at 48";
    sim::AdvanceTime(1);
    EXPECT_EQ(g_nNotices, 3);
    ASSERT_EQ(waveInReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(b.hdr[1].dwBytesRecorded, 2u * 24) << "3 ms of the second";
    EXPECT_EQ(g_nNotices, 3) << "the reset did not wait for its notice";
    EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(g_nNotices, 4) << "the close delivered it first";
}

TEST_F(Sound, PlaybackCountsAGapWhenItRanDryBetweenWritesAndFreeingAQueuedBufferIsMisuse)
{
    WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    HWAVEOUT h = nullptr;
    ASSERT_EQ(waveOutOpen(&h, 0, &wfx, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    Headers b(80);
    b.data[0].assign(80, 7);
    for (WAVEHDR& hdr : b.hdr)
        ASSERT_EQ(waveOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &b.hdr[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &b.hdr[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    sim::AdvanceTime(30);
    EXPECT_EQ(sim::PlaybackGaps(0), 0);
    ASSERT_EQ(waveOutWrite(h, &b.hdr[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    sim::AdvanceTime(10);
    EXPECT_EQ(sim::PlaybackGaps(0), 1);
    const std::vector<sim::PlayedSample> played = sim::PlayedSamples(0);
    ASSERT_EQ(played.size(), 160u + 80);
    EXPECT_EQ(played[160].nTimeUs, 30000u);
    EXPECT_EQ(played[161].nTimeUs, 30125u);
    EXPECT_EQ(played[160].nValue, 7);

    // Data in global memory, freed while its header waits in the queue behind the one playing.
    HGLOBAL hData = GlobalAlloc(GMEM_MOVEABLE, 160);
    b.hdr[1].lpData = static_cast<LPSTR>(GlobalLock(hData));
    ASSERT_EQ(waveOutWrite(h, &b.hdr[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &b.hdr[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(sim::QueuedHeaders(h).size(), 2u);
    GlobalFree(hData);
    EXPECT_EQ(sim::TakeMisuses().size(), 1u);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);  // returns it unread
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

}  // namespace

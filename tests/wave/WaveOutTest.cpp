// The playback device on simulated devices and the virtual clock.
#include "tests/support/PlatformTest.h"
#include "tests/wave/TestDevices.h"

#include <memory>

namespace {

class WaveOut : public PlatformTest
{
protected:
    // Buffers prepared for the device, each filled with its own index.
    void Prepare(CWaveOut& out, DWORD nFrames)
    {
        for (int i = 0; i < 3; ++i) {
            m_buffers[i] = std::make_unique<CWaveBuffer>();
            ASSERT_TRUE(m_buffers[i]->PrepareOut(&out, nFrames));
            auto* p = static_cast<int16_t*>(m_buffers[i]->GetData());
            std::fill(p, p + m_buffers[i]->GetHeader()->dwBufferLength / 2, int16_t(100 + i));
        }
    }
    // Before their device goes: a buffer is released against its device.
    void ReleaseBuffers()
    {
        for (auto& p : m_buffers)
            p.reset();
    }
    std::unique_ptr<CWaveBuffer> m_buffers[3];
};

TEST_F(WaveOut, PlaysWrittenBuffersInOrderAtItsRateAndHandsEachBackOnItsWorker)
{
    CTestWaveOut out;
    ASSERT_TRUE(out.Open(0, 48000, 16, TRUE));
    EXPECT_EQ(out.m_wfx.nBlockAlign, 4);
    EXPECT_EQ(out.m_wfx.nAvgBytesPerSec, 192000u);
    EXPECT_EQ(out.m_nOpens, 1);
    Prepare(out, 2400);
    EXPECT_EQ(m_buffers[0]->GetHeader()->dwBufferLength, 9600u) << "50 ms";
    sim::AdvanceTime(5);
    const uint64_t nStart = sim::NowUs();
    for (auto& p : m_buffers)
        ASSERT_TRUE(out.Write(p.get()));
    sim::AdvanceTime(149);
    EXPECT_EQ(out.m_returned.size(), 2u);
    sim::AdvanceTime(1);
    ASSERT_EQ(out.m_returned.size(), 3u);
    const std::vector<sim::PlayedSample> played = sim::PlayedSamples(0);
    ASSERT_EQ(played.size(), 3u * 2400 * 2);
    for (size_t i = 0; i < played.size(); ++i) {
        const size_t nFrame = i / 2;
        ASSERT_EQ(played[i].nValue, 100 + int(nFrame / 2400)) << i;
        ASSERT_EQ(played[i].nTimeUs, nStart + (nFrame * 1000000 + 47999) / 48000) << i;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(out.m_returned[i], m_buffers[i].get());
    EXPECT_EQ(sim::PlaybackGaps(0), 0);

    // Played dry, then written again: a gap.
    sim::AdvanceTime(20);
    ASSERT_TRUE(out.Write(m_buffers[0].get()));
    sim::AdvanceTime(50);
    EXPECT_EQ(sim::PlaybackGaps(0), 1);
    EXPECT_TRUE(out.Close());
    ReleaseBuffers();
}

TEST_F(WaveOut, WriteOnAClosedDeviceAndAWriteOfAQueuedBuffer)
{
    CTestWaveOut out;
    ASSERT_TRUE(out.Open(0, 8000, 16, FALSE));
    Prepare(out, 800);
    ASSERT_TRUE(out.Close());

    out.m_nError = WDE_BADINDEX;
    EXPECT_FALSE(out.Write(m_buffers[0].get()));
    EXPECT_EQ(out.m_nError, WDE_BADINDEX) << "a write on a closed device leaves the error";
    ReleaseBuffers();

    CTestWaveOut other;
    ASSERT_TRUE(other.Open(0, 8000, 16, FALSE));
    EXPECT_FALSE(other.Open(0, 8000, 16, FALSE));
    EXPECT_EQ(other.m_nError, WDE_FAILED);
    EXPECT_NE(other.m_hWaveOut, nullptr) << "a second open leaves the device open";
    CWaveBuffer buffer;
    ASSERT_TRUE(buffer.PrepareOut(&other, 800));
    ASSERT_TRUE(other.Write(&buffer));
    other.m_nError = WDE_NONE;
    EXPECT_FALSE(other.Write(&buffer));
    EXPECT_EQ(other.m_nError, WDE_FAILED);
    EXPECT_TRUE(other.Close());
    ASSERT_EQ(other.m_returned.size(), 1u) << "the reset in Close handed it back";
    EXPECT_EQ(other.m_returned[0], &buffer);
}

// The playback device's Close differs from the capture device's on purpose.
TEST_F(WaveOut, CloseRunsOnCloseBeforeStoppingTheWorkerAndLeavesTheErrorOfANeverOpenedDevice)
{
    CTestWaveOut never;
    never.m_nError = WDE_NODEVICE;
    EXPECT_TRUE(never.Close());
    EXPECT_EQ(never.m_nError, WDE_NODEVICE);
    EXPECT_EQ(never.m_nCloses, 0);

    CTestWaveOut out;
    ASSERT_TRUE(out.Open(0, 8000, 16, FALSE));
    Prepare(out, 800);
    for (auto& p : m_buffers)
        ASSERT_TRUE(out.Write(p.get()));
    sim::AdvanceTime(150);
    EXPECT_TRUE(out.Close());
    EXPECT_EQ(out.m_nCloses, 1);
    EXPECT_TRUE(out.m_bWorkerAliveAtClose);
    ASSERT_EQ(out.m_returned.size(), 3u) << "one played, two returned by the reset";
    EXPECT_EQ(out.m_pThread, nullptr);
    EXPECT_EQ(sim::PlayedSamples(0).size(), 800u + 400) << "the first, and half the second";
    ReleaseBuffers();
}

TEST_F(WaveOut, AFailingResetOrCloseReturnsBeforeTheWorkerIsTouched)
{
    for (const char* pszCall : {"waveOutReset", "waveOutClose"}) {
        SCOPED_TRACE(pszCall);
        auto* pOut = new CTestWaveOut;
        ASSERT_TRUE(pOut->Open(0, 8000, 16, FALSE));
        Prepare(*pOut, 800);
        ASSERT_TRUE(pOut->Write(m_buffers[0].get()));
        sim::InjectFault(pszCall, MMSYSERR_ERROR);
        EXPECT_FALSE(pOut->Close());
        EXPECT_EQ(pOut->m_nError, WDE_FAILED);
        EXPECT_NE(pOut->m_pThread, nullptr) << "the worker runs on";
        EXPECT_EQ(pOut->m_nCloses, 0);
        const HWAVEOUT h = pOut->m_hWaveOut;
        ASSERT_NE(h, nullptr);
        sim::AdvanceTime(100);
        EXPECT_EQ(pOut->m_returned.size(), 1u) << "and hands back what is played";

        // The owner deletes it all the same; the test then plays the driver letting go.
        DeleteWaveDevice(pOut);
        sim::Settle();
        EXPECT_FALSE(CLiveDevices::Has(pOut));
        for (auto& p : m_buffers)
            p->ForgetDevice();  // their device is gone
        EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
        EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
        ReleaseBuffers();
    }
}

}  // namespace

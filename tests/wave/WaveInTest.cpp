// The capture device on simulated devices and the virtual clock.
#include "tests/support/PlatformTest.h"
#include "tests/wave/TestDevices.h"

namespace {

class WaveIn : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        sim::SetWaveInDevices({{"Mic", {}, Ramp}, {"Line", {}, {}}});
    }
};

TEST_F(WaveIn, DeliversTheSourceInOrderInBlocksOfTheOpenedSizeAtTheRightTimes)
{
    CTestWaveIn in;
    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 400));  // 50 ms blocks
    EXPECT_EQ(in.m_nOpens, 1);
    sim::AdvanceTime(10);
    const uint64_t nStart = sim::NowUs();
    ASSERT_TRUE(in.Start());
    sim::AdvanceTime(1000);

    ASSERT_EQ(in.m_blocks.size(), 20u);
    std::vector<int16_t> all;
    for (size_t k = 0; k < in.m_blocks.size(); ++k) {
        const Block& b = in.m_blocks[k];
        EXPECT_EQ(b.nBytes, 800u);
        EXPECT_EQ(b.pBuffer, in.m_pBuffer[k % 3]) << "three buffers in rotation";
        EXPECT_EQ(b.nTimeUs, nStart + (k + 1) * 50000) << "block " << k;
        all.insert(all.end(), b.samples.begin(), b.samples.end());
    }
    for (size_t i = 0; i < all.size(); ++i)
        ASSERT_EQ(all[i], Ramp(i)) << "sample " << i;
    EXPECT_EQ(sim::CaptureOverruns(0), 0u) << "the worker gives every buffer back in time";
    EXPECT_TRUE(in.Close());
}

TEST_F(WaveIn, ACloseWhileRecordingHandsThePartialBufferToOnBufferOnceAndQueuesNothing)
{
    CTestWaveIn in;
    ASSERT_TRUE(in.Open(0, 8000, 16, TRUE, 400));
    ASSERT_TRUE(in.Start());
    sim::AdvanceTime(75);  // one full block, half of the next
    ASSERT_EQ(in.m_blocks.size(), 1u);
    const HWAVEIN h = in.m_hWaveIn;
    ASSERT_EQ(sim::QueuedHeaders(h).size(), 3u);

    EXPECT_TRUE(in.Close());
    ASSERT_EQ(in.m_blocks.size(), 2u) << "the empty buffers the reset returned are not handed on";
    EXPECT_EQ(in.m_blocks[1].nBytes, 200u * 4) << "200 stereo frames captured in 25 ms";
    EXPECT_EQ(in.m_blocks[1].samples.front(), Ramp(800));
    EXPECT_EQ(in.m_nCloses, 1);
    EXPECT_TRUE(in.m_bWorkerGoneAtClose) << "OnClose runs after the worker has ended";
    EXPECT_EQ(in.m_hWaveIn, nullptr);
    for (CWaveBuffer* p : in.m_pBuffer)
        EXPECT_EQ(p, nullptr);
    sim::Settle();
    EXPECT_EQ(sim::Live().nThreads, 0) << "no worker, no driver thread";

    // A closed device opens again, with new buffers and a new worker.
    ASSERT_TRUE(in.Open(1, 8000, 16, FALSE, 0));
    EXPECT_EQ(in.m_pBuffer[0]->GetHeader()->dwBufferLength, 2048u) << "0 frames means 1024";
    ASSERT_TRUE(in.Start());
    sim::AdvanceTime(3 * 128);
    EXPECT_EQ(in.m_blocks.size(), 2u + 3);
    EXPECT_TRUE(in.Close());
    EXPECT_EQ(in.m_nCloses, 2);
}

TEST_F(WaveIn, StartIsRefusedWhileRecordingAndOnAClosedDevice)
{
    CTestWaveIn in;
    EXPECT_FALSE(in.Start());
    EXPECT_EQ(in.m_nError, WDE_FAILED);
    EXPECT_FALSE(in.m_bRecording);

    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_TRUE(sim::QueuedHeaders(in.m_hWaveIn).empty()) << "nothing is queued before Start";
    ASSERT_TRUE(in.Start());
    in.m_nError = WDE_NONE;
    EXPECT_FALSE(in.Start());
    EXPECT_EQ(in.m_nError, WDE_FAILED);
    sim::AdvanceTime(100);
    EXPECT_EQ(in.m_blocks.size(), 10u) << "recording went on undisturbed";
    EXPECT_TRUE(in.Close());
}

// The capture device's Close differs from the playback device's on purpose.
TEST_F(WaveIn, CloseOfADeviceNeverOpenedOrNeverStarted)
{
    CTestWaveIn never;
    EXPECT_TRUE(never.Close());
    EXPECT_EQ(never.m_nError, WDE_FAILED);
    EXPECT_EQ(never.m_nCloses, 0);

    CTestWaveIn failed;
    sim::InjectFault("waveInOpen", MMSYSERR_ALLOCATED);
    EXPECT_FALSE(failed.Open(0, 8000, 16, FALSE, 80));
    EXPECT_TRUE(failed.Close());
    EXPECT_EQ(failed.m_nCloses, 0);

    CTestWaveIn idle;
    ASSERT_TRUE(idle.Open(0, 8000, 16, FALSE, 80));
    EXPECT_TRUE(idle.Close());
    EXPECT_EQ(idle.m_nError, WDE_FAILED);
    EXPECT_EQ(idle.m_nCloses, 1);
    EXPECT_EQ(idle.m_hWaveIn, nullptr);
}

TEST_F(WaveIn, WithoutAWorkerTheDeviceStillOpensStartsAndCloses)
{
    CTestWaveIn in;
    sim::InjectFault("CreateThread", 0);
    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_pThread, nullptr);
    ASSERT_TRUE(in.Start());
    sim::AdvanceTime(100);
    EXPECT_TRUE(in.m_blocks.empty());
    EXPECT_TRUE(sim::QueuedHeaders(in.m_hWaveIn).empty()) << "the three buffers are full";
    EXPECT_TRUE(in.Close());
    EXPECT_EQ(in.m_nCloses, 1);
}

}  // namespace

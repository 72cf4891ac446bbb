// What must never happen however the driver, the worker and the owner interleave: a buffer freed
// while the driver holds it, a worker or a callback reaching a deleted device. Each test
// provokes its interleaving on the virtual clock; the fixture fails it on any misuse (freeing a
// queued header is one) or anything left alive, and the hooks fail it when they run on a
// deleted device (AddressSanitizer sees the rest).
#include "tests/support/PlatformTest.h"
#include "tests/wave/TestDevices.h"

#include <memory>

namespace {

class WaveHazard : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        sim::SetWaveInDevices({{"Mic", {}, Ramp}});
    }
};

// The worker tests m_bRecording, then gives its buffer back; Close may clear the flag and
// reset in between, and the buffer is queued again after the reset.
TEST_F(WaveHazard, ABufferGivenBackBetweenTheFlagTestAndTheResetIsTakenBackBeforeItIsFreed)
{
    CTestWaveIn in;
    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 400));
    ASSERT_TRUE(in.Start());
    sim::Gate gate;
    sim::HoldWaveCall("waveInAddBuffer", gate);  // the worker's first give-back
    sim::AdvanceTime(50);
    ASSERT_EQ(gate.Waiting(), 1) << "the worker is between its flag test and waveInAddBuffer";

    const HANDLE hOpener = OpenGateLater(gate, 20);  // while Close waits for the worker
    EXPECT_TRUE(in.Close());
    EXPECT_EQ(in.m_nCloses, 1);
    EXPECT_EQ(in.m_blocks.size(), 1u);
    WaitForSingleObject(hOpener, INFINITE);
    CloseHandle(hOpener);
}

TEST_F(WaveHazard, BuffersLeftQueuedByAFailedStartAreNeitherQueuedTwiceNorFreedUnderTheDriver)
{
    CTestWaveIn again;
    ASSERT_TRUE(again.Open(0, 8000, 16, FALSE, 400));
    sim::InjectFault("waveInStart", MMSYSERR_NOMEM);
    EXPECT_FALSE(again.Start());
    EXPECT_FALSE(again.m_bRecording);
    EXPECT_EQ(sim::QueuedHeaders(again.m_hWaveIn).size(), 3u);
    ASSERT_TRUE(again.Start()) << "a second start queues nothing twice";
    sim::AdvanceTime(100);
    EXPECT_EQ(again.m_blocks.size(), 2u);
    EXPECT_TRUE(again.Close());

    CTestWaveIn closed;
    ASSERT_TRUE(closed.Open(0, 8000, 16, FALSE, 400));
    sim::InjectFault("waveInStart", MMSYSERR_ERROR);
    EXPECT_FALSE(closed.Start());
    EXPECT_TRUE(closed.Close()) << "not recording, yet the queued buffers are taken back";
    EXPECT_EQ(closed.m_nCloses, 1);
}

TEST_F(WaveHazard, BuffersLeftQueuedByAFailedResetAreNeverFreedUnderTheDriver)
{
    // Once: the second reset takes them back, and the close goes on.
    CTestWaveIn once;
    ASSERT_TRUE(once.Open(0, 8000, 16, FALSE, 400));
    ASSERT_TRUE(once.Start());
    sim::AdvanceTime(75);
    sim::InjectFault("waveInReset", MMSYSERR_ERROR);
    EXPECT_TRUE(once.Close());
    EXPECT_EQ(once.m_nError, WDE_FAILED);
    EXPECT_EQ(once.m_nCloses, 1);

    // For good: the device stays open with the buffers it holds, the owner deletes the object,
    // and the buffers go once the driver has let go of them.
    auto* pStuck = new CTestWaveIn;
    ASSERT_TRUE(pStuck->Open(0, 8000, 16, FALSE, 400));
    ASSERT_TRUE(pStuck->Start());
    sim::AdvanceTime(75);
    sim::InjectFault("waveInReset", MMSYSERR_ERROR, 0, 2);
    EXPECT_FALSE(pStuck->Close()) << "the driver still holds buffers";
    const HWAVEIN h = pStuck->m_hWaveIn;
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(sim::QueuedHeaders(h).empty());
    DeleteWaveDevice(pStuck);
    EXPECT_FALSE(CLiveDevices::Has(pStuck));
    sim::AdvanceTime(200);  // still capturing, into buffers nobody gives back
    EXPECT_TRUE(sim::QueuedHeaders(h).empty());
    EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
}

// A worker that is still inside OnBuffer 10,000 ms after the quit message: Close gives up on
// it, and the owner deletes the device, yet the worker goes on with the device and its buffers.
TEST_F(WaveHazard, ACaptureWorkerThatDoesNotEndKeepsWhatItReachesUntilItEnds)
{
    std::vector<Block> log;
    sim::Gate gate;
    auto* pIn = new CTestWaveIn;
    pIn->m_pLog = &log;
    pIn->m_pGate = &gate;
    ASSERT_TRUE(pIn->Open(0, 8000, 16, FALSE, 400));
    ASSERT_TRUE(pIn->Start());
    sim::AdvanceTime(75);
    ASSERT_EQ(gate.Waiting(), 1) << "the worker waits inside OnBuffer";

    const uint64_t nBefore = sim::NowUs();
    EXPECT_TRUE(pIn->Close());
    EXPECT_EQ(sim::NowUs() - nBefore, 10000u * 1000) << "the close waited its 10,000 ms";
    EXPECT_EQ(pIn->m_hWaveIn, nullptr) << "the platform device is closed";
    EXPECT_EQ(pIn->m_nCloses, 0) << "no OnClose while the worker may be inside OnBuffer";
    EXPECT_EQ(pIn->m_nError, WDE_FAILED);
    EXPECT_FALSE(pIn->Open(0, 8000, 16, FALSE, 400)) << "not again before that worker has ended";

    DeleteWaveDevice(pIn);
    sim::Settle();
    EXPECT_TRUE(CLiveDevices::Has(pIn)) << "its worker still reaches it";
    gate.Open();
    sim::Settle();
    EXPECT_FALSE(CLiveDevices::Has(pIn)) << "deleted when its worker ended";
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].nBytes, 800u);
    EXPECT_EQ(log[1].nBytes, 400u) << "the partial buffer of the reset, still alive";
    EXPECT_EQ(log[1].samples.front(), Ramp(400));
}

TEST_F(WaveHazard, APlaybackWorkerThatDoesNotEndKeepsItsDeviceUntilItEnds)
{
    sim::Gate gate;
    auto* pOut = new CTestWaveOut;
    pOut->m_pGate = &gate;
    ASSERT_TRUE(pOut->Open(0, 8000, 16, FALSE));
    auto pBuffer = std::make_unique<CWaveBuffer>();
    ASSERT_TRUE(pBuffer->PrepareOut(pOut, 400));
    ASSERT_TRUE(pOut->Write(pBuffer.get()));
    sim::AdvanceTime(50);
    ASSERT_EQ(gate.Waiting(), 1);

    EXPECT_TRUE(pOut->Close());
    EXPECT_EQ(pOut->m_nCloses, 1);
    EXPECT_FALSE(pOut->Open(0, 8000, 16, FALSE));
    pBuffer.reset();  // its owner lets go of it; OnBuffer only holds the pointer
    gate.Open();
    sim::Settle();
    ASSERT_TRUE(pOut->Open(0, 8000, 16, FALSE)) << "once that worker has ended";
    EXPECT_TRUE(pOut->Close());
    DeleteWaveDevice(pOut);
    EXPECT_FALSE(CLiveDevices::Has(pOut));
}

// The echo releases its playback buffers while the playback device is open, and one may
// still be playing.
TEST_F(WaveHazard, APlaybackBufferReleasedWhileTheDeviceHoldsItIsTakenBackFirst)
{
    CTestWaveOut out;
    ASSERT_TRUE(out.Open(0, 8000, 16, FALSE));
    auto pPlaying = std::make_unique<CWaveBuffer>(), pNext = std::make_unique<CWaveBuffer>();
    for (CWaveBuffer* p : {pPlaying.get(), pNext.get()}) {
        ASSERT_TRUE(p->PrepareOut(&out, 400));
        ASSERT_TRUE(out.Write(p));
    }
    sim::AdvanceTime(10);
    pPlaying.reset();
    sim::Settle();
    EXPECT_EQ(out.m_returned.size(), 2u) << "the reset handed back all the device held";
    EXPECT_FALSE(pNext->IsQueued());
    ASSERT_TRUE(out.Write(pNext.get())) << "and the device plays on";
    sim::AdvanceTime(50);
    EXPECT_EQ(out.m_returned.size(), 3u);
    pNext.reset();
    EXPECT_TRUE(out.Close());
}

// After a close that failed the device is still open, and its owner deletes the object all
// the same: late notices and the close notice must find nothing.
TEST_F(WaveHazard, AfterAFailedCaptureCloseNoCallbackReachesTheDeletedDevice)
{
    sim::SetWaveCallbackDelay(5000);
    auto* pIn = new CTestWaveIn;
    ASSERT_TRUE(pIn->Open(0, 8000, 16, FALSE, 400));
    ASSERT_TRUE(pIn->Start());
    sim::AdvanceTime(75);
    EXPECT_EQ(pIn->m_blocks.size(), 1u);
    sim::InjectFault("waveInClose", MMSYSERR_ERROR);
    EXPECT_FALSE(pIn->Close());
    const HWAVEIN h = pIn->m_hWaveIn;
    ASSERT_NE(h, nullptr);
    DeleteWaveDevice(pIn);
    EXPECT_FALSE(CLiveDevices::Has(pIn));

    sim::AdvanceTime(10);  // the notices of the reset arrive now
    EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveHazard, AfterAFailedPlaybackResetOrCloseNeitherCallbackNorWorkerReachesTheDevice)
{
    for (const char* pszCall : {"waveOutReset", "waveOutClose"}) {
        SCOPED_TRACE(pszCall);
        sim::SetWaveCallbackDelay(5000);
        auto* pOut = new CTestWaveOut;
        ASSERT_TRUE(pOut->Open(0, 8000, 16, FALSE));
        std::unique_ptr<CWaveBuffer> buffers[3];
        for (auto& p : buffers) {
            p = std::make_unique<CWaveBuffer>();
            ASSERT_TRUE(p->PrepareOut(pOut, 400));
            ASSERT_TRUE(pOut->Write(p.get()));
        }
        sim::AdvanceTime(20);
        sim::InjectFault(pszCall, MMSYSERR_ERROR);
        EXPECT_FALSE(pOut->Close());
        ASSERT_NE(pOut->m_pThread, nullptr);
        const HWAVEOUT h = pOut->m_hWaveOut;
        DeleteWaveDevice(pOut);
        sim::Settle();
        EXPECT_FALSE(CLiveDevices::Has(pOut)) << "its worker was told to quit, and ended";
        EXPECT_EQ(sim::Live().nThreads, 1) << "only the driver's thread is left";
        for (auto& p : buffers)
            p->ForgetDevice();

        sim::AdvanceTime(200);  // what is still queued plays and comes back, late
        EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
        EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    }
}

}  // namespace

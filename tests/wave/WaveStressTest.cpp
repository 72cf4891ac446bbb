// Thousands of open, start and close cycles: a capture device feeding a playback device as the
// echo does, and capture alone with the driver's notices racing the close; now and then a
// platform reset or close fails and the owner deletes the device all the same. The fixture
// checks that nothing is left and nothing was misused; the sanitizer builds run it too.
#include "tests/support/PlatformTest.h"
#include "tests/wave/TestDevices.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// Copies each captured block into the next of four playback buffers and writes it.
class CLoopWaveIn final : public CWaveIn
{
public:
    CLoopWaveIn(CWaveOut* pOut, DWORD nFrames) : m_pOut(pOut), m_nFrames(nFrames) {}

    void OnOpen() override
    {
        for (CWaveBuffer*& p : m_out) {
            p = new CWaveBuffer;
            p->PrepareOut(m_pOut, m_nFrames);
        }
    }
    void OnBuffer(CWaveBuffer* pBuffer) override
    {
        CWaveBuffer* pOut = m_out[m_nNext];
        m_nNext = (m_nNext + 1) & 3;
        std::memcpy(pOut->GetData(), pBuffer->GetData(),
                    std::min(pBuffer->GetBytesRecorded(), pOut->GetHeader()->dwBufferLength));
        m_pOut->Write(pOut);
        ++m_nBlocks;
    }
    // While the playback device is still there (or, bForget, after it was deleted).
    void ReleaseOut(bool bForget)
    {
        for (CWaveBuffer*& p : m_out) {
            if (bForget)
                p->ForgetDevice();
            delete p;
            p = nullptr;
        }
    }

    using CWaveIn::m_hWaveIn;
    int m_nBlocks = 0;

private:
    CWaveOut* m_pOut;
    DWORD m_nFrames;
    CWaveBuffer* m_out[4] = {};
    int m_nNext = 0;
};

class WaveStress : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        sim::SetWaveInDevices({{"Mic", {}, Ramp}});
    }
    // A repeatable sequence of numbers below n.
    uint32_t Next(uint32_t n)
    {
        m_nSeed = m_nSeed * 1103515245u + 12345u;
        return (m_nSeed >> 8) % n;
    }
    uint32_t m_nSeed = 1;
};

constexpr int CYCLES = 2000;

TEST_F(WaveStress, CaptureFeedingPlaybackOpensStartsAndClosesThousandsOfTimes)
{
    const auto start = std::chrono::steady_clock::now();
    int nBlocks = 0;
    for (int i = 0; i < CYCLES; ++i) {
        const DWORD nRate = i % 3 ? 8000 : 48000;
        const BOOL bStereo = i & 1;
        const DWORD nFrames = nRate / 100 * (1 + Next(5));  // 10 to 50 ms
        auto* pOut = new CTestWaveOut;
        ASSERT_TRUE(pOut->Open(0, nRate, 16, bStereo));
        auto* pIn = new CLoopWaveIn(pOut, nFrames);
        ASSERT_TRUE(pIn->Open(0, nRate, 16, bStereo, nFrames));
        pIn->Start();
        sim::AdvanceTimeUs(Next(4 * nFrames * 1000000 / nRate));

        const bool bInCloseFails = i % 13 == 5, bOutResetFails = i % 17 == 3;
        if (bInCloseFails)
            sim::InjectFault("waveInClose", MMSYSERR_ERROR);
        if (bOutResetFails)
            sim::InjectFault("waveOutReset", MMSYSERR_ERROR);
        EXPECT_EQ(pIn->Close(), bInCloseFails ? 0 : 1);
        const HWAVEIN hIn = pIn->m_hWaveIn;
        EXPECT_EQ(pOut->Close(), bOutResetFails ? 0 : 1);
        const HWAVEOUT hOut = pOut->m_hWaveOut;
        nBlocks += pIn->m_nBlocks;
        if (!hOut) {
            pIn->ReleaseOut(false);
            DeleteWaveDevice(pOut);
        } else {
            // Deleted while the driver still holds playback buffers; it lets go of them later.
            DeleteWaveDevice(pOut);
            waveOutReset(hOut);
            waveOutClose(hOut);
            pIn->ReleaseOut(true);
        }
        DeleteWaveDevice(pIn);
        if (hIn)
            waveInClose(hIn);
    }
    sim::Settle();
    const double nSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ figures  ] %d capture+playback cycles, %d blocks, %.2f s (%.0f us a cycle)\n",
                CYCLES, nBlocks, nSeconds, nSeconds * 1e6 / CYCLES);
    EXPECT_GT(nBlocks, CYCLES / 2);
}

TEST_F(WaveStress, CaptureClosesWhileTheDriversNoticesRaceTheClose)
{
    sim::SetWaveCallbackDelay(0);  // notices on the driver's thread, not waited for
    const auto start = std::chrono::steady_clock::now();
    size_t nBlocks = 0;
    for (int i = 0; i < CYCLES; ++i) {
        const DWORD nFrames = 40 * (1 + Next(4));
        auto* pIn = new CTestWaveIn;
        ASSERT_TRUE(pIn->Open(0, 8000, 16, i & 1, nFrames));
        pIn->Start();
        sim::AdvanceTimeUs(Next(4 * nFrames * 125));
        const bool bCloseFails = i % 7 == 2, bResetFails = i % 11 == 4;
        if (bCloseFails)
            sim::InjectFault("waveInClose", MMSYSERR_ERROR);
        if (bResetFails)
            sim::InjectFault("waveInReset", MMSYSERR_ERROR);
        pIn->Close();
        const HWAVEIN h = pIn->m_hWaveIn;
        nBlocks += pIn->m_blocks.size();
        for (const Block& b : pIn->m_blocks)
            EXPECT_GT(b.nBytes, 0u);
        DeleteWaveDevice(pIn);
        if (h) {
            waveInReset(h);
            waveInClose(h);
        }
    }
    sim::Settle();
    const double nSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ figures  ] %d racing capture cycles, %zu blocks, %.2f s (%.0f us a cycle)\n",
                CYCLES, nBlocks, nSeconds, nSeconds * 1e6 / CYCLES);
}

}  // namespace

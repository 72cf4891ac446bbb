// The echo capture device where the sound could go wrong: a playback buffer the output still
// holds, a block shorter or longer than its buffer, a close that fails, and a worker that
// hangs in the driver past the close.
#include "echo/EchoWaveIn.h"
#include "tests/panel/PanelFixture.h"
#include "wave/EchoWaveOut.h"
#include "tests/wave/TestDevices.h"
#include "wave/WaveBuffer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {

using EchoDevice = PanelTest;

// Samples that say when they were captured: sample n is n (the run below stays under 32768).
int16_t Clock(uint64_t n)
{
    return static_cast<int16_t>(n & 0x7FFF);
}

// The output plays half as fast as capture fills its blocks, so that each playback buffer is
// still playing when its turn in the rotation comes again. Such a block must be lost, not mixed
// into sound being played: every sample played must have been captured (its block complete)
// before it was played, and blocks are played whole.
TEST_F(EchoDevice, ABlockIsNeverMixedIntoABufferTheOutputStillHolds)
{
    sim::SetWaveInDevices({{"Mic", {}, Clock}});
    sim::SetWaveOutDevices({{"Speaker", {}, {}}});
    CEchoPanel panel;
    panel.m_nBufferFrames = 400;
    panel.m_nEchoLevel = 0;
    panel.m_nDelayFrames = 100;
    panel.m_pWaveOut = new CEchoWaveOut(&panel);
    ASSERT_TRUE(panel.m_pWaveOut->Open(0, 8000, 16, FALSE));
    auto* pIn = new CEchoWaveIn(&panel);
    ASSERT_TRUE(pIn->Open(0, 16000, 16, FALSE, 400));
    const uint64_t nStartUs = sim::NowUs();
    ASSERT_TRUE(pIn->Start());
    sim::AdvanceTime(1000);
    pIn->Close();
    DeleteWaveDevice(pIn);
    panel.m_pWaveOut->Close();
    DeleteWaveDevice(panel.m_pWaveOut);

    const std::vector<sim::PlayedSample> played = sim::PlayedSamples(0);
    ASSERT_GE(played.size(), 6000u);
    size_t nLost = 0;
    for (size_t i = 0; i < played.size(); i += 400) {
        const int nFirst = played[i].nValue;
        ASSERT_EQ(nFirst % 400, 0) << "a block begins each buffer";
        for (size_t j = i; j < i + 400 && j < played.size(); ++j)
            ASSERT_EQ(played[j].nValue, nFirst + int(j - i)) << "the buffer holds one whole block";
        const uint64_t nCompleteUs = nStartUs + (nFirst / 400 + 1) * 25000;
        ASSERT_LE(nCompleteUs, played[i].nTimeUs)
            << "block " << nFirst / 400 << " played before it was captured";
        if (i > 0 && nFirst != played[i - 400].nValue + 400)
            ++nLost;
    }
    EXPECT_GT(nLost, 0u) << "the test means the output to fall behind";
}

// A block shorter than its buffer (as at a stop) leaves the rest of the buffer silent, neither
// the sound of an earlier block nor memory nobody wrote; a longer one fills the buffer and no
// more.
TEST_F(EchoDevice, ABlockFillsItsPlaybackBufferExactly)
{
    UseDevices({});
    CEchoPanel panel;
    panel.m_nBufferFrames = 400;
    panel.m_nEchoLevel = 0;
    panel.m_nDelayFrames = 100;
    panel.m_pWaveOut = new CEchoWaveOut(&panel);
    ASSERT_TRUE(panel.m_pWaveOut->Open(0, 8000, 16, FALSE));
    auto* pIn = new CEchoWaveIn(&panel);
    ASSERT_TRUE(pIn->Open(0, 8000, 16, FALSE, 400));
    {
        CWaveBuffer input, output;
        input.PrepareIn(pIn, 450);
        output.PrepareOut(panel.m_pWaveOut, 400);
        auto* pIn16 = static_cast<int16_t*>(input.GetData());
        for (int i = 0; i < 450; ++i)
            pIn16[i] = static_cast<int16_t>(i + 1);
        const auto* pOut16 = static_cast<const int16_t*>(output.GetData());
        EXPECT_EQ(pOut16[399], int16_t(0xA5A5)) << "memory nobody wrote, as the buffer starts";

        input.GetHeader()->dwBytesRecorded = 301;  // 150 samples and an odd byte
        EchoLevels levels = pIn->EchoMix(&input, &output);
        EXPECT_EQ(levels.nLevel1, 149);
        EXPECT_EQ(levels.nLevel2, 150);
        EXPECT_EQ(pOut16[149], 150);
        for (int i = 150; i < 400; ++i)
            ASSERT_EQ(pOut16[i], 0) << i;

        input.GetHeader()->dwBytesRecorded = 900;  // more than the playback buffer holds
        pIn->EchoMix(&input, &output);
        EXPECT_EQ(pOut16[399], 400);
    }
    pIn->Close();
    DeleteWaveDevice(pIn);
    panel.m_pWaveOut->Close();
    DeleteWaveDevice(panel.m_pWaveOut);
}

const char STEADY_SETTINGS[] =
    "INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nECHO=100\r\nDELAY=100\r\n";

int16_t Steady(uint64_t n)
{
    return static_cast<int16_t>(n % 2 ? 2000 : -2000);
}

// OFF in the middle of a block: the output still holds the buffer it plays when the capture
// device releases its playback buffers; it is taken back first (freeing it under the driver
// would be misuse).
TEST_F(EchoDevice, OffWhileTheOutputHoldsABufferTakesItBackFirst)
{
    UseDevices(Steady);
    WriteSettings(STEADY_SETTINGS);
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(1025);
    const std::vector<HWAVEOUT> outputs = sim::OpenWaveOuts();
    ASSERT_EQ(outputs.size(), 1u);
    ASSERT_FALSE(sim::QueuedHeaders(outputs[0]).empty());
    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    EXPECT_TRUE(sim::OpenWaveOuts().empty());
    EXPECT_TRUE(sim::OpenWaveIns().empty());
}

// A driver whose notices come a minute late: the capture device gets its three blocks late and
// writes them all at once, and when OFF releases the playback buffers, three still owe their
// notices. OFF waits for them one second at most, for all of them together, on a system whose
// Sleep lasts a timer tick, and leaves them to the driver; then the panel answers again.
TEST_F(EchoDevice, LateNoticesHoldUpOffForOneSecondAtMost)
{
    UseDevices(Steady);
    WriteSettings(STEADY_SETTINGS);
    sim::SetWaveCallbackDelay(60000000);
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(61000);
    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    const uint64_t nOffUs = sim::NowUs();
    while (!sim::Answers(m_hwnd) && sim::NowUs() - nOffUs < 120000000)
        sim::AdvanceTime(1);
    const uint64_t nHeldUs = sim::NowUs() - nOffUs;
    std::printf("[ figures  ] OFF with late notices: the panel answers after %.3f ms\n",
                nHeldUs / 1000.0);
    EXPECT_LE(nHeldUs, 1000000 + sim::DEFAULT_TICK_US);
    EXPECT_TRUE(sim::OpenWaveOuts().empty());
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    EXPECT_TRUE(IsOn()) << "the panel goes on";
}

// A driver that hangs in waveOutWrite keeps the capture worker from ending: OFF gives up on it
// after 10,000 ms. The singer can go on (ON again opens new devices) and even close the panel;
// when the driver comes back, the worker finishes its block on the devices it had, leaves the
// panel alone, and everything is freed once it has ended.
TEST_F(EchoDevice, AWorkerHungInTheDriverReachesNothingFreed)
{
    UseDevices(Steady);
    WriteSettings(STEADY_SETTINGS);
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(120);
    sim::Gate driver;
    sim::HoldWaveCall("waveOutWrite", driver);
    sim::AdvanceTime(50);
    ASSERT_EQ(driver.Waiting(), 1) << "the worker hangs in the driver";

    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    sim::AdvanceTime(10000);
    EXPECT_FALSE(IsOn());
    sim::AdvanceTime(100);
    EXPECT_EQ(Meter(IDC_LEVEL1), 0);

    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(300);
    EXPECT_TRUE(IsOn());
    EXPECT_GT(Meter(IDC_LEVEL2), 0) << "the new devices run";
    ASSERT_TRUE(input::Click(Item(IDC_OFF)));

    Close();
    m_pUi.reset();
    m_pPanel.reset();
    EXPECT_GT(sim::Live().nThreads, 0) << "the hung worker and the devices it keeps";
    driver.Open();
    sim::Settle();
    EXPECT_EQ(sim::Live().nThreads, 0);
    EXPECT_TRUE(sim::OpenWaveOuts().empty());
}

// A close that fails leaves the device open with the driver, yet the panel deletes it all the
// same: the driver's later calls reach nothing freed, and what the echo had is released.
TEST_F(EchoDevice, ClosesThatFailStillLeaveNothingReachable)
{
    for (const char* pszCall : {"waveInClose", "waveOutReset", "waveOutClose"}) {
        SCOPED_TRACE(pszCall);
        sim::ResetWorld();
        UseDevices(Steady);
        WriteSettings(STEADY_SETTINGS);
        Open();
        sim::SetWaveCallbackDelay(3000);
        ASSERT_TRUE(input::Click(Item(IDC_ON)));
        sim::AdvanceTime(525);
        sim::InjectFault(pszCall, MMSYSERR_ERROR);
        ASSERT_TRUE(input::Click(Item(IDC_OFF)));
        EXPECT_FALSE(IsOn());
        sim::AdvanceTime(5000);  // the late notices of the driver arrive now

        // The devices the program could not close: the driver lets go when they close.
        for (HWAVEIN h : sim::OpenWaveIns()) {
            waveInReset(h);
            EXPECT_EQ(waveInClose(h), MMSYSERR_NOERROR);
        }
        for (HWAVEOUT h : sim::OpenWaveOuts()) {
            waveOutReset(h);
            EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
        }
        sim::Settle();
        ASSERT_TRUE(input::Click(Item(IDC_ON)));
        sim::AdvanceTime(200);
        EXPECT_TRUE(IsOn()) << "the panel goes on";
        Close();
        m_pUi.reset();
        m_pPanel.reset();
        EXPECT_EQ(sim::Live().nThreads, 0);
        EXPECT_EQ(sim::Live().nGlobalBlocks, 0);
    }
}

// ---- how long the panel may not answer

// The longest stretch of virtual time during which the panel answers no key or click, over the
// actions given: each is followed by at least the given time, and by as long as the panel does
// not answer. Message boxes are answered as they come.
class CUnanswered
{
public:
    explicit CUnanswered(HWND hwnd) : m_hwnd(hwnd) {}
    void Act(const std::function<void()>& action, uint32_t nMinMs)
    {
        action();
        const uint64_t nStartUs = sim::NowUs();
        while (sim::NowUs() - nStartUs < nMinMs * 1000ull || !sim::Answers(m_hwnd)) {
            if (sim::Answers(m_hwnd)) {
                m_nSinceUs = 0;
                for (const sim::MessageBoxRecord& box : sim::MessageBoxes())
                    if (box.bOpen)
                        input::AnswerMessageBox(m_hwnd, IDOK);
            } else if (!m_nSinceUs) {
                m_nSinceUs = sim::NowUs();
            }
            if (sim::NowUs() - nStartUs > 120000000)
                break;  // as good as never: the figure says so
            sim::AdvanceTime(1);
            if (m_nSinceUs)
                m_nLongestUs = std::max(m_nLongestUs, sim::NowUs() - m_nSinceUs);
        }
        m_nSinceUs = 0;
    }
    uint64_t LongestUs() const { return m_nLongestUs; }

private:
    HWND m_hwnd;
    uint64_t m_nSinceUs = 0;
    uint64_t m_nLongestUs = 0;
};

// Every fault the simulation can inject into the wave layer, each in a walk through the panel
// (ON, a change that restarts the echo, OFF), armed before ON and, again, before OFF. A worker
// that does not end holds up a close for at most WAVE_WORKER_TIMEOUT, and StopEcho stops two;
// nothing else comes near that. A driver call of the panel's own thread that does not return
// holds the panel for as long as it does not: no program can bound that (here 30 s).
TEST_F(EchoDevice, UnderEveryFaultThePanelAnswersWithinTheBoundOfItsWorkers)
{
    struct Fault
    {
        std::string name;
        std::function<void()> arm;
        bool bBounded = true;
    };
    std::vector<Fault> faults = {{"none", [] {}}};
    for (const char* pszCall :
         {"waveOutOpen", "waveInOpen", "waveOutPrepareHeader", "waveInPrepareHeader",
          "waveInAddBuffer", "waveInStart", "waveOutWrite", "waveInReset", "waveOutReset",
          "waveInClose", "waveOutClose", "waveInUnprepareHeader", "waveOutUnprepareHeader"})
        faults.push_back({std::string(pszCall) + " fails",
                          [pszCall] { sim::InjectFault(pszCall, MMSYSERR_ERROR); }});
    for (const char* pszCall : {"GlobalAlloc", "CreateThread", "CreateEventA", "DuplicateHandle"})
        faults.push_back(
            {std::string(pszCall) + " fails", [pszCall] { sim::InjectFault(pszCall, 0); }});
    for (uint64_t nDelayMs : {0, 500, 60000})
        faults.push_back({"notices " + std::to_string(nDelayMs) + " ms late",
                          [nDelayMs] { sim::SetWaveCallbackDelay(nDelayMs * 1000); }});
    std::unique_ptr<sim::Gate> pGate;  // a new one for each walk
    HANDLE hOpener = nullptr;
    // The worker's calls: the first three waveInAddBuffer are the start's, on the panel's thread.
    for (const auto& [pszCall, nSkip] :
         {std::pair("waveOutWrite", 0), std::pair("waveInAddBuffer", 3)})
        faults.push_back({std::string(pszCall) + " hangs in the worker",
                          [&pGate, pszCall, nSkip] { sim::HoldWaveCall(pszCall, *pGate, nSkip); }});
    faults.push_back({"waveOutReset hangs for 30 s",
                      [&] {
                          sim::HoldWaveCall("waveOutReset", *pGate);
                          hOpener = OpenGateLater(*pGate, 30000);
                      },
                      false});

    uint64_t nWorstUs = 0;
    for (const Fault& fault : faults) {
        for (bool bBeforeOn : {true, false}) {
            SCOPED_TRACE(fault.name + (bBeforeOn ? ", before ON" : ", before OFF"));
            sim::ResetWorld();
            UseDevices(Steady);
            WriteSettings(STEADY_SETTINGS);
            pGate = std::make_unique<sim::Gate>();
            Open();
            CUnanswered panel(m_hwnd);
            if (bBeforeOn)
                fault.arm();
            panel.Act([&] { input::Click(Item(IDC_ON)); }, 500);
            panel.Act([&] { input::PressArrow(Item(IDC_ECHO_SPIN), true); }, 1000);
            if (!bBeforeOn)
                fault.arm();
            const uint32_t nRunMs = fault.name == "notices 60000 ms late" ? 61000 : 500;
            panel.Act([] {}, nRunMs);
            panel.Act([&] { input::Click(Item(IDC_OFF)); }, 500);

            // What the faults left: the gate, devices the panel could not close.
            pGate->Open();
            if (hOpener) {
                WaitForSingleObject(hOpener, INFINITE);
                CloseHandle(hOpener);
                hOpener = nullptr;
            }
            sim::Settle();
            for (HWAVEIN h : sim::OpenWaveIns()) {
                waveInReset(h);
                waveInClose(h);
            }
            for (HWAVEOUT h : sim::OpenWaveOuts()) {
                waveOutReset(h);
                waveOutClose(h);
            }
            Close();
            m_pUi.reset();
            m_pPanel.reset();

            std::printf("[ figures  ] %-34s armed before %-3s: unanswered for %8.3f ms at most\n",
                        fault.name.c_str(), bBeforeOn ? "ON" : "OFF", panel.LongestUs() / 1000.0);
            if (fault.bBounded) {
                EXPECT_LE(panel.LongestUs(), 2 * WAVE_WORKER_TIMEOUT * 1000ull);
                nWorstUs = std::max(nWorstUs, panel.LongestUs());
            }
        }
    }
    std::printf("[ figures  ] worst bounded case: %.3f ms (bound %u ms)\n", nWorstUs / 1000.0,
                2 * WAVE_WORKER_TIMEOUT);
}

}  // namespace

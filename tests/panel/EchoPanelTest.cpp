// The control panel as a singer uses it, on the virtual clock: the echo heard, the meters, the
// restart after a change, the failures the singer is told of, the settings from one start to
// the next, and the ways the panel ends.
#include "tests/panel/PanelFixture.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using EchoPanel = PanelTest;

constexpr int RATE = 8000;
constexpr uint64_t US_PER_SAMPLE = 1000000 / RATE;  // mono: one sample per frame

// The samples played from the given virtual time on.
std::vector<int16_t> PlayedFrom(const std::vector<sim::PlayedSample>& played, uint64_t nFromUs)
{
    std::vector<int16_t> values;
    for (const sim::PlayedSample& s : played)
        if (s.nTimeUs >= nFromUs)
            values.push_back(s.nValue);
    return values;
}

// Expects played to begin with expected (as far as both go), and to be long enough.
void ExpectBeginsWith(const std::vector<int16_t>& played, const std::vector<int16_t>& expected,
                      size_t nAtLeast)
{
    ASSERT_GE(played.size(), nAtLeast);
    const size_t n = std::min(played.size(), expected.size());
    for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(played[i], expected[i]) << "sample " << i;
}

// Mono at 8,000 Hz, 50 ms buffers (400 frames) and a delay of 110 ms (880 frames), so that
// echoes fall across block boundaries; an impulse, a negative one, and two loud ones whose sum
// with the echo clips.
TEST_F(EchoPanel, TheSingerHearsEachRepeatAtTheDelayAndWeakerByTheStrength)
{
    const std::vector<int16_t> x =
        Impulses(3 * RATE, {{1000, 10000}, {1234, -20000}, {3000, 30000}, {3880, 30000}});
    UseDevices(sim::Samples(x));
    WriteSettings(
        "INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nECHO=128\r\nDELAY=110\r\n");
    Open();

    const uint64_t nOnUs = sim::NowUs();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    EXPECT_TRUE(IsOn());
    sim::AdvanceTime(2000);

    const std::vector<sim::PlayedSample> played = Played();
    const std::vector<int16_t> expected = Echo(x, 880, 128);
    ExpectBeginsWith(PlayedValues(), expected, 2 * RATE - 400);
    // Every sample leaves one buffer time after it came in, with no gap.
    EXPECT_EQ(played[0].nTimeUs, nOnUs + 50000);
    EXPECT_EQ(played[3880].nTimeUs - played[0].nTimeUs, 3880 * US_PER_SAMPLE);
    EXPECT_EQ(sim::PlaybackGaps(0), 0);
    EXPECT_EQ(expected[1880], 5000);
    EXPECT_EQ(expected[3880], 32767) << "the test means to clip";
}

TEST_F(EchoPanel, TheMetersShowTheBlockLevelsAndFallToZeroAfterOff)
{
    // Even samples peak at 3000, odd ones at 1200; negative samples count for nothing.
    UseDevices([](uint64_t n) {
        return static_cast<int16_t>(n % 2 ? (n % 4 == 1 ? 1200 : -9000) : 3000);
    });
    WriteSettings("INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nECHO=0\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(150);
    EXPECT_EQ(Meter(IDC_LEVEL1), 3000);
    EXPECT_EQ(Meter(IDC_LEVEL2), 1200);

    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    EXPECT_FALSE(IsOn());
    sim::AdvanceTime(100);
    EXPECT_EQ(Meter(IDC_LEVEL1), 0);
    EXPECT_EQ(Meter(IDC_LEVEL2), 0);
}

// The source starts again with every start of capture: a restart plays the impulse once more,
// and what is heard after it is only its echo at the new strength.
TEST_F(EchoPanel, AChangeRestartsWithAnEmptyEchoAndTheNewSettings)
{
    const std::vector<int16_t> x = Impulses(2 * RATE, {{100, 16000}});
    UseDevices(sim::Samples(x));
    WriteSettings(
        "INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nECHO=200\r\nDELAY=100\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(1030);

    const uint64_t nChangeUs = sim::NowUs();
    ASSERT_TRUE(input::PressArrow(Item(IDC_ECHO_SPIN), true));
    EXPECT_FALSE(IsOn()) << "the echo stops at once";
    EXPECT_EQ(Position(IDC_ECHO_SPIN), 201);
    const size_t nPlayedAtStop = Played().size();
    sim::AdvanceTime(499);
    EXPECT_FALSE(IsOn());
    EXPECT_EQ(Played().size(), nPlayedAtStop) << "silence while the restart is pending";
    sim::AdvanceTime(1);
    EXPECT_TRUE(IsOn()) << "on again on the second tick, 500 ms after the change";

    sim::AdvanceTime(1500);
    ExpectBeginsWith(PlayedFrom(Played(), nChangeUs + 500000), Echo(x, 800, 201), RATE);
}

TEST_F(EchoPanel, ChangesDuringTheCountdownOnlyPutItOff)
{
    const std::vector<int16_t> x = Impulses(3 * RATE, {{100, 16000}});
    UseDevices(sim::Samples(x));
    WriteSettings(
        "INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\nECHO=100\r\nDELAY=100\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::AdvanceTime(1000);

    // Three changes 100 ms apart: one stop, one start, 500 ms after the first.
    const uint64_t nFirstUs = sim::NowUs();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(input::PressArrow(Item(IDC_DELAY_SPIN), true));
        EXPECT_FALSE(IsOn());
        if (i < 2)
            sim::AdvanceTime(100);
    }
    sim::AdvanceTime(299);
    EXPECT_FALSE(IsOn());
    sim::AdvanceTime(1);
    EXPECT_TRUE(IsOn());
    sim::AdvanceTime(2000);
    // One start: the impulse is heard once, with the echo of the last setting (103 ms).
    ExpectBeginsWith(PlayedFrom(Played(), nFirstUs), Echo(x, 824, 100), 2 * RATE - 400);

    // A change while off starts nothing.
    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    ASSERT_TRUE(input::PressArrow(Item(IDC_DELAY_SPIN), true));
    sim::AdvanceTime(1000);
    EXPECT_FALSE(IsOn());
}

TEST_F(EchoPanel, OnDuringTheCountdownStartsAtOnceAndOffAfterItMeansOff)
{
    UseDevices({});
    WriteSettings("RATE=8000\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    ASSERT_TRUE(input::ChooseListItem(Item(IDC_RATE), 1));
    EXPECT_FALSE(IsOn());
    sim::AdvanceTime(100);
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    EXPECT_TRUE(IsOn()) << "at once";
    ASSERT_TRUE(input::Click(Item(IDC_OFF)));
    sim::AdvanceTime(1000);
    EXPECT_FALSE(IsOn()) << "the countdown does not switch it on again";
}

// ---- requests that other programs send in the middle of a start or stop

// The panel's thread handles the messages other threads send it inside a wave open or close
// (under Wine each of the four waits for winmm's thread in a cross-thread send): another
// program's ON or OFF, a setting's change, the session's end or a close can come in the middle
// of a start or a stop, a restart's included. Each is carried out once that one has finished:
// nothing it uses is freed under it, every device opened is closed once, and the echo ends as
// the requests say. The session's end saves at once (the process may end when the message
// returns) and ends the program, as a close does, opening nothing more.
TEST_F(EchoPanel, ARequestSentInsideAStartOrStopIsCarriedOutWhenItHasFinished)
{
    enum Action { ON, OFF, RESTART_STOP, RESTART_START };
    enum Request { SENT_ON, SENT_OFF, SENT_CHANGE, SESSION_END, SENT_CLOSE };
    struct Hold
    {
        Action action;
        const char* call;
    };
    const Hold holds[] = {
        {ON, "waveOutOpen"},
        {ON, "waveInOpen"},
        {OFF, "waveInClose"},
        {OFF, "waveOutClose"},
        {RESTART_STOP, "waveInClose"},
        {RESTART_STOP, "waveOutClose"},
        {RESTART_START, "waveOutOpen"},
        {RESTART_START, "waveInOpen"},
    };
    UseDevices({});
    for (const Hold& hold : holds) {
        for (Request request : {SENT_ON, SENT_OFF, SENT_CHANGE, SESSION_END, SENT_CLOSE}) {
            SCOPED_TRACE(std::to_string(hold.action) + " " + hold.call + " " +
                         std::to_string(request));
            WriteSettings("INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=8000\r\nTIME=50\r\n");
            Open();
            if (hold.action != ON) {
                ASSERT_TRUE(input::Click(Item(IDC_ON)));
            }
            // Sent from the test's thread as another program sends it, a press is answered at
            // once, though the start or stop it asks for waits in its wave call.
            const auto press = [this](int nId) {
                SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                             reinterpret_cast<LPARAM>(Item(nId)));
            };
            sim::Gate inCall;
            if (hold.action != RESTART_START)
                sim::HoldWaveCall(hold.call, inCall);
            switch (hold.action) {
                case ON:
                    press(IDC_ON);
                    sim::Settle();
                    break;
                case OFF:
                    press(IDC_OFF);
                    sim::Settle();
                    break;
                case RESTART_STOP:
                    ASSERT_TRUE(input::PressArrow(Item(IDC_ECHO_SPIN), true));
                    break;
                case RESTART_START:
                    ASSERT_TRUE(input::PressArrow(Item(IDC_ECHO_SPIN), true));
                    sim::HoldWaveCall(hold.call, inCall);
                    sim::AdvanceTime(500);
                    break;
            }
            ASSERT_EQ(inCall.Waiting(), 1);
            std::remove((m_dir.Path() + "/sorvanta.ini").c_str());

            // Each is handled inside the call that waits.
            switch (request) {
                case SENT_ON:
                    press(IDC_ON);
                    break;
                case SENT_OFF:
                    press(IDC_OFF);
                    break;
                case SENT_CHANGE:
                    SendMessageA(Item(IDC_STEREO), BM_CLICK, 0, 0);
                    break;
                case SESSION_END:
                    EXPECT_TRUE(sim::EndSession(ENDSESSION_LOGOFF));
                    EXPECT_EQ(Setting("RATE"), "8000") << "saved before the process may end";
                    break;
                case SENT_CLOSE:
                    SendMessageA(m_hwnd, WM_CLOSE, 0, 0);
                    break;
            }
            inCall.Open();
            sim::AdvanceTime(1000);

            EXPECT_TRUE(sim::MessageBoxes().empty());
            if (request == SESSION_END || request == SENT_CLOSE) {
                EXPECT_EQ(m_pUi->Join(), 0u) << "the program ends";
                EXPECT_FALSE(IsWindow(m_hwnd));
                EXPECT_EQ(Setting("RATE"), "8000");
                EXPECT_TRUE(sim::OpenWaveIns().empty());
                EXPECT_TRUE(sim::OpenWaveOuts().empty());
                EXPECT_EQ(sim::Live().nThreads, 0) << "no device left behind";
                continue;
            }
            // OFF does not cancel a restart's countdown, and a change while the echo is off
            // starts nothing.
            const bool bOn = request == SENT_ON ||
                             (request == SENT_OFF && hold.action == RESTART_STOP) ||
                             (request == SENT_CHANGE && hold.action != OFF);
            EXPECT_EQ(IsOn(), bOn);
            EXPECT_EQ(sim::OpenWaveIns().size(), bOn ? 1u : 0u);
            EXPECT_EQ(sim::OpenWaveOuts().size(), bOn ? 1u : 0u);
            Close();
            EXPECT_EQ(sim::Live().nThreads, 0) << "every device closed once the panel has ended";
        }
    }
}

// ---- what the singer is told

using Failures = PanelTest;

const char OUTPUT_TEXT[] = "出力デバイスが使用中か指定のフォーマットをサポートしていません。";
const char OUTPUT_CAPTION[] = "出力デバイス初期化失敗";
const char INPUT_TEXT[] = "入力デバイスが使用中か指定のフォーマットをサポートしていません。";
const char INPUT_CAPTION[] = "入力デバイス初期化失敗";

TEST_F(Failures, AnOutputThatCannotOpenIsReportedAndTheInputIsNotTouched)
{
    UseDevices({});
    WriteSettings("RATE=44100\r\n");
    Open();
    sim::InjectFault("waveOutOpen", MMSYSERR_ALLOCATED);
    sim::InjectFault("waveInOpen", MMSYSERR_ERROR);  // would show if the input were opened
    ASSERT_TRUE(input::Click(Item(IDC_ON)));

    const auto boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].bOpen);
    EXPECT_EQ(boxes[0].text, OUTPUT_TEXT);
    EXPECT_EQ(boxes[0].caption, OUTPUT_CAPTION);
    EXPECT_EQ(boxes[0].nType, UINT(MB_ICONSTOP | MB_OK));
    EXPECT_EQ(boxes[0].hwndOwner, m_hwnd);
    EXPECT_EQ(sim::PendingFaults("waveInOpen"), 1);

    ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
    EXPECT_FALSE(IsOn());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_ON)));
    EXPECT_EQ(sim::Live().nThreads, 1) << "no device left open: only the panel's thread runs";
}

TEST_F(Failures, AnInputThatCannotOpenIsReportedAndTheOutputClosedAgain)
{
    UseDevices({});
    WriteSettings("RATE=44100\r\n");
    Open();
    sim::InjectFault("waveInOpen", WAVERR_BADFORMAT);
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    const auto boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, INPUT_TEXT);
    EXPECT_EQ(boxes[0].caption, INPUT_CAPTION);
    EXPECT_EQ(boxes[0].nType, UINT(MB_ICONSTOP | MB_OK));
    EXPECT_EQ(sim::Live().nThreads, 3)
        << "the output, its driver and its worker, while the box is up";
    ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
    EXPECT_FALSE(IsOn());
    EXPECT_EQ(sim::Live().nThreads, 1) << "the output is closed again";
}

TEST_F(Failures, WithoutARateNothingIsOpenedAndTheOutputIsBlamed)
{
    UseDevices({});
    WriteSettings("RATE=-1\r\n");
    Open();
    EXPECT_EQ(SendMessageA(Item(IDC_RATE), CB_GETCURSEL, 0, 0), CB_ERR);
    sim::InjectFault("waveOutOpen", MMSYSERR_ERROR);  // would be taken by an open
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, OUTPUT_TEXT);
    EXPECT_EQ(sim::PendingFaults("waveOutOpen"), 1);
    ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
    EXPECT_FALSE(IsOn());
}

// ON during a countdown fails and shows its message. The countdown must not tick on behind
// the box (Windows runs the panel's timers in the box's own loop) and start again from inside
// it, with the failed output still there.
TEST_F(Failures, NoStartFromInsideAFailuresMessage)
{
    UseDevices({});
    WriteSettings("RATE=8000\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    ASSERT_TRUE(input::PressArrow(Item(IDC_TIME_SPIN), true));
    sim::AdvanceTime(100);
    sim::InjectFault("waveOutOpen", MMSYSERR_ALLOCATED, 0, -1);
    sim::InjectFault("waveInOpen", MMSYSERR_ERROR);  // would be taken by a start from inside
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_TRUE(sim::MessageBoxes()[0].bOpen);

    sim::AdvanceTime(3000);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::PendingFaults("waveInOpen"), 1);
    EXPECT_EQ(sim::Live().nThreads, 1) << "nothing runs but the panel";
    ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
    sim::AdvanceTime(1000);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_FALSE(IsOn());
}

// A restart whose start fails shows its message once; the countdown is over.
TEST_F(Failures, ARestartThatFailsIsReportedOnce)
{
    UseDevices({});
    WriteSettings("RATE=8000\r\n");
    Open();
    ASSERT_TRUE(input::Click(Item(IDC_ON)));
    sim::InjectFault("waveOutOpen", MMSYSERR_ALLOCATED, 0, -1);
    ASSERT_TRUE(input::PressArrow(Item(IDC_TIME_SPIN), true));
    sim::AdvanceTime(500);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    sim::AdvanceTime(2000);
    ASSERT_TRUE(input::AnswerMessageBox(m_hwnd, IDOK));
    sim::AdvanceTime(2000);
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_FALSE(IsOn());
}

// ---- latency and steadiness on the virtual clock

using Steadiness = PanelTest;

// The time from a sample's capture to its playback is one buffer time, the floor of a design
// that mixes whole blocks; and a minute of steady running plays without a gap.
TEST_F(Steadiness, ASampleLeavesOneBufferTimeAfterItCameAndAMinuteHasNoGap)
{
    for (int nTime : {50, 100, 1000}) {
        SCOPED_TRACE(nTime);
        sim::ResetWorld();
        const size_t nAt = 12345;
        UseDevices(sim::Samples(Impulses(65 * 44100, {{nAt, 20000}})));
        WriteSettings("INDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=44100\r\nECHO=0\r\nTIME=" +
                      std::to_string(nTime) + "\r\n");
        Open();
        const uint64_t nOnUs = sim::NowUs();
        ASSERT_TRUE(input::Click(Item(IDC_ON)));
        sim::AdvanceTime(60000 + 2 * nTime);
        const std::vector<sim::PlayedSample> played = Played();
        ASSERT_GT(played.size(), nAt);
        const uint64_t nCapturedUs = nOnUs + (nAt * 1000000 + 44099) / 44100;
        const uint64_t nLatencyUs = played[nAt].nTimeUs - nCapturedUs;
        EXPECT_EQ(played[nAt].nValue, 20000);
        EXPECT_NEAR(double(nLatencyUs), nTime * 1000.0, 1.0);
        EXPECT_EQ(sim::PlaybackGaps(0), 0);
        EXPECT_EQ(sim::CaptureOverruns(0), 0u);
        EXPECT_GE(played.size(), size_t(60 * 44100));
        RecordProperty("latency_us_at_" + std::to_string(nTime) + "_ms",
                       std::to_string(nLatencyUs));
        std::printf(
            "[ figures  ] buffer time %d ms: capture to playback %.3f ms, %d gaps in 60 s\n", nTime,
            nLatencyUs / 1000.0, sim::PlaybackGaps(0));
        Close();
        m_pUi.reset();
        m_pPanel.reset();
    }
}

}  // namespace

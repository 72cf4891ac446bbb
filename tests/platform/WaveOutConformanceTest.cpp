// The playback behaviours of the waveform audio service that the wave device layer relies on,
// against the simulation on the host and against winmm with a virtual PulseAudio sink under Wine.
#include "platform/win32.h"
#include "tests/platform/WaveNotices.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/SoundDevices.h"

#include <atomic>
#include <vector>

namespace {

class WaveOut : public PlatformTest
{
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        UseVirtualSoundDevices();
        m_nDevice = FindWaveOut("Speaker");
        if (SoundDeviceMissing(m_nDevice, "Speaker"))
            GTEST_SKIP() << "no output device named Speaker";
    }

    // Blocks of 16-bit stereo at 48,000 Hz, prepared for the device.
    void Prepare(HWAVEOUT h, size_t nBuffers, DWORD nFrames)
    {
        m_data.assign(nBuffers, std::vector<char>(nFrames * 4, 0));
        m_headers.assign(nBuffers, WAVEHDR{});
        for (size_t i = 0; i < nBuffers; ++i) {
            m_headers[i].lpData = m_data[i].data();
            m_headers[i].dwBufferLength = nFrames * 4;
            ASSERT_EQ(waveOutPrepareHeader(h, &m_headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
            EXPECT_EQ(m_headers[i].dwFlags, DWORD(WHDR_PREPARED));
        }
    }
    void Unprepare(HWAVEOUT h)
    {
        for (WAVEHDR& hdr : m_headers)
            EXPECT_EQ(waveOutUnprepareHeader(h, &hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }

    UINT m_nDevice = 0;
    std::vector<std::vector<char>> m_data;
    std::vector<WAVEHDR> m_headers;
};

// The wave call that the test's thread is inside, and the one it was inside when its window
// got another thread's message (both on the test's thread).
const char* g_pszInside = nullptr;
const char* g_pszHandledInside = nullptr;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage != WM_USER)
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    g_pszHandledInside = g_pszInside ? g_pszInside : "no wave call";
    return 1;
}

// Owned by the sender until its message has been answered. A buffer's notice that waits for it
// holds the thread that delivers the notices: under Wine that is winmm's own thread, which every
// open and close waits for.
CRITICAL_SECTION g_csSending;
std::atomic<bool> g_bNoticeHeld{false};

DWORD WINAPI SendToReceiver(LPVOID pWindow)
{
    EnterCriticalSection(&g_csSending);
    const LRESULT nResult = SendMessageA(static_cast<HWND>(pWindow), WM_USER, 0, 0);
    LeaveCriticalSection(&g_csSending);
    return static_cast<DWORD>(nResult);
}

// Critical sections are among the few calls a wave callback may make.
void CALLBACK HoldUntilAnswered(HWAVEOUT, UINT nMessage, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    if (nMessage != WOM_DONE)
        return;
    g_bNoticeHeld = true;
    EnterCriticalSection(&g_csSending);
    LeaveCriticalSection(&g_csSending);
    g_bNoticeHeld = false;
}

bool WaitUntilNoticeHeld(bool bHeld)
{
    for (int i = 0; i < 5000 && g_bNoticeHeld != bHeld; ++i)
        Sleep(1);
    return g_bNoticeHeld == bHeld;
}

// A thread that sends the window a message; returns once the message waits for this thread,
// which then handles it in its next message call, or in its next wait in a cross-thread send.
HANDLE SendFromAnotherThread(HWND hwnd)
{
    HANDLE hThread = CreateThread(nullptr, 0, &SendToReceiver, hwnd, 0, nullptr);
    for (int i = 0; i < 5000 && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i)
        Sleep(1);
    return hThread;
}

TEST_F(WaveOut, OpenAndCloseNoticesArriveInsideTheCallsAndCbSizeIsIgnoredForPcm)
{
    CWaveNotices notices;
    WAVEFORMATEX wfx = Pcm16(48000, 2);
    wfx.cbSize = 18;
    HWAVEOUT h = nullptr;
    ASSERT_EQ(waveOutOpen(&h, m_nDevice, &wfx, reinterpret_cast<DWORD_PTR>(&CWaveNotices::OutProc),
                          reinterpret_cast<DWORD_PTR>(&notices), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(notices.Get().size(), 1u);
    EXPECT_EQ(notices.Get()[0].nMessage, UINT(WOM_OPEN));

    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    ASSERT_EQ(notices.Get().size(), 2u);
    EXPECT_EQ(notices.Get()[1].nMessage, UINT(WOM_CLOSE));
    Sleep(50);
    EXPECT_EQ(notices.Get().size(), 2u) << "nothing after the close notice";
}

TEST_F(WaveOut, AFormatTheDeviceCannotPlayIsRefused)
{
    WAVEFORMATEX wfx = Pcm16(48000, 2);
    wfx.wFormatTag = 0x7FFF;
    HWAVEOUT h = nullptr;
    EXPECT_EQ(waveOutOpen(&h, m_nDevice, &wfx, 0, 0, CALLBACK_NULL), UINT(WAVERR_BADFORMAT));
}

TEST_F(WaveOut, AQueuedHeaderIsRefusedAgainAndAResetReturnsEveryBufferInOrder)
{
    CWaveNotices notices;
    const WAVEFORMATEX wfx = Pcm16(48000, 2);
    HWAVEOUT h = nullptr;
    ASSERT_EQ(waveOutOpen(&h, m_nDevice, &wfx, reinterpret_cast<DWORD_PTR>(&CWaveNotices::OutProc),
                          reinterpret_cast<DWORD_PTR>(&notices), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    WAVEHDR unprepared{};
    std::vector<char> data(4800);
    unprepared.lpData = data.data();
    unprepared.dwBufferLength = 4800;
    EXPECT_EQ(waveOutWrite(h, &unprepared, sizeof(WAVEHDR)), UINT(WAVERR_UNPREPARED));

    Prepare(h, 3, 24000);  // half a second each: none is done before the reset
    for (WAVEHDR& hdr : m_headers) {
        ASSERT_EQ(waveOutWrite(h, &hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        EXPECT_TRUE(hdr.dwFlags & WHDR_INQUEUE);
    }
    EXPECT_EQ(waveOutWrite(h, &m_headers[1], sizeof(WAVEHDR)), UINT(WAVERR_STILLPLAYING));
    EXPECT_EQ(waveOutUnprepareHeader(h, &m_headers[2], sizeof(WAVEHDR)), UINT(WAVERR_STILLPLAYING));

    ASSERT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    // Every buffer has come back, and its notice has arrived, by the time the reset returns:
    // a buffer's owner may free it right after the reset.
    const std::vector<CWaveNotices::Notice> v = notices.Get();
    ASSERT_EQ(v.size(), 4u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(v[1 + i].nMessage, UINT(WOM_DONE));
        EXPECT_EQ(v[1 + i].pHeader, &m_headers[i]);
        EXPECT_EQ(v[1 + i].nFlags & (WHDR_DONE | WHDR_INQUEUE), DWORD(WHDR_DONE))
            << "done set and in-queue cleared before the callback";
    }
    Unprepare(h);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(WaveOut, WrittenBuffersArePlayedInOrderAndEachComesBackOnce)
{
    CWaveNotices notices;
    const WAVEFORMATEX wfx = Pcm16(48000, 2);
    HWAVEOUT h = nullptr;
    ASSERT_EQ(waveOutOpen(&h, m_nDevice, &wfx, reinterpret_cast<DWORD_PTR>(&CWaveNotices::OutProc),
                          reinterpret_cast<DWORD_PTR>(&notices), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    Prepare(h, 3, 2400);  // 50 ms each
    const DWORD nStart = timeGetTime();
    for (WAVEHDR& hdr : m_headers)
        ASSERT_EQ(waveOutWrite(h, &hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(notices.WaitFor(4, 5000));
    EXPECT_GE(timeGetTime() - nStart, 140u) << "played at its rate, not faster";
    const std::vector<CWaveNotices::Notice> v = notices.Get();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(v[1 + i].pHeader, &m_headers[i]);
    Sleep(60);
    EXPECT_EQ(notices.Get().size(), 4u);
    EXPECT_EQ(waveOutReset(h), MMSYSERR_NOERROR);
    Unprepare(h);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}

// Messages other programs send (a screen reader's press, the system's logoff) may reach the panel's
// thread while it is inside one of these calls: under Wine each waits for winmm's own thread in
// a cross-thread send, and handles the messages sent to it for as long as it waits, and so does
// the simulation. When winmm's thread answers before the caller has begun to wait, the message
// waits for the caller's next message call instead; the test makes the wait certain by holding
// winmm's thread in the buffer's notice of another device until the message has been answered.
// Windows documents nothing of it, and a driver may wait either way: a variation of Windows',
// which the panel meets by holding every request that comes inside a start or stop until it has
// finished.
TEST_F(WaveOut, AThreadInsideAnOpenOrCloseMayHandleTheMessagesSentToIt)
{
    const UINT nIn = FindWaveIn("Mic");
    if (SoundDeviceMissing(nIn, "Mic"))
        GTEST_SKIP() << "no input device named Mic";
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ReceiverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SorvantaReceiver";
    ASSERT_NE(RegisterClassA(&wc), 0);
    const HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr);
    const WAVEFORMATEX wfx = Pcm16(48000, 2);
    InitializeCriticalSection(&g_csSending);
    HWAVEOUT hHolder = nullptr;
    ASSERT_EQ(waveOutOpen(&hHolder, m_nDevice, &wfx,
                          reinterpret_cast<DWORD_PTR>(&HoldUntilAnswered), 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    Prepare(hHolder, 1, 480);  // 10 ms
    HWAVEOUT hOut = nullptr;
    HWAVEIN hIn = nullptr;
    struct Call
    {
        const char* pszName;
        MMRESULT (*pfnCall)(HWAVEOUT&, HWAVEIN&, UINT, UINT, const WAVEFORMATEX&);
    };
    const Call calls[] = {
        {"waveOutOpen",
         [](HWAVEOUT& h, HWAVEIN&, UINT n, UINT, const WAVEFORMATEX& f) {
             return waveOutOpen(&h, n, &f, 0, 0, CALLBACK_NULL);
         }},
        {"waveOutClose",
         [](HWAVEOUT& h, HWAVEIN&, UINT, UINT, const WAVEFORMATEX&) { return waveOutClose(h); }},
        {"waveInOpen",
         [](HWAVEOUT&, HWAVEIN& h, UINT, UINT n, const WAVEFORMATEX& f) {
             return waveInOpen(&h, n, &f, 0, 0, CALLBACK_NULL);
         }},
        {"waveInClose",
         [](HWAVEOUT&, HWAVEIN& h, UINT, UINT, const WAVEFORMATEX&) { return waveInClose(h); }},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.pszName);
        g_pszHandledInside = nullptr;
        HANDLE hSender = SendFromAnotherThread(hwnd);
        ASSERT_NE(hSender, nullptr);
        ASSERT_EQ(waveOutWrite(hHolder, &m_headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_TRUE(WaitUntilNoticeHeld(true)) << "the buffer's notice";
        EXPECT_EQ(g_pszHandledInside, nullptr) << "waiting for this thread";
        g_pszInside = call.pszName;
        EXPECT_EQ(call.pfnCall(hOut, hIn, m_nDevice, nIn, wfx), MMSYSERR_NOERROR);
        g_pszInside = nullptr;
        const bool bInside = g_pszHandledInside == call.pszName;
        EXPECT_TRUE(Difference(DifferenceKind::WindowsVariation,
                               "a message sent to a thread inside a wave open or close",
                               "Windows documents nothing of it; winmm under Wine and the "
                               "simulation handle it there, a Windows driver may not",
                               bInside, true, false));
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // lets a sender still waiting go
        EXPECT_EQ(WaitForSingleObject(hSender, 5000), WAIT_OBJECT_0);
        CloseHandle(hSender);
        ASSERT_TRUE(WaitUntilNoticeHeld(false)) << "the notice let go with the answer";
    }
    Unprepare(hHolder);
    EXPECT_EQ(waveOutClose(hHolder), MMSYSERR_NOERROR);
    DeleteCriticalSection(&g_csSending);
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassA(wc.lpszClassName, wc.hInstance));
}

}  // namespace

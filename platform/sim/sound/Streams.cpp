// Open wave devices: their handles, their driver threads and the notices those deliver, and
// what capture and playback share: the header rules and the run of the queue.
#include "platform/sim/sound/Driver.h"

#include <algorithm>

namespace sim::sound {

namespace {

// Set on driver threads: a wave call from one of them is a call from inside a callback.
thread_local bool t_bDriverThread = false;

typedef void(CALLBACK* WaveInCallback)(HWAVEIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
typedef void(CALLBACK* WaveOutCallback)(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// Runs on the stream's driver thread until the stream is closed and every notice delivered.
// The program's callback is called without the world lock.
void Deliver(const std::shared_ptr<Stream>& p)
{
    t_bDriverThread = true;
    World& w = World::Get();
    Lock lk = w.Acquire();
    ThreadState& self = w.Current(lk);
    for (;;) {
        auto due = [&] { return !p->notices.empty() && p->notices.front().nDueUs <= w.Now(); };
        // Waits for the first notice's time; a notice owed sooner ends the wait early.
        const uint64_t deadline = p->notices.empty() ? NO_DEADLINE : p->notices.front().nDueUs;
        auto sooner = [&] { return !p->notices.empty() && p->notices.front().nDueUs < deadline; };
        w.Block(
            lk, self, [&] { return due() || sooner() || (p->bEnding && p->notices.empty()); },
            deadline, nullptr, "wave notices");
        if (!due()) {
            if (p->bEnding && p->notices.empty())
                break;
            continue;
        }
        const Notice n = p->notices.front();
        p->notices.pop_front();
        if (p->nCallback) {
            const DWORD_PTR nCallback = p->nCallback, nInstance = p->nInstance;
            void* const hDevice = p->hDevice;
            const bool bInput = p->bInput;
            lk.unlock();
            if (bInput)
                reinterpret_cast<WaveInCallback>(nCallback)(static_cast<HWAVEIN>(hDevice),
                                                            n.nMessage, nInstance, n.nParam1, 0);
            else
                reinterpret_cast<WaveOutCallback>(nCallback)(static_cast<HWAVEOUT>(hDevice),
                                                             n.nMessage, nInstance, n.nParam1, 0);
            lk.lock();
        }
        ++p->nDelivered;
        w.WakeAll(p->deliveryWaiters);
    }
}

// The start of every wave call: a held call waits at its gate (the lock is let go meanwhile);
// a call from a driver thread is misuse. Returns false when the call must fail at once.
// An open or a close (bSends) waits for winmm's own thread as a cross-thread SendMessage does,
// as under Wine: the caller handles the window messages other threads have sent it, and those
// they send while a test holds the call.
bool BeginCall(Lock& lk, const char* pszCall, bool bSends)
{
    World& w = World::Get();
    Room& room = Room::Get();
    for (auto it = room.holds.begin(); it != room.holds.end(); ++it) {
        if (it->call != pszCall)
            continue;
        if (it->nSkip > 0) {
            --it->nSkip;
            break;
        }
        Gate* pGate = it->pGate;
        room.holds.erase(it);
        GateWait::Wait(lk, *pGate, bSends);
        break;
    }
    if (t_bDriverThread) {
        w.Misuse(std::string(pszCall) +
                 " called from inside a wave callback (deadlocks on Windows)");
        return false;
    }
    if (bSends)
        w.HandleSent(lk, w.Current(lk));
    return true;
}

bool DefaultAccepts(const WAVEFORMATEX& f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec >= 8000 &&
           f.nSamplesPerSec <= 192000 && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

// Owes the program a notice; buffer notices may be made late.
void Notify(Stream& s, UINT nMessage, DWORD_PTR nParam1, bool bBufferNotice)
{
    World& w = World::Get();
    Room& room = Room::Get();
    uint64_t due = w.Now();
    if (bBufferNotice && room.bLateCallbacks)
        due += room.nCallbackDelayUs;
    s.notices.push_back({nMessage, nParam1, due});
    ++s.nPosted;
    w.Wake(*s.pDriver);
}

void WaitForNotices(Lock& lk, Stream& s)
{
    World& w = World::Get();
    const uint64_t nTarget = s.nPosted;
    w.Block(
        lk, w.Current(lk), [&] { return s.nDelivered >= nTarget; }, NO_DEADLINE, &s.deliveryWaiters,
        "wave notices to be delivered");
}

// Header states, written with atomic stores: the program reads the flags of a buffer the
// driver may hold without taking any lock of the world.
DWORD Flags(const WAVEHDR& hdr)
{
    return __atomic_load_n(&hdr.dwFlags, __ATOMIC_ACQUIRE);
}

void SetFlags(WAVEHDR& hdr, DWORD nFlags)
{
    __atomic_store_n(&hdr.dwFlags, nFlags, __ATOMIC_RELEASE);
}

// Windows' order: done set and in-queue cleared, then the notice.
void MarkDone(Stream& s, WAVEHDR& hdr)
{
    SetFlags(hdr, (Flags(hdr) & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE);
    Notify(s, s.bInput ? WIM_DATA : WOM_DONE, reinterpret_cast<DWORD_PTR>(&hdr), true);
}

// The check every header call makes first.
MMRESULT CheckHeader(const WAVEHDR* pHdr, UINT nSize)
{
    if (!pHdr || nSize < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

void Transfer(const Stream& s, WAVEHDR& hdr, uint64_t nFrames)
{
    if (s.bInput)
        Fill(s, hdr, nFrames);
    else
        Record(s, hdr, nFrames);
}

// The head of the queue is done: captured or played to its last frame.
void CompleteHead(Stream& s)
{
    s.nEvent = 0;
    WAVEHDR& hdr = *s.queue.front();
    s.queue.pop_front();
    const uint64_t nFrames = s.FramesOf(hdr);
    Transfer(s, hdr, nFrames);
    s.nNextFrame = s.nHeadFrame + nFrames;
    if (!s.bInput) {
        s.bPlayedSinceReset = true;
        if (s.queue.empty())
            s.bRunning = false;  // ran dry; capture goes on, losing frames
    }
    MarkDone(s, hdr);
    ScheduleHead(s);
}

}  // namespace

uint64_t Stream::FrameTime(uint64_t nFrame) const
{
    const uint64_t nRate = wfx.nSamplesPerSec;
    return nOriginUs + (nFrame * 1000000 + nRate - 1) / nRate;
}

uint64_t Stream::FramesBy(uint64_t nTimeUs) const
{
    if (nTimeUs <= nOriginUs)
        return 0;
    return (nTimeUs - nOriginUs) * wfx.nSamplesPerSec / 1000000;
}

MMRESULT DeviceCall(const char* pszCall, void* hDevice, bool bInput, Lock& lk, Stream*& pStream,
                    bool bSends)
{
    if (!BeginCall(lk, pszCall, bSends))
        return MMSYSERR_ERROR;
    if (auto nResult = World::Get().TakeFault(pszCall))
        return static_cast<MMRESULT>(*nResult);
    pStream = FindStream(hDevice, bInput);
    return pStream ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

Stream* FindStream(void* hDevice, bool bInput)
{
    Room& room = Room::Get();
    auto it = room.streams.find(hDevice);
    if (it == room.streams.end() || it->second->bInput != bInput)
        return nullptr;
    return it->second.get();
}

// The open notice is delivered before the open returns.
MMRESULT OpenStream(const char* pszCall, bool bInput, void** phDevice, UINT nDevice,
                    const WAVEFORMATEX* pwfx, DWORD_PTR nCallback, DWORD_PTR nInstance,
                    DWORD nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!BeginCall(lk, pszCall, true))
        return MMSYSERR_ERROR;
    if (auto nResult = w.TakeFault(pszCall))
        return static_cast<MMRESULT>(*nResult);
    Room& room = Room::Get();
    const std::vector<SoundDevice>& devices = bInput ? room.inputs : room.outputs;
    const DWORD nType = nFlags & CALLBACK_TYPEMASK;
    if (nType != CALLBACK_NULL && nType != CALLBACK_FUNCTION) {
        w.Misuse("wave callbacks other than CALLBACK_FUNCTION are not simulated");
        return MMSYSERR_NOTSUPPORTED;
    }
    if (nDevice == UINT(WAVE_MAPPER) && !devices.empty())
        nDevice = 0;
    if (nDevice >= devices.size())
        return MMSYSERR_BADDEVICEID;
    if (!pwfx)
        return MMSYSERR_INVALPARAM;
    const SoundDevice& device = devices[nDevice];
    // cbSize is not looked at: a PCM format has no extra bytes.
    if (!(device.accepts ? device.accepts(*pwfx) : DefaultAccepts(*pwfx)))
        return WAVERR_BADFORMAT;
    if (nFlags & WAVE_FORMAT_QUERY)
        return MMSYSERR_NOERROR;
    if (!phDevice)
        return MMSYSERR_INVALPARAM;

    auto p = std::make_shared<Stream>();
    p->bInput = bInput;
    p->nDevice = nDevice;
    p->hDevice = reinterpret_cast<void*>(room.nNextHandle);
    room.nNextHandle += 0x10;
    p->wfx = *pwfx;
    p->wfx.cbSize = 0;
    p->nCallback = nType == CALLBACK_FUNCTION ? nCallback : 0;
    p->nInstance = nInstance;
    room.streams[p->hDevice] = p;
    p->pDriver = w.StartThread(bInput ? "wave in driver" : "wave out driver", [p] { Deliver(p); });
    *phDevice = p->hDevice;
    Notify(*p, bInput ? WIM_OPEN : WOM_OPEN, 0, false);
    WaitForNotices(lk, *p);
    return MMSYSERR_NOERROR;
}

// Preparing sets WHDR_PREPARED, unpreparing clears it; neither touches a queued header.
MMRESULT SetPrepared(const char* pszCall, void* hDevice, bool bInput, WAVEHDR* pHdr, UINT nSize,
                     bool bPrepared)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall(pszCall, hDevice, bInput, lk, p))
        return r;
    if (MMRESULT r = CheckHeader(pHdr, nSize))
        return r;
    const DWORD nFlags = Flags(*pHdr);
    if (!bPrepared && !(nFlags & WHDR_PREPARED))
        return MMSYSERR_NOERROR;
    if (nFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    SetFlags(*pHdr, bPrepared ? nFlags | WHDR_PREPARED : nFlags & ~DWORD(WHDR_PREPARED));
    return MMSYSERR_NOERROR;
}

// waveInAddBuffer and waveOutWrite. Capture runs from waveInStart on; playback from the write
// that finds it stopped.
MMRESULT QueueHeader(const char* pszCall, void* hDevice, bool bInput, WAVEHDR* pHdr, UINT nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall(pszCall, hDevice, bInput, lk, p))
        return r;
    if (MMRESULT r = CheckHeader(pHdr, nSize))
        return r;
    const DWORD nFlags = Flags(*pHdr);
    if (!(nFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (nFlags & WHDR_INQUEUE) {
        // Windows documents no refusal of a capture header, and Wine queues it a second time.
        if (bInput)
            w.Misuse("waveInAddBuffer of a header that is still queued");
        return WAVERR_STILLPLAYING;
    }
    if (bInput)
        pHdr->dwBytesRecorded = 0;
    SetFlags(*pHdr, (nFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE);
    p->queue.push_back(pHdr);
    if (!bInput && !p->bRunning) {
        // Playback that ran dry and starts again leaves a gap in what is heard.
        if (p->bPlayedSinceReset)
            ++Room::Get().gaps[p->nDevice];
        p->bRunning = true;
        p->nOriginUs = w.Now();
        p->nNextFrame = 0;
    }
    ScheduleHead(*p);
    return MMSYSERR_NOERROR;
}

// Ends the run and returns every queued buffer: the head with what it has captured or played
// so far.
MMRESULT ResetStream(const char* pszCall, void* hDevice, bool bInput)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall(pszCall, hDevice, bInput, lk, p))
        return r;
    w.Cancel(p->nEvent);
    p->nEvent = 0;
    bool bHead = p->bRunning;
    while (!p->queue.empty()) {
        WAVEHDR& hdr = *p->queue.front();
        p->queue.pop_front();
        uint64_t nFrames = 0;
        if (bHead && p->FramesBy(w.Now()) > p->nHeadFrame)
            nFrames = std::min(p->FramesOf(hdr), p->FramesBy(w.Now()) - p->nHeadFrame);
        bHead = false;
        Transfer(*p, hdr, nFrames);
        MarkDone(*p, hdr);
    }
    p->bRunning = false;
    p->bPlayedSinceReset = false;
    if (!Room::Get().bLateCallbacks)
        WaitForNotices(lk, *p);
    return MMSYSERR_NOERROR;
}

// A close with buffers queued fails; otherwise it delivers what is owed, then the close notice.
MMRESULT CloseStream(const char* pszCall, void* hDevice, bool bInput)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall(pszCall, hDevice, bInput, lk, p, true))
        return r;
    if (!p->queue.empty())
        return WAVERR_STILLPLAYING;
    // What is owed is delivered now, late or not, and before the close notice.
    for (Notice& n : p->notices)
        n.nDueUs = std::min(n.nDueUs, w.Now());
    Notify(*p, bInput ? WIM_CLOSE : WOM_CLOSE, 0, false);
    p->bEnding = true;
    w.Cancel(p->nEvent);
    std::shared_ptr<Stream> keep = Room::Get().streams[hDevice];
    Room::Get().streams.erase(hDevice);
    WaitForNotices(lk, *keep);
    return MMSYSERR_NOERROR;
}

// The head of the queue takes the frames from the first one not given to a buffer, or from the
// one being captured now if capture lost frames meanwhile, and is done when its last frame is
// captured or played.
void ScheduleHead(Stream& s)
{
    if (!s.bRunning || s.queue.empty() || s.nEvent)
        return;
    World& w = World::Get();
    const uint64_t nNow = s.FramesBy(w.Now());
    if (s.bInput && nNow > s.nNextFrame) {
        Room::Get().overruns[s.nDevice] += nNow - s.nNextFrame;
        s.nNextFrame = nNow;
    }
    s.nHeadFrame = s.nNextFrame;
    Stream* p = &s;
    s.nEvent = w.Schedule(s.FrameTime(s.nHeadFrame + s.FramesOf(*s.queue.front())),
                          [p] { CompleteHead(*p); });
}

}  // namespace sim::sound

// Playback: waveOut* on the virtual clock. A device plays its queue in order at its rate into
// the recorded sink of its output; see sound.h.
#include "platform/sim/sound/Driver.h"

#include <cstring>

using sim::Lock;
using sim::World;
using sim::sound::Room;
using sim::sound::Stream;

namespace sim::sound {

namespace {

// Records frames [0, nFrames) of hdr, the buffer that began at frame nHeadFrame.
void Record(const Stream& s, const WAVEHDR& hdr, uint64_t nFrames)
{
    std::vector<PlayedSample>& sink = Room::Get().played[s.nDevice];
    const uint64_t nChannels = s.wfx.nChannels;
    for (uint64_t f = 0; f < nFrames; ++f) {
        const uint64_t t = s.FrameTime(s.nHeadFrame + f);
        for (uint64_t c = 0; c < nChannels; ++c) {
            const uint64_t i = f * nChannels + c;
            int16_t v;
            if (s.wfx.wBitsPerSample == 8)
                v = static_cast<int16_t>((static_cast<unsigned char>(hdr.lpData[i]) - 128) * 256);
            else
                std::memcpy(&v, hdr.lpData + 2 * i, 2);
            sink.push_back({v, t});
        }
    }
}

void PlayHead(Stream& s)
{
    s.nEvent = 0;
    WAVEHDR& hdr = *s.queue.front();
    s.queue.pop_front();
    const uint64_t nFrames = s.FramesOf(hdr);
    Record(s, hdr, nFrames);
    s.nNextFrame = s.nHeadFrame + nFrames;
    s.bPlayedSinceReset = true;
    MarkDone(s, hdr, WOM_DONE);
    if (s.queue.empty())
        s.bRunning = false;  // ran dry
    else
        SchedulePlayback(s);
}

}  // namespace

void SchedulePlayback(Stream& s)
{
    if (!s.bRunning || s.queue.empty() || s.nEvent)
        return;
    s.nHeadFrame = s.nNextFrame;
    Stream* p = &s;
    s.nEvent = World::Get().Schedule(s.FrameTime(s.nHeadFrame + s.FramesOf(*s.queue.front())),
                                     [p] { PlayHead(*p); });
}

}  // namespace sim::sound

using namespace sim::sound;

MMRESULT WINAPI waveOutOpen(HWAVEOUT* phDevice, UINT nDevice, LPCWAVEFORMATEX pwfx,
                            DWORD_PTR nCallback, DWORD_PTR nInstance, DWORD nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!BeginCall(lk, "waveOutOpen", true))
        return MMSYSERR_ERROR;
    if (auto nResult = w.TakeFault("waveOutOpen"))
        return static_cast<MMRESULT>(*nResult);
    return OpenStream(lk, false, reinterpret_cast<void**>(phDevice), nDevice, pwfx, nCallback,
                      nInstance, nFlags);
}

UINT WINAPI waveOutPrepareHeader(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveOutPrepareHeader", h, false, lk, p))
        return r;
    return Prepare(pHdr, nSize);
}

UINT WINAPI waveOutUnprepareHeader(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveOutUnprepareHeader", h, false, lk, p))
        return r;
    return Unprepare(pHdr, nSize);
}

UINT WINAPI waveOutWrite(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveOutWrite", h, false, lk, p))
        return r;
    if (MMRESULT r = CheckHeader(pHdr, nSize))
        return r;
    const DWORD nFlags = Flags(*pHdr);
    if (!(nFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (nFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    SetFlags(*pHdr, (nFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE);
    p->queue.push_back(pHdr);
    if (!p->bRunning) {
        // Playback that ran dry and starts again leaves a gap in what is heard.
        if (p->bPlayedSinceReset)
            ++Room::Get().gaps[p->nDevice];
        p->bRunning = true;
        p->nOriginUs = w.Now();
        p->nNextFrame = 0;
        SchedulePlayback(*p);
    }
    return MMSYSERR_NOERROR;
}

// Ends playback and returns every queued buffer; what the head has played so far is heard.
UINT WINAPI waveOutReset(HWAVEOUT h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveOutReset", h, false, lk, p))
        return r;
    if (p->nEvent) {
        w.Cancel(p->nEvent);
        p->nEvent = 0;
    }
    bool bHead = p->bRunning;
    while (!p->queue.empty()) {
        WAVEHDR& hdr = *p->queue.front();
        p->queue.pop_front();
        if (bHead && p->FramesBy(w.Now()) > p->nHeadFrame)
            Record(*p, hdr, std::min(p->FramesOf(hdr), p->FramesBy(w.Now()) - p->nHeadFrame));
        bHead = false;
        MarkDone(*p, hdr, WOM_DONE);
    }
    p->bRunning = false;
    p->bPlayedSinceReset = false;
    if (!Room::Get().bLateCallbacks)
        WaitForNotices(lk, *p);
    return MMSYSERR_NOERROR;
}

UINT WINAPI waveOutClose(HWAVEOUT h)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveOutClose", h, false, lk, p, true))
        return r;
    if (!p->queue.empty())
        return WAVERR_STILLPLAYING;
    CloseStream(lk, *p);
    return MMSYSERR_NOERROR;
}

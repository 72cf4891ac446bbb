// Capture: waveIn* on the virtual clock. A started device gives its queued buffers, in order,
// the frames of its source; see sound.h.
#include "platform/sim/sound/Driver.h"

#include <cstring>

using sim::Lock;
using sim::World;
using sim::sound::Room;
using sim::sound::Stream;

namespace sim::sound {

namespace {

// Writes frames [nFirst, nFirst + nFrames) of the device's source into the data of hdr.
void Fill(const Stream& s, WAVEHDR& hdr, uint64_t nFirst, uint64_t nFrames)
{
    const SoundSource& source = Room::Get().inputs.size() > s.nDevice
                                    ? Room::Get().inputs[s.nDevice].source
                                    : SoundSource();
    const uint64_t nChannels = s.wfx.nChannels;
    for (uint64_t i = 0; i < nFrames * nChannels; ++i) {
        const int16_t v = source ? source(nFirst * nChannels + i) : int16_t(0);
        if (s.wfx.wBitsPerSample == 8)
            hdr.lpData[i] = static_cast<char>((v >> 8) + 128);
        else
            std::memcpy(hdr.lpData + 2 * i, &v, 2);
    }
    hdr.dwBytesRecorded = static_cast<DWORD>(nFrames * s.wfx.nBlockAlign);
}

void CaptureHead(Stream& s)
{
    s.nEvent = 0;
    WAVEHDR& hdr = *s.queue.front();
    s.queue.pop_front();
    const uint64_t nFrames = s.FramesOf(hdr);
    Fill(s, hdr, s.nHeadFrame, nFrames);
    s.nNextFrame = s.nHeadFrame + nFrames;
    MarkDone(s, hdr, WIM_DATA);
    ScheduleCapture(s);
}

}  // namespace

// The head of the queue takes the frames from the first one not given to a buffer, or from the
// one being captured now if frames were lost meanwhile, and is done when its last is captured.
void ScheduleCapture(Stream& s)
{
    if (!s.bRunning || s.queue.empty() || s.nEvent)
        return;
    World& w = World::Get();
    const uint64_t nNow = s.FramesBy(w.Now());
    if (nNow > s.nNextFrame) {
        Room::Get().overruns[s.nDevice] += nNow - s.nNextFrame;
        s.nNextFrame = nNow;
    }
    s.nHeadFrame = s.nNextFrame;
    Stream* p = &s;
    s.nEvent = w.Schedule(s.FrameTime(s.nHeadFrame + s.FramesOf(*s.queue.front())),
                          [p] { CaptureHead(*p); });
}

}  // namespace sim::sound

using namespace sim::sound;

MMRESULT WINAPI waveInOpen(HWAVEIN* phDevice, UINT nDevice, LPCWAVEFORMATEX pwfx,
                           DWORD_PTR nCallback, DWORD_PTR nInstance, DWORD nFlags)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (!BeginCall(lk, "waveInOpen", true))
        return MMSYSERR_ERROR;
    if (auto nResult = w.TakeFault("waveInOpen"))
        return static_cast<MMRESULT>(*nResult);
    return OpenStream(lk, true, reinterpret_cast<void**>(phDevice), nDevice, pwfx, nCallback,
                      nInstance, nFlags);
}

UINT WINAPI waveInPrepareHeader(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInPrepareHeader", h, true, lk, p))
        return r;
    return Prepare(pHdr, nSize);
}

UINT WINAPI waveInUnprepareHeader(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInUnprepareHeader", h, true, lk, p))
        return r;
    return Unprepare(pHdr, nSize);
}

UINT WINAPI waveInAddBuffer(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInAddBuffer", h, true, lk, p))
        return r;
    if (MMRESULT r = CheckHeader(pHdr, nSize))
        return r;
    const DWORD nFlags = Flags(*pHdr);
    if (!(nFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (nFlags & WHDR_INQUEUE) {
        // Windows documents no refusal here, and Wine queues the header a second time.
        World::Get().Misuse("waveInAddBuffer of a header that is still queued");
        return WAVERR_STILLPLAYING;
    }
    pHdr->dwBytesRecorded = 0;
    SetFlags(*pHdr, (nFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE);
    p->queue.push_back(pHdr);
    ScheduleCapture(*p);
    return MMSYSERR_NOERROR;
}

UINT WINAPI waveInStart(HWAVEIN h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInStart", h, true, lk, p))
        return r;
    if (!p->bRunning) {
        p->bRunning = true;
        p->nOriginUs = w.Now();
        p->nNextFrame = 0;
        ScheduleCapture(*p);
    }
    return MMSYSERR_NOERROR;
}

// Ends capture and returns every queued buffer: the head with what it has captured so far.
UINT WINAPI waveInReset(HWAVEIN h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInReset", h, true, lk, p))
        return r;
    if (p->nEvent) {
        w.Cancel(p->nEvent);
        p->nEvent = 0;
    }
    bool bHead = p->bRunning;
    while (!p->queue.empty()) {
        WAVEHDR& hdr = *p->queue.front();
        p->queue.pop_front();
        uint64_t nFrames = 0;
        if (bHead && p->FramesBy(w.Now()) > p->nHeadFrame)
            nFrames = std::min(p->FramesOf(hdr), p->FramesBy(w.Now()) - p->nHeadFrame);
        Fill(*p, hdr, p->nHeadFrame, nFrames);
        bHead = false;
        MarkDone(*p, hdr, WIM_DATA);
    }
    p->bRunning = false;
    if (!Room::Get().bLateCallbacks)
        WaitForNotices(lk, *p);
    return MMSYSERR_NOERROR;
}

UINT WINAPI waveInClose(HWAVEIN h)
{
    Lock lk = World::Get().Acquire();
    Stream* p;
    if (MMRESULT r = DeviceCall("waveInClose", h, true, lk, p, true))
        return r;
    if (!p->queue.empty())
        return WAVERR_STILLPLAYING;
    CloseStream(lk, *p);
    return MMSYSERR_NOERROR;
}

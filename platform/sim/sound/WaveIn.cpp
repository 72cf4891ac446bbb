// Capture: waveIn* on the virtual clock. A started device gives its queued buffers, in order,
// the frames of its source; see sound.h.
#include "platform/sim/sound/Driver.h"

#include <cstring>

using sim::Lock;
using sim::World;
using sim::sound::Room;
using sim::sound::Stream;

namespace sim::sound {

void Fill(const Stream& s, WAVEHDR& hdr, uint64_t nFrames)
{
    const SoundSource& source = Room::Get().inputs.size() > s.nDevice
                                    ? Room::Get().inputs[s.nDevice].source
                                    : SoundSource();
    const uint64_t nChannels = s.wfx.nChannels;
    for (uint64_t i = 0; i < nFrames * nChannels; ++i) {
        const int16_t v = source ? source(s.nHeadFrame * nChannels + i) : int16_t(0);
        if (s.wfx.wBitsPerSample == 8)
            hdr.lpData[i] = static_cast<char>((v >> 8) + 128);
        else
            std::memcpy(hdr.lpData + 2 * i, &v, 2);
    }
    hdr.dwBytesRecorded = static_cast<DWORD>(nFrames * s.wfx.nBlockAlign);
}

}  // namespace sim::sound

using namespace sim::sound;

MMRESULT WINAPI waveInOpen(HWAVEIN* phDevice, UINT nDevice, LPCWAVEFORMATEX pwfx,
                           DWORD_PTR nCallback, DWORD_PTR nInstance, DWORD nFlags)
{
    return OpenStream("waveInOpen", true, reinterpret_cast<void**>(phDevice), nDevice, pwfx,
                      nCallback, nInstance, nFlags);
}

UINT WINAPI waveInPrepareHeader(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    return SetPrepared("waveInPrepareHeader", h, true, pHdr, nSize, true);
}

UINT WINAPI waveInUnprepareHeader(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    return SetPrepared("waveInUnprepareHeader", h, true, pHdr, nSize, false);
}

UINT WINAPI waveInAddBuffer(HWAVEIN h, WAVEHDR* pHdr, UINT nSize)
{
    return QueueHeader("waveInAddBuffer", h, true, pHdr, nSize);
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
        ScheduleHead(*p);
    }
    return MMSYSERR_NOERROR;
}

UINT WINAPI waveInReset(HWAVEIN h)
{
    return ResetStream("waveInReset", h, true);
}

UINT WINAPI waveInClose(HWAVEIN h)
{
    return CloseStream("waveInClose", h, true);
}

// Playback: waveOut* on the virtual clock. A device plays its queue in order at its rate into
// the recorded sink of its output; see sound.h.
#include "platform/sim/sound/Driver.h"

#include <cstring>

using sim::sound::Room;
using sim::sound::Stream;

namespace sim::sound {

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

}  // namespace sim::sound

using namespace sim::sound;

MMRESULT WINAPI waveOutOpen(HWAVEOUT* phDevice, UINT nDevice, LPCWAVEFORMATEX pwfx,
                            DWORD_PTR nCallback, DWORD_PTR nInstance, DWORD nFlags)
{
    return OpenStream("waveOutOpen", false, reinterpret_cast<void**>(phDevice), nDevice, pwfx,
                      nCallback, nInstance, nFlags);
}

UINT WINAPI waveOutPrepareHeader(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    return SetPrepared("waveOutPrepareHeader", h, false, pHdr, nSize, true);
}

UINT WINAPI waveOutUnprepareHeader(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    return SetPrepared("waveOutUnprepareHeader", h, false, pHdr, nSize, false);
}

UINT WINAPI waveOutWrite(HWAVEOUT h, WAVEHDR* pHdr, UINT nSize)
{
    return QueueHeader("waveOutWrite", h, false, pHdr, nSize);
}

UINT WINAPI waveOutReset(HWAVEOUT h)
{
    return ResetStream("waveOutReset", h, false);
}

UINT WINAPI waveOutClose(HWAVEOUT h)
{
    return CloseStream("waveOutClose", h, false);
}

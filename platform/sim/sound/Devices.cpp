// The sound devices a test configures, their listing (waveInGetNumDevs, waveInGetDevCapsA and
// the output counterparts), the test's view of the room, and the multimedia clock.
#include "platform/sim/sound/Driver.h"

#include <cstring>

using sim::Lock;
using sim::World;
using sim::sound::Room;
using sim::sound::Stream;

namespace sim::sound {

Room& Room::Get()
{
    static Room* pRoom = new Room;
    return *pRoom;
}

void Room::Reset()
{
    inputs = {SoundDevice{"Sim Microphone", {}, {}}};
    outputs = {SoundDevice{"Sim Speaker", {}, {}}};
    played.clear();
    gaps.clear();
    overruns.clear();
    bLateCallbacks = false;
    nCallbackDelayUs = 0;
    holds.clear();
}

namespace {

bool Overlaps(const void* pA, size_t nA, const void* pB, size_t nB)
{
    const auto a = reinterpret_cast<uintptr_t>(pA), b = reinterpret_cast<uintptr_t>(pB);
    return a < b + nB && b < a + nA;
}

// Freeing a block that a driver still reads or writes corrupts memory on Windows.
void GuardQueuedHeaders(const void* p, size_t n)
{
    World& w = World::Get();
    for (const auto& [h, pStream] : Room::Get().streams)
        for (const WAVEHDR* pHdr : pStream->queue) {
            if (Overlaps(p, n, pHdr, sizeof(WAVEHDR)))
                w.Misuse("GlobalFree of a wave header that a device still holds");
            else if (Overlaps(p, n, pHdr->lpData, pHdr->dwBufferLength))
                w.Misuse("GlobalFree of the data of a wave header that a device still holds");
        }
}

// Registered with the world when the program starts.
const bool g_bRegistered = [] {
    World& w = World::Get();
    Lock lk = w.Acquire();
    Room::Get().Reset();
    w.OnReset([] { Room::Get().Reset(); });
    w.m_memoryGuards.push_back(GuardQueuedHeaders);
    return true;
}();

DWORD FormatsOf(const SoundDevice& device)
{
    static const DWORD nRates[] = {11025, 22050, 44100, 48000, 96000};
    DWORD nFormats = 0, nBit = 1;
    for (DWORD nRate : nRates)
        for (WORD nChannels : {1, 2})
            for (WORD nBits : {8, 16}) {
                WAVEFORMATEX f{};
                f.wFormatTag = WAVE_FORMAT_PCM;
                f.nChannels = nChannels;
                f.nSamplesPerSec = nRate;
                f.wBitsPerSample = nBits;
                f.nBlockAlign = static_cast<WORD>(nChannels * nBits / 8);
                f.nAvgBytesPerSec = nRate * f.nBlockAlign;
                if (device.accepts ? device.accepts(f) : true)
                    nFormats |= nBit;
                nBit <<= 1;
            }
    return nFormats;
}

// The loops above give the bits in WAVE_FORMAT_1M08 .. WAVE_FORMAT_96S16 order.
static_assert(WAVE_FORMAT_1S08 == 2 && WAVE_FORMAT_1M16 == 4 && WAVE_FORMAT_2M08 == 0x10,
              "mono/stereo inside 8/16 bits inside rates");

template <class TCaps>
UINT GetCaps(const char* pszCall, const std::vector<SoundDevice>& devices, UINT_PTR nDevice,
             TCaps* pCaps, UINT nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (auto nResult = w.TakeFault(pszCall))
        return static_cast<UINT>(*nResult);
    if (nDevice >= devices.size())
        return MMSYSERR_BADDEVICEID;
    if (!pCaps)
        return MMSYSERR_INVALPARAM;
    TCaps caps{};
    caps.vDriverVersion = 0x0100;
    // A name of 32 bytes or more fills szPname without a terminator, as Wine can give it.
    const std::string& name = devices[nDevice].name;
    std::memcpy(caps.szPname, name.data(), std::min(name.size(), sizeof caps.szPname));
    caps.dwFormats = FormatsOf(devices[nDevice]);
    caps.wChannels = 2;
    std::memcpy(pCaps, &caps, std::min<size_t>(nSize, sizeof caps));
    return MMSYSERR_NOERROR;
}

template <class T>
UINT CountDevices(const char* pszCall, const std::vector<T>& devices)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (auto nResult = w.TakeFault(pszCall))
        return static_cast<UINT>(*nResult);
    return static_cast<UINT>(devices.size());
}

}  // namespace

}  // namespace sim::sound

UINT WINAPI waveInGetNumDevs(void)
{
    return sim::sound::CountDevices("waveInGetNumDevs", Room::Get().inputs);
}

UINT WINAPI waveOutGetNumDevs(void)
{
    return sim::sound::CountDevices("waveOutGetNumDevs", Room::Get().outputs);
}

UINT WINAPI waveInGetDevCapsA(UINT_PTR nDevice, LPWAVEINCAPSA pCaps, UINT nSize)
{
    return sim::sound::GetCaps("waveInGetDevCapsA", Room::Get().inputs, nDevice, pCaps, nSize);
}

UINT WINAPI waveOutGetDevCapsA(UINT_PTR nDevice, LPWAVEOUTCAPSA pCaps, UINT nSize)
{
    return sim::sound::GetCaps("waveOutGetDevCapsA", Room::Get().outputs, nDevice, pCaps, nSize);
}

DWORD WINAPI timeGetTime(void)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    return static_cast<DWORD>(w.Now() / 1000);
}

// ---- the test's view (sound.h)

namespace sim {

SoundSource Samples(std::vector<int16_t> samples)
{
    return [samples = std::move(samples)](uint64_t n) {
        return n < samples.size() ? samples[n] : int16_t(0);
    };
}

void SetWaveInDevices(std::vector<SoundDevice> devices)
{
    Lock lk = World::Get().Acquire();
    Room::Get().inputs = std::move(devices);
}

void SetWaveOutDevices(std::vector<SoundDevice> devices)
{
    Lock lk = World::Get().Acquire();
    Room::Get().outputs = std::move(devices);
}

std::vector<PlayedSample> PlayedSamples(UINT nDevice)
{
    Lock lk = World::Get().Acquire();
    return Room::Get().played[nDevice];
}

int PlaybackGaps(UINT nDevice)
{
    Lock lk = World::Get().Acquire();
    return Room::Get().gaps[nDevice];
}

uint64_t CaptureOverruns(UINT nDevice)
{
    Lock lk = World::Get().Acquire();
    return Room::Get().overruns[nDevice];
}

void SetWaveCallbackDelay(uint64_t nMicroseconds)
{
    Lock lk = World::Get().Acquire();
    Room::Get().bLateCallbacks = true;
    Room::Get().nCallbackDelayUs = nMicroseconds;
}

void HoldWaveCall(const std::string& call, Gate& gate, int nSkip)
{
    Lock lk = World::Get().Acquire();
    Room::Get().holds.push_back({call, &gate, nSkip});
}

namespace {

std::vector<const WAVEHDR*> Queued(void* hDevice, bool bInput)
{
    Lock lk = World::Get().Acquire();
    const Stream* p = sim::sound::FindStream(hDevice, bInput);
    if (!p)
        return {};
    return std::vector<const WAVEHDR*>(p->queue.begin(), p->queue.end());
}

}  // namespace

std::vector<const WAVEHDR*> QueuedHeaders(HWAVEIN hDevice)
{
    return Queued(hDevice, true);
}

std::vector<const WAVEHDR*> QueuedHeaders(HWAVEOUT hDevice)
{
    return Queued(hDevice, false);
}

std::vector<HWAVEIN> OpenWaveIns()
{
    Lock lk = World::Get().Acquire();
    std::vector<HWAVEIN> handles;
    for (const auto& [h, pStream] : Room::Get().streams)
        if (pStream->bInput && !pStream->bEnding)
            handles.push_back(static_cast<HWAVEIN>(h));
    return handles;
}

std::vector<HWAVEOUT> OpenWaveOuts()
{
    Lock lk = World::Get().Acquire();
    std::vector<HWAVEOUT> handles;
    for (const auto& [h, pStream] : Room::Get().streams)
        if (!pStream->bInput && !pStream->bEnding)
            handles.push_back(static_cast<HWAVEOUT>(h));
    return handles;
}

}  // namespace sim

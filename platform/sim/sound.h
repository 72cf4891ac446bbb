// What a host test sees of the simulated sound devices (waveform audio on the virtual clock).
//
// Devices. A test lists the input and the output devices (names, accepted formats, what an
// input hears). After ResetWorld there is one of each: "Sim Microphone", hearing silence, and
// "Sim Speaker"; WAVE_MAPPER opens device 0 (but has no capabilities of its own to list).
//
// Capture. A started input device captures one frame every 1/rate s from waveInStart on, into
// the first queued buffer; a buffer of n frames is done at the exact microsecond its nth frame
// is captured (dwBytesRecorded set, WHDR_DONE set and WHDR_INQUEUE cleared, then WIM_DATA). Frames
// captured while nothing is queued are lost (an overrun). A reset ends capture and returns every
// queued buffer, the first with the frames captured so far, the others with 0 recorded bytes.
//
// Playback. An output device plays its queue in order at its rate, from the first write on; each
// buffer is done (WOM_DONE) when its last frame has been played. Every played sample is recorded
// with the virtual time of its frame. When the queue runs dry and a later write starts playback
// again, that is a gap; a reset ends playback (the samples played so far count) and returns every
// queued buffer.
//
// Callbacks. Each open device has a driver thread of its own that calls its callback function,
// in order: WIM_OPEN/WOM_OPEN inside the open call, the buffer notices, WIM_CLOSE/WOM_CLOSE inside
// the close call (which first delivers every notice still owed). By default a reset also returns
// only once the notices of the buffers it returned have been delivered.
//
// Sent messages. waveInOpen, waveOutOpen, waveInClose and waveOutClose wait for winmm's own
// thread in a cross-thread SendMessage, as Wine's do (a Windows driver may do the same): the
// calling thread first handles the window messages other threads have sent it, and while a test
// holds the call (HoldWaveCall) it handles those sent meanwhile.
//
// Misuse. Freeing memory that holds a queued header, or the data of one, is misuse; so is a wave
// call made from inside a callback (on Windows it deadlocks), and queueing a capture header that
// is still queued (Windows documents no refusal; Wine takes it twice).
//
// Where Windows and Wine differ the simulation is Windows: a close with buffers still queued
// fails with WAVERR_STILLPLAYING (Wine closes and never returns them).
#pragma once

#include "platform/win32.h"
#include "platform/sim/sim.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// The samples an input device hears: nSample counts samples (interleaved as the device was
// opened, left first) from waveInStart on.
using SoundSource = std::function<int16_t(uint64_t nSample)>;
// A source that plays these samples once, then silence.
SoundSource Samples(std::vector<int16_t> samples);

struct SoundDevice
{
    // Bytes (code page 932) as waveInGetDevCapsA/waveOutGetDevCapsA give them in szPname; a name of
    // 32 bytes or more fills all 32 without a terminating zero, as Wine can give one.
    std::string name;
    // Whether the device opens a format; empty: every PCM format of 8 or 16 bits and 1 or 2
    // channels from 8,000 to 192,000 Hz whose nBlockAlign and nAvgBytesPerSec agree with it.
    std::function<bool(const WAVEFORMATEX&)> accepts;
    SoundSource source;  // inputs only; empty: silence
};

void SetWaveInDevices(std::vector<SoundDevice> devices);
void SetWaveOutDevices(std::vector<SoundDevice> devices);

struct PlayedSample
{
    int16_t nValue;    // 8-bit samples are widened: (byte - 128) * 256
    uint64_t nTimeUs;  // virtual time at which its frame was played
};
// Everything output device nDevice has played since the world was last reset, in order.
std::vector<PlayedSample> PlayedSamples(UINT nDevice);
int PlaybackGaps(UINT nDevice);
// Frames input device nDevice captured with no buffer queued.
uint64_t CaptureOverruns(UINT nDevice);

// Late callbacks: from now on each buffer notice (WIM_DATA, WOM_DONE) reaches the callback
// nMicroseconds of virtual time after its buffer is done, and a reset returns without waiting
// for the notices it caused. 0 delivers them at once, on the driver thread, racing the caller.
void SetWaveCallbackDelay(uint64_t nMicroseconds);

// Makes the named wave call ("waveInAddBuffer" ...) wait at the gate, before it does anything,
// after letting nSkip calls through; once.
void HoldWaveCall(const std::string& call, Gate& gate, int nSkip = 0);

// The devices open now (a program may leave one open after its close failed).
std::vector<HWAVEIN> OpenWaveIns();
std::vector<HWAVEOUT> OpenWaveOuts();

// The headers a device holds, in its queue order; empty for a handle that is not open.
std::vector<const WAVEHDR*> QueuedHeaders(HWAVEIN hDevice);
std::vector<const WAVEHDR*> QueuedHeaders(HWAVEOUT hDevice);

}  // namespace sim

// The sound room's own state: the configured devices, the open devices (streams) with their
// queues and driver threads, and what the sinks recorded. Everything here is guarded by the
// world lock.
#pragma once

#include "platform/sim/kernel/World.h"
#include "platform/sim/sound.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim::sound {

// A callback notice owed to the program.
struct Notice
{
    UINT nMessage;
    DWORD_PTR nParam1;
    uint64_t nDueUs;
};

// One open wave device.
struct Stream
{
    bool bInput = false;
    UINT nDevice = 0;
    void* hDevice = nullptr;
    WAVEFORMATEX wfx{};
    DWORD_PTR nCallback = 0;  // a function, or 0 for CALLBACK_NULL
    DWORD_PTR nInstance = 0;
    std::deque<WAVEHDR*> queue;

    // The driver thread and the notices it owes; a reset or close that waits for its notices
    // waits until nDelivered has reached what it posted.
    std::shared_ptr<ThreadState> pDriver;
    std::deque<Notice> notices;
    uint64_t nPosted = 0;
    uint64_t nDelivered = 0;
    bool bEnding = false;  // closed: the driver ends once every notice is delivered
    WaitList deliveryWaiters;

    // The current run (capture from waveInStart, playback from the first write): frame f of
    // the run starts at FrameTime(f). The head of the queue takes frames from nHeadFrame on.
    bool bRunning = false;
    uint64_t nOriginUs = 0;
    uint64_t nNextFrame = 0;  // the first frame not yet given to a buffer
    uint64_t nHeadFrame = 0;
    uint64_t nEvent = 0;  // the head's completion on the clock, or 0
    bool bPlayedSinceReset = false;

    uint64_t FrameTime(uint64_t nFrame) const;
    uint64_t FramesBy(uint64_t nTimeUs) const;  // frames completed by then
    uint64_t FramesOf(const WAVEHDR& hdr) const { return hdr.dwBufferLength / wfx.nBlockAlign; }
};

struct Hold
{
    std::string call;
    Gate* pGate;
    int nSkip;
};

struct Room
{
    static Room& Get();

    std::vector<SoundDevice> inputs;
    std::vector<SoundDevice> outputs;
    std::map<void*, std::shared_ptr<Stream>> streams;
    uintptr_t nNextHandle = 0x50000;
    std::map<UINT, std::vector<PlayedSample>> played;
    std::map<UINT, int> gaps;
    std::map<UINT, uint64_t> overruns;
    bool bLateCallbacks = false;
    uint64_t nCallbackDelayUs = 0;
    std::vector<Hold> holds;

    void Reset();
};

// A call on an open device: the start of every wave call (Streams.cpp), a fault injected into
// it, and the device's stream.
MMRESULT DeviceCall(const char* pszCall, void* hDevice, bool bInput, Lock& lk, Stream*& pStream,
                    bool bSends = false);
Stream* FindStream(void* hDevice, bool bInput);

// The wave calls that capture and playback share, as waveIn* (bInput) or waveOut*; pszCall is
// the call's name.
MMRESULT OpenStream(const char* pszCall, bool bInput, void** phDevice, UINT nDevice,
                    const WAVEFORMATEX* pwfx, DWORD_PTR nCallback, DWORD_PTR nInstance,
                    DWORD nFlags);
MMRESULT SetPrepared(const char* pszCall, void* hDevice, bool bInput, WAVEHDR* pHdr, UINT nSize,
                     bool bPrepared);
MMRESULT QueueHeader(const char* pszCall, void* hDevice, bool bInput, WAVEHDR* pHdr, UINT nSize);
MMRESULT ResetStream(const char* pszCall, void* hDevice, bool bInput);
MMRESULT CloseStream(const char* pszCall, void* hDevice, bool bInput);

// Schedules the completion of the head of the queue of a running stream.
void ScheduleHead(Stream& s);
// What a run does with the frames [nHeadFrame, nHeadFrame + nFrames) of a buffer: capture
// (WaveIn.cpp) writes the source's into it, playback (WaveOut.cpp) records its as heard.
void Fill(const Stream& s, WAVEHDR& hdr, uint64_t nFrames);
void Record(const Stream& s, const WAVEHDR& hdr, uint64_t nFrames);

}  // namespace sim::sound

// loopback: test equipment for the sound bench, not part of the product. A plain winmm loop
// that captures from one device and plays every block on another, so that the bench can be
// proved, and the floor of the devices measured, without the real program:
//
//   loopback [--in NAME] [--out NAME] [--rate HZ] [--channels 1|2] [--time MS] [--buffers N]
//            [--seconds S] [--trace FILE] [--list]
//
// Devices are found by their exact name (the default device without --in/--out). --buffers
// capture buffers of --time ms each are kept queued, and as many playback buffers again; a
// captured block is written to playback as soon as it returns, unchanged. On exit it prints
// how many blocks went round and how many found no free playback buffer; --trace writes a
// line per captured block: milliseconds since start, and how many playback buffers were
// still queued when it came (to tell a late capture from a slow playback).
//
// One thread does everything: it waits on the capture event, so no callback runs code here.
#include "platform/win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string in;
    std::string out;
    int nRate = 44100;
    int nChannels = 1;
    int nTimeMs = 100;
    int nBuffers = 3;
    int nSeconds = 10;
    std::string trace;
    bool bList = false;
};

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (a == "--list") {
            o.bList = true;
        } else if (a == "--in" && bHasValue) {
            o.in = argv[++i];
        } else if (a == "--out" && bHasValue) {
            o.out = argv[++i];
        } else if (a == "--rate" && bHasValue) {
            o.nRate = std::atoi(argv[++i]);
        } else if (a == "--channels" && bHasValue) {
            o.nChannels = std::atoi(argv[++i]);
        } else if (a == "--time" && bHasValue) {
            o.nTimeMs = std::atoi(argv[++i]);
        } else if (a == "--buffers" && bHasValue) {
            o.nBuffers = std::atoi(argv[++i]);
        } else if (a == "--seconds" && bHasValue) {
            o.nSeconds = std::atoi(argv[++i]);
        } else if (a == "--trace" && bHasValue) {
            o.trace = argv[++i];
        } else {
            std::fprintf(stderr, "loopback: unknown or incomplete option %s\n", a.c_str());
            return false;
        }
    }
    if (o.nRate < 8000 || o.nRate > 192000 || o.nChannels < 1 || o.nChannels > 2 || o.nTimeMs < 5 || o.nTimeMs > 2000 ||
        o.nBuffers < 1 || o.nBuffers > 64 || o.nSeconds < 1) {
        std::fprintf(stderr, "loopback: an option is out of range\n");
        return false;
    }
    return true;
}

void ListDevices()
{
    for (UINT i = 0; i < waveInGetNumDevs(); ++i) {
        WAVEINCAPSA caps{};
        if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
            std::printf("in  %u %s\n", i, caps.szPname);
    }
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
            std::printf("out %u %s\n", i, caps.szPname);
    }
}

// The index of the device named so, WAVE_MAPPER for an empty name, or -2 if there is none.
// Device names are at most MAXPNAMELEN - 1 characters, so a longer name is compared cut.
long long FindDevice(const std::string& name, bool bInput)
{
    if (name.empty())
        return static_cast<long long>(WAVE_MAPPER);
    const std::string cut = name.substr(0, MAXPNAMELEN - 1);
    const UINT n = bInput ? waveInGetNumDevs() : waveOutGetNumDevs();
    for (UINT i = 0; i < n; ++i) {
        char szName[MAXPNAMELEN] = {};
        if (bInput) {
            WAVEINCAPSA caps{};
            if (waveInGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR)
                continue;
            std::memcpy(szName, caps.szPname, sizeof szName);
        } else {
            WAVEOUTCAPSA caps{};
            if (waveOutGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR)
                continue;
            std::memcpy(szName, caps.szPname, sizeof szName);
        }
        szName[MAXPNAMELEN - 1] = '\0';
        if (cut == szName)
            return i;
    }
    return -2;
}

struct Block {
    WAVEHDR hdr{};
    std::vector<int16_t> data;
};

// The driver sets WHDR_DONE on its own thread; this thread reads it with an atomic load.
bool IsDone(const Block& b)
{
    return (__atomic_load_n(&b.hdr.dwFlags, __ATOMIC_ACQUIRE) & WHDR_DONE) != 0;
}

int Run(const Options& o)
{
    const long long nIn = FindDevice(o.in, true);
    const long long nOut = FindDevice(o.out, false);
    if (nIn == -2 || nOut == -2) {
        std::fprintf(stderr, "loopback: no device named %s\n", nIn == -2 ? o.in.c_str() : o.out.c_str());
        ListDevices();
        return 2;
    }

    WAVEFORMATEX fmt{};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = static_cast<WORD>(o.nChannels);
    fmt.nSamplesPerSec = static_cast<DWORD>(o.nRate);
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = static_cast<WORD>(2 * o.nChannels);
    fmt.nAvgBytesPerSec = fmt.nSamplesPerSec * fmt.nBlockAlign;

    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEIN hIn = nullptr;
    HWAVEOUT hOut = nullptr;
    MMRESULT r = waveOutOpen(&hOut, static_cast<UINT>(nOut), &fmt, 0, 0, CALLBACK_NULL);
    if (r != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "loopback: waveOutOpen failed (%u)\n", r);
        CloseHandle(hEvent);
        return 3;
    }
    r = waveInOpen(&hIn, static_cast<UINT>(nIn), &fmt, reinterpret_cast<DWORD_PTR>(hEvent), 0, CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "loopback: waveInOpen failed (%u)\n", r);
        waveOutClose(hOut);
        CloseHandle(hEvent);
        return 3;
    }

    // Both pools live until the devices are reset and closed below: the driver holds a
    // queued header and its data, so neither vector may move or be freed before then.
    const size_t nSamples = static_cast<size_t>(o.nRate) * static_cast<size_t>(o.nTimeMs) / 1000 * static_cast<size_t>(o.nChannels);
    std::vector<Block> capture(static_cast<size_t>(o.nBuffers));
    std::vector<Block> playback(static_cast<size_t>(o.nBuffers) + 1);
    auto setUp = [&](Block& b) {
        b.data.assign(nSamples, 0);
        b.hdr.lpData = reinterpret_cast<LPSTR>(b.data.data());
        b.hdr.dwBufferLength = static_cast<DWORD>(nSamples * 2);
    };
    for (Block& b : capture) {
        setUp(b);
        waveInPrepareHeader(hIn, &b.hdr, sizeof b.hdr);
        waveInAddBuffer(hIn, &b.hdr, sizeof b.hdr);
    }
    for (Block& b : playback) {
        setUp(b);
        waveOutPrepareHeader(hOut, &b.hdr, sizeof b.hdr);
        b.hdr.dwFlags |= WHDR_DONE;  // free until written
    }

    long nBlocks = 0;
    long nNoBuffer = 0;
    size_t nNextIn = 0;
    FILE* pTrace = o.trace.empty() ? nullptr : std::fopen(o.trace.c_str(), "w");
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const DWORD nStart = GetTickCount();
    waveInStart(hIn);
    std::printf("loopback: running %d ms x %d buffers at %d Hz, %d channels\n", o.nTimeMs, o.nBuffers, o.nRate, o.nChannels);
    std::fflush(stdout);
    while (GetTickCount() - nStart < static_cast<DWORD>(o.nSeconds) * 1000) {
        WaitForSingleObject(hEvent, 50);
        // Capture buffers return in the order they were queued.
        for (;;) {
            Block& in = capture[nNextIn];
            if (!IsDone(in))
                break;
            const size_t nRecorded = in.hdr.dwBytesRecorded / 2;
            if (pTrace) {
                LARGE_INTEGER now;
                QueryPerformanceCounter(&now);
                const long nQueued = std::count_if(playback.begin(), playback.end(), [](const Block& b) { return !IsDone(b); });
                std::fprintf(pTrace, "%.2f %ld\n", static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart), nQueued);
            }
            auto it = std::find_if(playback.begin(), playback.end(), IsDone);
            if (it == playback.end()) {
                ++nNoBuffer;
            } else {
                std::copy_n(in.data.begin(), nRecorded, it->data.begin());
                it->hdr.dwBufferLength = static_cast<DWORD>(nRecorded * 2);
                it->hdr.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                waveOutWrite(hOut, &it->hdr, sizeof it->hdr);
            }
            ++nBlocks;
            in.hdr.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            waveInAddBuffer(hIn, &in.hdr, sizeof in.hdr);
            nNextIn = (nNextIn + 1) % capture.size();
        }
    }

    // Reset returns every queued header; only then may the headers be unprepared and freed.
    waveInReset(hIn);
    waveOutReset(hOut);
    for (Block& b : capture)
        waveInUnprepareHeader(hIn, &b.hdr, sizeof b.hdr);
    for (Block& b : playback)
        waveOutUnprepareHeader(hOut, &b.hdr, sizeof b.hdr);
    waveInClose(hIn);
    waveOutClose(hOut);
    CloseHandle(hEvent);
    if (pTrace)
        std::fclose(pTrace);
    std::printf("loopback: %ld blocks, %ld without a free playback buffer\n", nBlocks, nNoBuffer);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseOptions(argc, argv, o))
        return 1;
    if (o.bList) {
        ListDevices();
        return 0;
    }
    return Run(o);
}

// Capture and playback devices for the host tests: their hooks record what arrives, on the
// virtual clock, and their protected state is open to the tests. Every hook checks that its
// object is still alive, so a hook that runs on a deleted device fails the test even without
// AddressSanitizer.
#pragma once

#include "platform/sim/sim.h"
#include "platform/sim/sound.h"
#include "wave/WaveBuffer.h"
#include "wave/WaveIn.h"
#include "wave/WaveOut.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <set>
#include <vector>

// The test devices alive now.
class CLiveDevices
{
public:
    static void Add(const void* p);
    static void Remove(const void* p);
    static bool Has(const void* p);
};

struct Block
{
    CWaveBuffer* pBuffer;
    DWORD nBytes;
    std::vector<int16_t> samples;
    uint64_t nTimeUs;  // when OnBuffer ran
};

class CTestWaveIn final : public CWaveIn
{
public:
    CTestWaveIn() { CLiveDevices::Add(this); }
    ~CTestWaveIn() { CLiveDevices::Remove(this); }

    using CWaveIn::m_bRecording;
    using CWaveIn::m_hWaveIn;
    using CWaveIn::m_nDevices;
    using CWaveIn::m_nError;
    using CWaveIn::m_pBuffer;
    using CWaveIn::m_pThread;
    using CWaveIn::m_wfx;

    void OnOpen() override;
    void OnClose() override;
    void OnBuffer(CWaveBuffer* pBuffer) override;

    // Filled on the worker thread; read by the test once the world has settled.
    std::vector<Block> m_blocks;
    std::vector<Block>* m_pLog = nullptr;  // a copy of every block, kept by the test
    int m_nOpens = 0;
    int m_nCloses = 0;
    bool m_bWorkerGoneAtClose = false;
    sim::Gate* m_pGate = nullptr;  // OnBuffer waits here when set
};

class CTestWaveOut final : public CWaveOut
{
public:
    CTestWaveOut() { CLiveDevices::Add(this); }
    ~CTestWaveOut() { CLiveDevices::Remove(this); }

    using CWaveOut::m_hWaveOut;
    using CWaveOut::m_nDevices;
    using CWaveOut::m_nError;
    using CWaveOut::m_pThread;
    using CWaveOut::m_wfx;

    void OnOpen() override;
    void OnClose() override;
    void OnBuffer(CWaveBuffer* pBuffer) override;

    std::vector<CWaveBuffer*> m_returned;
    int m_nOpens = 0;
    int m_nCloses = 0;
    bool m_bWorkerAliveAtClose = false;
    sim::Gate* m_pGate = nullptr;
};

// Samples 0, 1, 2 ... (wrapping at 16 bits): every sample says where it came from.
int16_t Ramp(uint64_t nSample);

// Opens the gate after nMilliseconds of virtual time, from a simulated thread of its own (a
// test's thread may be blocked inside the program meanwhile). Wait for it with the handle.
HANDLE OpenGateLater(sim::Gate& gate, DWORD nMilliseconds);

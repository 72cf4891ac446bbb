// The feedback echo of one captured block.
#pragma once

#include <cstdint>

// The echo ring: one slot per sample, interleaved like the sound itself, so each channel
// keeps its own echo. A power of two so that both positions wrap with a mask; it holds the
// longest delay the panel allows (2 channels x 96,000 Hz x 1 s = 192,000 samples).
constexpr int ECHO_RING_SAMPLES = 0x40000;
constexpr int ECHO_RING_MASK = ECHO_RING_SAMPLES - 1;

// Peaks of the limited output of one block: level 1 over the even sample positions of the
// block (the left channel in stereo), level 2 over the odd ones. Both start at 0, so negative
// samples never raise them.
struct EchoLevels {
    int nLevel1;
    int nLevel2;
};

// Mixes nBytes of 16-bit samples from pInput with the echo into pOutput (which holds at
// least nBytes) and advances the ring positions:
//     y[n] = limit(x[n] + floor(y[n - D] * nEchoLevel / 256)),   D = (nWrite - nRead) & mask.
// An odd last byte is ignored. The state is passed by reference so that its owner, the echo
// capture device, keeps it in its own fields; only that device's worker thread calls this.
EchoLevels EchoMix(const int16_t* pInput, uint32_t nBytes, int16_t* pOutput, int16_t* pRing,
                   int& nRead, int& nWrite, int nEchoLevel);

#include "echo/EchoMix.h"

#include <algorithm>

namespace {

// Mixes a run of n samples in which no ring slot is both read and written, so the compiler
// may treat the three streams as independent and vectorise.
void MixRun(const int16_t* __restrict pIn, int16_t* __restrict pOut, const int16_t* __restrict pEcho,
            int16_t* __restrict pFeed, uint32_t n, int nEchoLevel)
{
    for (uint32_t i = 0; i < n; ++i) {
        const int s = std::clamp(pEcho[i] + pIn[i], -32768, 32767);
        pOut[i] = static_cast<int16_t>(s);
        // What is fed back is the limited output. The shift is arithmetic (GCC defines >> on
        // negative values so), which floors: -1 * 255 >> 8 is -1. |s * g| < 2^23, so the
        // product and the result fit their types.
        pFeed[i] = static_cast<int16_t>((s * nEchoLevel) >> 8);
    }
}

}  // namespace

EchoLevels EchoMix(const int16_t* pInput, uint32_t nBytes, int16_t* pOutput, int16_t* pRing,
                   int& nRead, int& nWrite, int nEchoLevel)
{
    const uint32_t nSamples = nBytes / 2;
    // The delay D in samples. Sample n reads the slot that sample n - D wrote, so a run of at
    // most D samples reads nothing it writes itself, and one of at most RING - D samples
    // writes nothing it reads later. D = 0 (a full ring) reads and writes one slot per sample.
    const uint32_t nDelay = static_cast<uint32_t>(nWrite - nRead) & ECHO_RING_MASK;
    const uint32_t nMaxRun = nDelay == 0 ? 1 : std::min(nDelay, ECHO_RING_SAMPLES - nDelay);
    // Masked on entry too, so that no position given from outside can index past the ring.
    uint32_t nR = static_cast<uint32_t>(nRead) & ECHO_RING_MASK;
    uint32_t nW = static_cast<uint32_t>(nWrite) & ECHO_RING_MASK;
    for (uint32_t i = 0; i < nSamples;) {
        // Neither position wraps inside a run.
        const uint32_t n = std::min({nSamples - i, nMaxRun, ECHO_RING_SAMPLES - nR, ECHO_RING_SAMPLES - nW});
        if (nDelay == 0) {
            const int s = std::clamp(pRing[nR] + pInput[i], -32768, 32767);
            pOutput[i] = static_cast<int16_t>(s);
            pRing[nW] = static_cast<int16_t>((s * nEchoLevel) >> 8);
        } else {
            MixRun(pInput + i, pOutput + i, pRing + nR, pRing + nW, n, nEchoLevel);
        }
        i += n;
        nR = (nR + n) & ECHO_RING_MASK;
        nW = (nW + n) & ECHO_RING_MASK;
    }
    nRead = static_cast<int>(nR);
    nWrite = static_cast<int>(nW);

    // The peaks of the limited output; the alternation restarts with every block, so sample 0
    // of a block is always "even" whatever the last block ended on.
    int nLevel1 = 0;
    int nLevel2 = 0;
    uint32_t i = 0;
    for (; i + 1 < nSamples; i += 2) {
        nLevel1 = std::max<int>(nLevel1, pOutput[i]);
        nLevel2 = std::max<int>(nLevel2, pOutput[i + 1]);
    }
    if (i < nSamples)
        nLevel1 = std::max<int>(nLevel1, pOutput[i]);
    return {nLevel1, nLevel2};
}

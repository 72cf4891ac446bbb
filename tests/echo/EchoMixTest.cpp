// The echo mixer against a plain per-sample statement of the echo, and its edge cases.
#include "echo/EchoMix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// The mixer's state as the echo capture device holds it after an open.
struct EchoState {
    std::vector<int16_t> ring = std::vector<int16_t>(ECHO_RING_SAMPLES, 0);
    int nRead = 0;
    int nWrite = 0;
    int nEchoLevel = 0;

    EchoState(int nDelaySamples, int nStrength) : nWrite(nDelaySamples), nEchoLevel(nStrength) {}

    EchoLevels Mix(const int16_t* pIn, uint32_t nBytes, int16_t* pOut)
    {
        return EchoMix(pIn, nBytes, pOut, ring.data(), nRead, nWrite, nEchoLevel);
    }
    EchoLevels Mix(const std::vector<int16_t>& in, std::vector<int16_t>& out)
    {
        out.assign(in.size(), 0);
        return Mix(in.data(), static_cast<uint32_t>(in.size() * 2), out.data());
    }
};

// y[n] = limit(x[n] + floor(y[n - D] * g / 256)), stated sample by sample over the whole
// stream, with silence before the stream began.
std::vector<int16_t> ReferenceEcho(const std::vector<int16_t>& x, size_t nDelay, int g)
{
    std::vector<int16_t> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        const double dEcho = n >= nDelay ? std::floor(y[n - nDelay] * g / 256.0) : 0.0;
        const double dSum = x[n] + dEcho;
        y[n] = static_cast<int16_t>(std::clamp(dSum, -32768.0, 32767.0));
    }
    return y;
}

// The meters' view of one block: the peak of the samples at even and at odd positions
// counted from the block's own start, never below 0.
EchoLevels ReferenceLevels(const int16_t* pY, size_t nSamples)
{
    EchoLevels levels{0, 0};
    for (size_t i = 0; i < nSamples; ++i) {
        int& nPeak = i % 2 == 0 ? levels.nLevel1 : levels.nLevel2;
        nPeak = std::max<int>(nPeak, pY[i]);
    }
    return levels;
}

// Loud noise with silent stretches and full-scale bursts, so that the sum clips often and
// the echo alone is heard in between.
std::vector<int16_t> TestSignal(std::mt19937& rng, size_t nSamples)
{
    std::vector<int16_t> x(nSamples);
    std::uniform_int_distribution<int> full(-32768, 32767);
    std::uniform_int_distribution<int> stretch(1, 20000);
    std::uniform_int_distribution<int> kind(0, 3);
    for (size_t n = 0; n < nSamples;) {
        const size_t nEnd = std::min(nSamples, n + stretch(rng));
        const int nKind = kind(rng);
        for (; n < nEnd; ++n)
            x[n] = nKind == 0 ? 0 : nKind == 1 ? (n % 2 ? 32767 : -32768) : full(rng);
    }
    return x;
}

struct StreamCase {
    int nChannels;
    int nDelayFrames;
    int nStrength;
    size_t nFrames;
};

void ExpectMatchesReference(const StreamCase& c, uint32_t nSeed)
{
    SCOPED_TRACE(testing::Message() << "channels " << c.nChannels << ", delay " << c.nDelayFrames
                                    << " frames, strength " << c.nStrength << ", seed " << nSeed);
    std::mt19937 rng(nSeed);
    const std::vector<int16_t> x = TestSignal(rng, c.nFrames * c.nChannels);
    const std::vector<int16_t> y = ReferenceEcho(x, size_t(c.nDelayFrames) * c.nChannels, c.nStrength);

    EchoState state(c.nDelayFrames * c.nChannels, c.nStrength);
    std::vector<int16_t> out(x.size(), 0x5555);
    // Blocks of whole frames, from one frame up to about a second at 96 kHz, with odd
    // frame counts such as 551 among them.
    std::uniform_int_distribution<size_t> blockFrames(1, 100000);
    std::uniform_int_distribution<int> small(0, 2);
    for (size_t nFrame = 0; nFrame < c.nFrames;) {
        size_t nBlock = small(rng) == 0 ? 551 : blockFrames(rng);
        if (small(rng) == 0)
            nBlock %= 7;
        nBlock = std::clamp<size_t>(nBlock, 1, c.nFrames - nFrame);
        const size_t nFirst = nFrame * c.nChannels;
        const size_t nCount = nBlock * c.nChannels;
        const EchoLevels levels =
            state.Mix(&x[nFirst], static_cast<uint32_t>(nCount * 2), &out[nFirst]);
        const EchoLevels expected = ReferenceLevels(&y[nFirst], nCount);
        ASSERT_EQ(levels.nLevel1, expected.nLevel1) << "block at frame " << nFrame;
        ASSERT_EQ(levels.nLevel2, expected.nLevel2) << "block at frame " << nFrame;
        nFrame += nBlock;
    }
    for (size_t n = 0; n < y.size(); ++n)
        ASSERT_EQ(out[n], y[n]) << "sample " << n;
    EXPECT_EQ((state.nWrite - state.nRead) & ECHO_RING_MASK,
              (c.nDelayFrames * c.nChannels) & ECHO_RING_MASK);
}

TEST(EchoMix, MatchesThePlainStatementOfTheEchoOverLongStreams)
{
    const StreamCase cases[] = {
        {1, 551, 255, 400000},     // short delay, strongest feedback: clips and rings on
        {2, 480, 128, 300000},     // stereo, delay shorter than most blocks
        {1, 8000, 0, 200000},      // strength 0: the output is the input
        {1, 1, 200, 100000},       // delay of one sample
        {2, 96000, 255, 600000},   // the longest delay: 192,000 samples in the ring
        {1, 96000, 77, 500000},
        {2, 44100, 1, 300000},
        {1, 131071, 250, 700000},  // D just below half the ring: positions wrap often
        {1, ECHO_RING_SAMPLES, 255, 600000},  // a whole ring: each slot read, then written
    };
    uint32_t nSeed = 1;
    for (const StreamCase& c : cases)
        ExpectMatchesReference(c, nSeed++);
    std::mt19937 rng(2024);
    for (int k = 0; k < 6; ++k) {
        const int nChannels = 1 + k % 2;
        const int nDelay = std::uniform_int_distribution<int>(1, 96000)(rng);
        const int nStrength = std::uniform_int_distribution<int>(0, 255)(rng);
        ExpectMatchesReference({nChannels, nDelay, nStrength, size_t(nDelay) * 3 + 1000}, nSeed++);
    }
}

TEST(EchoMix, RepeatsAnImpulseEachTimeWeakerByTheStrength)
{
    const int nDelay = 100;
    EchoState state(nDelay, 255);
    std::vector<int16_t> in(4 * nDelay, 0), out;
    in[0] = 10000;
    state.Mix(in, out);
    EXPECT_EQ(out[0], 10000);
    EXPECT_EQ(out[nDelay], 9960);
    EXPECT_EQ(out[2 * nDelay], 9921);
    EXPECT_EQ(out[nDelay - 1], 0);
    EXPECT_EQ(out[nDelay + 1], 0);

    // Negative values round toward minus infinity: -1 comes back as -1, forever.
    EchoState negative(1, 255);
    std::vector<int16_t> one = {-1, 0, 0, 0};
    negative.Mix(one, out);
    EXPECT_EQ(out, (std::vector<int16_t>{-1, -1, -1, -1}));
}

TEST(EchoMix, LimitsTheSumAndFeedsBackTheLimitedOutput)
{
    EchoState state(2, 256 - 1);
    state.ring[0] = 10000;
    state.ring[1] = -10000;
    std::vector<int16_t> in = {30000, -30000, 0, 0}, out;
    const EchoLevels levels = state.Mix(in, out);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    // The echo of the clipped output, not of the 40,000 that the sum was.
    EXPECT_EQ(out[2], 32767 * 255 >> 8);
    EXPECT_EQ(out[3], -32768 * 255 >> 8);
    EXPECT_EQ(levels.nLevel1, 32767);
    EXPECT_EQ(levels.nLevel2, 0);
}

TEST(EchoMix, ReportsPeaksOfAlternateSamplesAndNeverOfNegativeOnes)
{
    EchoState state(1000, 0);
    std::vector<int16_t> out;
    std::vector<int16_t> mono = {5, 300, 7, 200, -30000, 100};
    EchoLevels levels = state.Mix(mono, out);
    EXPECT_EQ(levels.nLevel1, 7);
    EXPECT_EQ(levels.nLevel2, 300);

    std::vector<int16_t> negative = {-5, -300, -7, -32768};
    levels = state.Mix(negative, out);
    EXPECT_EQ(levels.nLevel1, 0);
    EXPECT_EQ(levels.nLevel2, 0);

    // Every block starts on an "even" sample, whatever the last block ended on.
    std::vector<int16_t> odd = {1, 2, 3};
    std::vector<int16_t> next = {40, 9};
    state.Mix(odd, out);
    levels = state.Mix(next, out);
    EXPECT_EQ(levels.nLevel1, 40);
    EXPECT_EQ(levels.nLevel2, 9);
}

TEST(EchoMix, IgnoresAnOddLastByte)
{
    EchoState state(3, 128);
    const int16_t in[2] = {1000, 2000};
    int16_t out[2] = {-1, -1};
    EchoLevels levels = state.Mix(in, 1, out);
    EXPECT_EQ(levels.nLevel1, 0);
    EXPECT_EQ(levels.nLevel2, 0);
    EXPECT_EQ(out[0], -1);
    EXPECT_EQ(state.nRead, 0);
    EXPECT_EQ(state.nWrite, 3);

    levels = state.Mix(in, 3, out);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], -1);
    EXPECT_EQ(levels.nLevel1, 1000);
    EXPECT_EQ(state.nRead, 1);
    EXPECT_EQ(state.nWrite, 4);
}

TEST(EchoMix, WrapsBothPositionsAtTheEndOfTheRing)
{
    EchoState state(0, 128);
    state.nRead = ECHO_RING_SAMPLES - 2;
    state.nWrite = ECHO_RING_SAMPLES - 1;
    std::vector<int16_t> in = {1000, 0, 0, 0}, out;
    state.Mix(in, out);
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 500, 250, 125}));
    EXPECT_EQ(state.nRead, 2);
    EXPECT_EQ(state.nWrite, 3);
    EXPECT_EQ(state.ring[ECHO_RING_SAMPLES - 1], 500);
    EXPECT_EQ(state.ring[0], 250);
}

}  // namespace

#include "tools/wavcheck/Gaps.h"
#include "tests/wavcheck/Signals.h"

#include <gtest/gtest.h>

namespace {

constexpr int RATE = 44100;

// Silence, 3 s of a 440 Hz tone at half scale, silence: what the bench records.
std::vector<double> Recorded(std::vector<double> tone)
{
    return signals::Join({signals::Silence(RATE / 2), tone, signals::Silence(RATE / 2)});
}

std::vector<double> Tone(size_t nSamples = 3 * RATE)
{
    return signals::Sine(440, 16384, RATE, nSamples);
}

TEST(Gaps, ASteadyToneHasNone)
{
    const GapReport r = FindGaps(Recorded(Tone()), RATE);
    ASSERT_TRUE(r.bTone);
    EXPECT_TRUE(r.gaps.empty());
    EXPECT_NEAR(r.dFrequency, 440, 0.01);
    EXPECT_NEAR(r.dAmplitude, 16384, 20);
    EXPECT_NEAR(r.dStartS, 0.5, 0.001);
    EXPECT_NEAR(r.dEndS, 3.5, 0.001);

    // Nor does one with a noise floor of a few steps, nor one at another rate and pitch.
    std::mt19937 rng(5);
    auto noisy = Recorded(Tone());
    const auto noise = signals::Noise(rng, noisy.size(), 3);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] += noise[i];
    EXPECT_TRUE(FindGaps(noisy, RATE).gaps.empty());
    EXPECT_TRUE(FindGaps(signals::Sine(1000, 3000, 8000, 16000), 8000).gaps.empty());
}

TEST(Gaps, SilenceInsideTheTone)
{
    // A playback buffer that came too late: 10 ms of nothing, then the tone goes on where it
    // was (no sound lost, only delayed).
    auto tone = Tone();
    tone.insert(tone.begin() + RATE, 441, 0.0);
    const GapReport r = FindGaps(Recorded(tone), RATE);
    ASSERT_EQ(r.gaps.size(), 1u);
    EXPECT_NEAR(r.gaps[0].dStartS, 1.5, 0.001);
    EXPECT_NEAR(r.gaps[0].dSilentMs, 10, 0.5);
    EXPECT_NEAR(r.gaps[0].dLengthMs, 10, 0.5);
}

TEST(Gaps, LostSamplesWithoutSilence)
{
    // A block dropped and the next played straight after: no silence, a jump of phase.
    auto tone = Tone();
    tone.erase(tone.begin() + RATE, tone.begin() + RATE + 4410 + 7);
    GapReport r = FindGaps(Recorded(tone), RATE);
    ASSERT_EQ(r.gaps.size(), 1u);
    EXPECT_NEAR(r.gaps[0].dStartS, 1.5, 0.001);
    EXPECT_EQ(r.gaps[0].dSilentMs, 0);

    // Even one sample lost or repeated shows.
    tone = Tone();
    tone.erase(tone.begin() + RATE);
    EXPECT_EQ(FindGaps(Recorded(tone), RATE).gaps.size(), 1u);
    tone = Tone();
    tone.insert(tone.begin() + RATE, tone[RATE]);
    EXPECT_EQ(FindGaps(Recorded(tone), RATE).gaps.size(), 1u);
}

TEST(Gaps, NearbyBreaksMergeFarOnesCount)
{
    auto tone = Tone();
    tone.insert(tone.begin() + 2 * RATE, 200, 0.0);
    tone.insert(tone.begin() + 2 * RATE + 300, 200, 0.0);  // 100 samples (2.3 ms) later: one gap
    tone.insert(tone.begin() + RATE / 2, 300, 0.0);        // 1.5 s earlier: another
    const GapReport r = FindGaps(Recorded(tone), RATE);
    ASSERT_EQ(r.gaps.size(), 2u);
    EXPECT_NEAR(r.gaps[0].dStartS, 1.0, 0.001);
    EXPECT_NEAR(r.gaps[1].dSilentMs, 400 * 1000.0 / RATE, 0.1);
}

// A recording full of dropouts still gives the tone's pitch, and every dropout.
TEST(Gaps, ManyGaps)
{
    auto tone = Tone(10 * RATE);
    for (int k = 0; k < 100; ++k)
        std::fill(tone.begin() + RATE / 10 + k * RATE / 11, tone.begin() + RATE / 10 + k * RATE / 11 + 1500, 0.0);
    const GapReport r = FindGaps(Recorded(tone), RATE);
    EXPECT_NEAR(r.dFrequency, 440, 0.1);
    EXPECT_EQ(r.gaps.size(), 100u);
}

TEST(Gaps, AHalvedLevelIsABreak)
{
    auto tone = Tone();
    for (size_t i = RATE; i < tone.size(); ++i)
        tone[i] = std::round(tone[i] / 2);
    EXPECT_EQ(FindGaps(Recorded(tone), RATE).gaps.size(), 1u);
}

TEST(Gaps, NoTone)
{
    EXPECT_FALSE(FindGaps(signals::Silence(RATE), RATE).bTone);
    EXPECT_FALSE(FindGaps({}, RATE).bTone);
}

}  // namespace

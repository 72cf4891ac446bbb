#include "tools/wavcheck/Echoes.h"
#include "tests/wavcheck/Signals.h"

#include <gtest/gtest.h>

namespace {

constexpr int RATE = 44100;

// What the bench records: silence for the latency, then the program's output for the fed
// signal, which carries the echo.
std::vector<double> Recording(const std::vector<double>& fed, size_t nLatency, double dDelayMs, int g)
{
    const size_t nDelay = static_cast<size_t>(dDelayMs * RATE / 1000);
    // Long enough for every repeat that is checked.
    auto x = signals::Join({signals::Silence(nLatency), fed, signals::Silence(static_cast<size_t>(9 * nDelay) + RATE)});
    auto y = signals::FeedbackEcho(x, nDelay, g);
    return y;
}

EchoCheck Check(double dDelayMs, int g)
{
    EchoCheck c;
    c.nRate = RATE;
    c.dDelayMs = dDelayMs;
    c.nStrength = g;
    return c;
}

EchoReport Measure(const std::vector<double>& fed, const std::vector<double>& rec, double dDelayMs, int g)
{
    return MeasureEchoes(CCopyFinder(fed, rec), 0, static_cast<long>(dDelayMs * RATE / 1000) + 8000, Check(dDelayMs, g));
}

TEST(Echoes, ExpectedRepeats)
{
    EXPECT_EQ(ExpectedRepeats(0), 0);
    EXPECT_EQ(ExpectedRepeats(128), 4);  // 1/2 .. 1/16; 1/32 is under 5 %
    EXPECT_EQ(ExpectedRepeats(255), 8);
}

TEST(Echoes, RepeatsAtTheDelayEachWeakerByTheStrength)
{
    const auto chirp = signals::Join({signals::Silence(RATE / 2), signals::Chirp(RATE, 0.06)});
    for (auto [dDelay, g] : {std::pair<double, int>{150, 128}, {300, 200}, {10, 64}, {1000, 255}}) {
        const EchoReport r = Measure(chirp, Recording(chirp, 6615, dDelay, g), dDelay, g);
        ASSERT_TRUE(r.bPass) << dDelay << " ms, " << g;
        EXPECT_EQ(r.first.nLag, 6615);
        EXPECT_NEAR(r.first.dGain, 1.0, 1e-3);
        ASSERT_EQ(r.repeats.size(), static_cast<size_t>(std::max(1, ExpectedRepeats(g))));
        for (const EchoRepeat& e : r.repeats) {
            EXPECT_NEAR(e.dDelayMs, e.k * dDelay, 0.05);
            EXPECT_NEAR(e.dRatio, g / 256.0, 0.01);
        }
    }
}

// A speech-like signal longer than the delay: the copies overlap and still come apart.
TEST(Echoes, OverlappingCopiesOfALongSignal)
{
    std::mt19937 rng(11);
    const auto speech = signals::Noise(rng, RATE, 6000);
    const EchoReport r = Measure(speech, Recording(speech, 5000, 200, 160), 200, 160);
    EXPECT_TRUE(r.bPass);
    ASSERT_FALSE(r.repeats.empty());
    EXPECT_NEAR(r.repeats[0].dRatio, 160 / 256.0, 0.01);
}

TEST(Echoes, WrongDelayOrStrengthFails)
{
    const auto chirp = signals::Join({signals::Silence(RATE / 2), signals::Chirp(RATE, 0.06)});
    const auto rec = Recording(chirp, 6615, 160, 128);
    EXPECT_TRUE(Measure(chirp, rec, 160, 128).bPass);
    EXPECT_FALSE(Measure(chirp, rec, 150, 128).bPass);  // 10 ms off, beyond the 1 ms tolerance
    EXPECT_FALSE(Measure(chirp, rec, 160, 100).bPass);  // 0.39 expected, 0.5 there
    EXPECT_FALSE(Measure(chirp, rec, 160, 0).bPass);    // an echo where none should be
    // In frames the delay is exact: one frame off fails, well inside the 1 ms tolerance.
    const long nFrames = 160 * RATE / 1000;
    for (long nDelta : {0L, -1L, 1L}) {
        EchoCheck c = Check(160, 128);
        c.nDelayFrames = nFrames + nDelta;
        const EchoReport r = MeasureEchoes(CCopyFinder(chirp, rec), 0, nFrames + 8000, c);
        EXPECT_EQ(r.bPass, nDelta == 0) << nDelta;
        ASSERT_FALSE(r.repeats.empty());
        EXPECT_EQ(r.repeats[0].nDelayFrames, nFrames);
    }
}

TEST(Echoes, NoEchoAtStrengthZero)
{
    const auto chirp = signals::Join({signals::Silence(RATE / 2), signals::Chirp(RATE, 0.06)});
    const EchoReport r = Measure(chirp, Recording(chirp, 6615, 150, 0), 150, 0);
    EXPECT_TRUE(r.bPass);
    ASSERT_EQ(r.repeats.size(), 1u);
    EXPECT_NEAR(r.repeats[0].dGain, 0.0, 1e-3);
}

TEST(Echoes, NothingRecorded)
{
    const auto chirp = signals::Chirp(RATE, 0.06);
    const EchoReport r = Measure(chirp, signals::Silence(RATE * 2), 150, 128);
    EXPECT_FALSE(r.bPass);
    EXPECT_TRUE(r.repeats.empty());
}

}  // namespace

#include "tools/wavcheck/Correlation.h"
#include "tests/wavcheck/Signals.h"

#include <gtest/gtest.h>

namespace {

TEST(Correlation, MatchesTheDirectSumForEveryShape)
{
    std::mt19937 rng(7);
    for (auto [nRef, nRec] : {std::pair<size_t, size_t>{1, 1}, {5, 3}, {3, 17}, {64, 64}, {100, 1000}, {1000, 1001}}) {
        const auto ref = signals::Noise(rng, nRef, 1000);
        const auto rec = signals::Noise(rng, nRec, 1000);
        const auto c = CrossCorrelate(ref, rec);
        ASSERT_EQ(c.size(), nRec);
        for (size_t k = 0; k < nRec; ++k) {
            double dSum = 0;
            for (size_t i = 0; i < nRef && i + k < nRec; ++i)
                dSum += ref[i] * rec[i + k];
            ASSERT_NEAR(c[k], dSum, 1e-6 * (1 + std::fabs(dSum))) << nRef << "x" << nRec << " at " << k;
        }
    }
}

TEST(Correlation, FindsAScaledCopyInNoise)
{
    std::mt19937 rng(1);
    const auto chirp = signals::Chirp(44100, 0.06);
    auto rec = signals::Join({signals::Silence(12345), chirp, signals::Silence(30000)});
    for (double& v : rec)
        v *= 0.7;
    const auto noise = signals::Noise(rng, rec.size(), 200);
    for (size_t i = 0; i < rec.size(); ++i)
        rec[i] += noise[i];
    const CCopyFinder finder(chirp, rec);
    const Copy c = finder.Strongest(0, static_cast<long>(rec.size()));
    EXPECT_EQ(c.nLag, 12345);
    EXPECT_NEAR(c.dGain, 0.7, 0.01);
    EXPECT_GT(c.dSimilarity, 0.95);
    // Outside the range asked for there is nothing of it.
    EXPECT_LT(finder.Strongest(20000, 50000).dSimilarity, 0.2);
    EXPECT_EQ(finder.Strongest(50, 10).nLag, -1);
    EXPECT_EQ(CCopyFinder(signals::Silence(100), rec).Strongest(0, 1000).nLag, -1);
}

// A train of chirps, one of them weaker and one broken by a dropout: All finds the ones that
// are alike enough, once each, strongest point only.
TEST(Correlation, AllCopiesOfATrain)
{
    const auto chirp = signals::Chirp(44100, 0.06);
    auto weak = chirp;
    for (double& v : weak)
        v *= 0.5;
    auto broken = chirp;
    std::fill(broken.begin() + 600, broken.begin() + 1900, 0.0);
    const auto rec = signals::Join({signals::Silence(1000), chirp, signals::Silence(20000), weak, signals::Silence(20000),
                                    broken, signals::Silence(20000), chirp, signals::Silence(500)});
    const auto copies = CCopyFinder(chirp, rec).All(0.9);
    const long n = static_cast<long>(chirp.size());
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0].nLag, 1000);
    EXPECT_EQ(copies[1].nLag, 1000 + n + 20000);
    EXPECT_NEAR(copies[1].dGain, 0.5, 1e-3);
    EXPECT_EQ(copies[2].nLag, 1000 + 3 * n + 60000);
}

// Copies closer together than the signal is long: each one's plain correlation also holds
// its neighbours', and only the joint solution gives the gains that were put in.
TEST(Correlation, JointGainsSeparateOverlappingCopies)
{
    std::mt19937 rng(3);
    const auto speech = signals::Noise(rng, 8000, 8000);
    std::vector<double> rec(40000, 0.0);
    const std::vector<long> lags{1000, 4000, 7000};
    const std::vector<double> gains{1.0, 0.5, 0.25};
    for (size_t k = 0; k < lags.size(); ++k)
        for (size_t i = 0; i < speech.size(); ++i)
            rec[static_cast<size_t>(lags[k]) + i] += gains[k] * speech[i];
    const CCopyFinder finder(speech, rec);
    const auto solved = finder.JointGains(lags);
    for (size_t k = 0; k < lags.size(); ++k)
        EXPECT_NEAR(solved[k], gains[k], 1e-6);
}

}  // namespace

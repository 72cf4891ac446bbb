#include "tools/wavcheck/Picture.h"
#include "tests/wavcheck/Signals.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

TEST(Picture, OutlineKeepsEveryPeak)
{
    std::vector<double> x(100000, 0.0);
    x[12345] = 30000;  // one loud sample ...
    x[99999] = -5;     // ... and the last one
    const Outline o = OutlineOf(x, 1000);
    ASSERT_EQ(o.highs.size(), 1000u);
    EXPECT_EQ(o.highs[123], 30000);
    EXPECT_EQ(o.lows[999], -5);
    EXPECT_EQ(o.highs[500], 0);
    // Fewer samples than columns: one column a sample.
    EXPECT_EQ(OutlineOf({1, 2, 3}, 1000).highs, (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(OutlineOf({}, 10).highs.empty());
}

bool IsPng(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    char magic[8] = {};
    f.read(magic, 8);
    return f && std::string(magic + 1, 3) == "PNG";
}

// Through gnuplot, with a title that would end its string; leaves only the picture.
TEST(Picture, DrawsAPng)
{
    const std::string png = ::testing::TempDir() + "wavcheck picture.png";
    const auto in = signals::Join({signals::Silence(4410), signals::Chirp(44100, 0.06), signals::Silence(44100)});
    const auto out = signals::FeedbackEcho(signals::Join({signals::Silence(6000), in}), 6615, 128);
    std::string error;
    ASSERT_TRUE(DrawPicture(in, out, 44100, 2.5, "it's an echo", png, error)) << error;
    EXPECT_TRUE(IsPng(png));
    EXPECT_FALSE(std::ifstream(png + ".dat").good());
    EXPECT_FALSE(std::ifstream(png + ".gp").good());
    std::remove(png.c_str());
}

}  // namespace

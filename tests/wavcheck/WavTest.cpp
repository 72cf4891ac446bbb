#include "tools/wavcheck/Wav.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

Sound Stereo()
{
    Sound s;
    s.nRate = 44100;
    s.nChannels = 2;
    s.samples = {100, -100, 32767, -32768, 3, 5};
    return s;
}

TEST(Wav, RoundTripAndChannels)
{
    const std::string path = ::testing::TempDir() + "wavcheck-roundtrip.wav";
    ASSERT_TRUE(WriteWav(path, Stereo()));
    Sound s;
    std::string error;
    ASSERT_TRUE(ReadWav(path, s, error)) << error;
    std::remove(path.c_str());
    EXPECT_EQ(s.nRate, 44100);
    EXPECT_EQ(s.nChannels, 2);
    EXPECT_EQ(s.samples, Stereo().samples);
    EXPECT_EQ(s.Frames(), 3u);
    EXPECT_EQ(s.Channel(0), (std::vector<double>{100, 32767, 3}));
    EXPECT_EQ(s.Channel(1), (std::vector<double>{-100, -32768, 5}));
    EXPECT_EQ(s.Channel(-1), (std::vector<double>{0, -0.5, 4}));
}

// parecord stopped by a signal, or a stream still being written, leaves a data size that
// does not match the file: the samples run to the end, whole frames only.
TEST(Wav, DataSizeOfAnUnfinishedRecording)
{
    for (uint32_t nSize : {0u, 0xFFFFFFFFu, 1000u}) {
        std::vector<uint8_t> bytes = FormatWav(Stereo());
        bytes.push_back(7);  // half a sample more
        bytes[40] = static_cast<uint8_t>(nSize);
        bytes[41] = static_cast<uint8_t>(nSize >> 8);
        bytes[42] = static_cast<uint8_t>(nSize >> 16);
        bytes[43] = static_cast<uint8_t>(nSize >> 24);
        Sound s;
        std::string error;
        ASSERT_TRUE(ParseWav(bytes, s, error)) << nSize << ": " << error;
        EXPECT_EQ(s.samples, Stereo().samples) << nSize;
    }
}

// Chunks the reader does not know (a LIST of odd size, padded) are stepped over; the
// extensible header counts by its sub-format; anything but 16-bit PCM is refused.
TEST(Wav, ChunksAndFormats)
{
    const std::vector<uint8_t> plain = FormatWav(Stereo());
    std::vector<uint8_t> withList(plain.begin(), plain.begin() + 36);
    const std::vector<uint8_t> list{'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    withList.insert(withList.end(), list.begin(), list.end());
    withList.insert(withList.end(), plain.begin() + 36, plain.end());
    Sound s;
    std::string error;
    ASSERT_TRUE(ParseWav(withList, s, error)) << error;
    EXPECT_EQ(s.samples, Stereo().samples);

    // WAVE_FORMAT_EXTENSIBLE: fmt of 40 bytes whose sub-format begins with the PCM tag.
    std::vector<uint8_t> ext(plain.begin(), plain.begin() + 12);
    const std::vector<uint8_t> fmt{'f', 'm', 't', ' ', 40, 0, 0, 0, 0xFE, 0xFF, 2, 0, 0x44, 0xAC, 0, 0,
                                   0x10, 0xB1, 2, 0, 4, 0, 16, 0, 22, 0, 16, 0, 3, 0, 0, 0, 1, 0};
    ext.insert(ext.end(), fmt.begin(), fmt.end());
    ext.resize(ext.size() + 14, 0);
    ext.insert(ext.end(), plain.begin() + 36, plain.end());
    ASSERT_TRUE(ParseWav(ext, s, error)) << error;
    EXPECT_EQ(s.samples, Stereo().samples);

    std::vector<uint8_t> eightBit = plain;
    eightBit[34] = 8;
    EXPECT_FALSE(ParseWav(eightBit, s, error));
    std::vector<uint8_t> floats = plain;
    floats[20] = 3;
    EXPECT_FALSE(ParseWav(floats, s, error));
    EXPECT_FALSE(ParseWav(std::vector<uint8_t>(plain.begin(), plain.begin() + 30), s, error));
    EXPECT_FALSE(ReadWav("/nonexistent/x.wav", s, error));
}

}  // namespace

// 16-bit PCM WAV files: what the bench feeds and records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Sound {
    int nRate = 0;
    int nChannels = 0;
    std::vector<int16_t> samples;  // interleaved by channel

    size_t Frames() const { return nChannels ? samples.size() / static_cast<size_t>(nChannels) : 0; }
    // One channel as numbers, or the mean of all channels for nChannel = -1.
    std::vector<double> Channel(int nChannel) const;
};

// Reads a RIFF/WAVE file of 16-bit PCM (plain or WAVE_FORMAT_EXTENSIBLE). A recorder that was
// stopped hard leaves a data size of 0 or 0xFFFFFFFF, or one past the end; the data then runs
// to the end of the file. Returns false with a reason in error.
bool ParseWav(const std::vector<uint8_t>& bytes, Sound& sound, std::string& error);
bool ReadWav(const std::string& path, Sound& sound, std::string& error);
std::vector<uint8_t> FormatWav(const Sound& sound);
bool WriteWav(const std::string& path, const Sound& sound);

#include "tools/wavcheck/Wav.h"

#include <fstream>
#include <iterator>

namespace {

uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(n >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t n)
{
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
}

constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;

}  // namespace

std::vector<double> Sound::Channel(int nChannel) const
{
    const size_t nFrames = Frames();
    std::vector<double> x(nFrames, 0.0);
    for (size_t i = 0; i < nFrames; ++i) {
        const int16_t* pFrame = &samples[i * static_cast<size_t>(nChannels)];
        if (nChannel >= 0) {
            x[i] = pFrame[nChannel];
        } else {
            double dSum = 0;
            for (int c = 0; c < nChannels; ++c)
                dSum += pFrame[c];
            x[i] = dSum / nChannels;
        }
    }
    return x;
}

bool ParseWav(const std::vector<uint8_t>& bytes, Sound& sound, std::string& error)
{
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        error = "not a RIFF/WAVE file";
        return false;
    }
    bool bFormat = false;
    size_t nPos = 12;
    while (nPos + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + static_cast<long>(nPos), bytes.begin() + static_cast<long>(nPos) + 4);
        const uint32_t nSize = Le32(&bytes[nPos + 4]);
        const uint8_t* p = &bytes[nPos + 8];
        const size_t nLeft = bytes.size() - nPos - 8;
        if (id == "fmt ") {
            if (nSize < 16 || nLeft < 16) {
                error = "short fmt chunk";
                return false;
            }
            uint16_t nTag = Le16(p);
            if (nTag == FORMAT_EXTENSIBLE && nSize >= 40 && nLeft >= 40)
                nTag = Le16(p + 24);  // the sub-format GUID begins with the plain tag
            sound.nChannels = Le16(p + 2);
            sound.nRate = static_cast<int>(Le32(p + 4));
            const uint16_t nBits = Le16(p + 14);
            if (nTag != FORMAT_PCM || nBits != 16 || sound.nChannels < 1 || sound.nRate <= 0) {
                error = "not 16-bit PCM";
                return false;
            }
            bFormat = true;
        } else if (id == "data") {
            if (!bFormat) {
                error = "data before fmt";
                return false;
            }
            size_t nData = nSize;
            if (nData == 0 || nData > nLeft)
                nData = nLeft;
            const size_t nFrameBytes = 2 * static_cast<size_t>(sound.nChannels);
            nData -= nData % nFrameBytes;
            sound.samples.resize(nData / 2);
            for (size_t i = 0; i < sound.samples.size(); ++i)
                sound.samples[i] = static_cast<int16_t>(Le16(p + 2 * i));
            return true;
        }
        if (nSize > nLeft)
            break;
        nPos += 8 + nSize + (nSize & 1);  // chunks are padded to even sizes
    }
    error = bFormat ? "no data chunk" : "no fmt chunk";
    return false;
}

bool ReadWav(const std::string& path, Sound& sound, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!ParseWav(bytes, sound, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<uint8_t> FormatWav(const Sound& sound)
{
    const uint32_t nData = static_cast<uint32_t>(sound.samples.size() * 2);
    const uint16_t nBlockAlign = static_cast<uint16_t>(2 * sound.nChannels);
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    Put32(out, 36 + nData);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, FORMAT_PCM);
    Put16(out, static_cast<uint16_t>(sound.nChannels));
    Put32(out, static_cast<uint32_t>(sound.nRate));
    Put32(out, static_cast<uint32_t>(sound.nRate) * nBlockAlign);
    Put16(out, nBlockAlign);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, nData);
    for (int16_t s : sound.samples)
        Put16(out, static_cast<uint16_t>(s));
    return out;
}

bool WriteWav(const std::string& path, const Sound& sound)
{
    const std::vector<uint8_t> bytes = FormatWav(sound);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

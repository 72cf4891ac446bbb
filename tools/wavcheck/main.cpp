// wavcheck: measures what a program under test did to a known sound.
//
//   wavcheck latency REF REC [--input IN] [--min-similarity S] [--max-ms MS]
//   wavcheck echoes  REF REC --delay MS|--frames N --strength G [--input IN] [--repeats N]
//                            [--delay-tol MS] [--ratio-tol R] [--max-ms MS]
//   wavcheck gaps    REC [--merge MS] [--min-silence MS] [--from S] [--to S]
//   wavcheck silence REC [--from S] [--to S] [--max LSB]
//   wavcheck picture IN OUT PNG [--title TEXT] [--from S] [--to S]
//
// Each sound is a 16-bit PCM WAV file, FILE for the mean of its channels or FILE:N for its
// channel N (from 0). REF is the signal that was fed; REC the recording. With --input, the
// lags are taken from where REF appears in IN (the bench records the microphone too), so
// that what is reported is the delay from input to output; latency_ms is then the median
// over every copy of REF in IN. echoes --frames gives the delay in frames of REC's rate, and
// then each repeat must sit exactly that many frames after the one before. Prints "name value" lines;
// exits 0 when the check passes, 1 when it fails, 2 on bad use or an unreadable file.
#include "tools/wavcheck/Correlation.h"
#include "tools/wavcheck/Echoes.h"
#include "tools/wavcheck/Gaps.h"
#include "tools/wavcheck/Picture.h"
#include "tools/wavcheck/Wav.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int EXIT_FAIL = 1;
constexpr int EXIT_USAGE = 2;

struct Signal {
    std::vector<double> x;
    int nRate = 0;
};

[[noreturn]] void Usage(const std::string& why)
{
    std::fprintf(stderr, "wavcheck: %s\n(see the head of tools/wavcheck/main.cpp for its use)\n", why.c_str());
    std::exit(EXIT_USAGE);
}

Signal Load(const std::string& fileAndChannel)
{
    std::string path = fileAndChannel;
    int nChannel = -1;
    const size_t nColon = fileAndChannel.rfind(':');
    if (nColon != std::string::npos && nColon + 1 < fileAndChannel.size() &&
        fileAndChannel.find_first_not_of("0123456789", nColon + 1) == std::string::npos) {
        path = fileAndChannel.substr(0, nColon);
        nChannel = std::atoi(fileAndChannel.c_str() + nColon + 1);
    }
    Sound sound;
    std::string error;
    if (!ReadWav(path, sound, error))
        Usage(error);
    if (nChannel >= sound.nChannels)
        Usage(path + " has no channel " + std::to_string(nChannel));
    return Signal{sound.Channel(nChannel), sound.nRate};
}

// Positional arguments, and the values of --name options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    double Number(const std::string& name, double dDefault) const
    {
        const auto it = options.find(name);
        if (it == options.end())
            return dDefault;
        char* pEnd = nullptr;
        const double d = std::strtod(it->second.c_str(), &pEnd);
        if (pEnd == it->second.c_str() || *pEnd != '\0')
            Usage("--" + name + " needs a number");
        return d;
    }
    std::string Text(const std::string& name, const std::string& def) const
    {
        const auto it = options.find(name);
        return it == options.end() ? def : it->second;
    }
};

Args Parse(int argc, char** argv, int nPositional)
{
    Args a;
    for (int i = 2; i < argc; ++i) {
        const std::string s = argv[i];
        if (s.rfind("--", 0) == 0) {
            if (i + 1 >= argc)
                Usage(s + " needs a value");
            a.options[s.substr(2)] = argv[++i];
        } else {
            a.positional.push_back(s);
        }
    }
    if (static_cast<int>(a.positional.size()) != nPositional)
        Usage("expected " + std::to_string(nPositional) + " files");
    return a;
}

void SameRate(const Signal& a, const Signal& b)
{
    if (a.nRate != b.nRate)
        Usage("the files have different rates (" + std::to_string(a.nRate) + " and " + std::to_string(b.nRate) + ")");
}

double Ms(long nSamples, int nRate)
{
    return static_cast<double>(nSamples) * 1000.0 / nRate;
}

// Where REF begins in --input, or 0 without it. Fails the check when it is not there.
long InputLag(const Args& args, const std::vector<double>& ref, const Signal& r, double dMinSimilarity)
{
    if (!args.options.count("input"))
        return 0;
    const Signal in = Load(args.options.at("input"));
    SameRate(r, in);
    const Copy c = CCopyFinder(ref, in.x).Strongest(0, static_cast<long>(in.x.size()));
    std::printf("input_lag_ms %.2f\ninput_similarity %.4f\n", Ms(c.nLag, in.nRate), c.dSimilarity);
    if (c.nLag < 0 || c.dSimilarity < dMinSimilarity) {
        std::printf("result FAIL (the signal is not in the input)\n");
        std::exit(EXIT_FAIL);
    }
    return c.nLag;
}

// Without --input: the strongest copy of REF in REC. With it: every copy of REF in IN (a
// train of chirps), each followed to its first copy in REC within --max-ms; the latency of
// each, so that a glitch which moves the later output shows as a change.
int Latency(int argc, char** argv)
{
    const Args args = Parse(argc, argv, 2);
    const Signal ref = Load(args.positional[0]);
    const Signal rec = Load(args.positional[1]);
    SameRate(ref, rec);
    const double dMinSimilarity = args.Number("min-similarity", 0.5);
    const CCopyFinder finder(ref.x, rec.x);
    if (!args.options.count("input")) {
        const Copy c = finder.Strongest(0, static_cast<long>(rec.x.size()));
        std::printf("lag_ms %.2f\ngain %.4f\nsimilarity %.4f\n", Ms(c.nLag, rec.nRate), c.dGain, c.dSimilarity);
        const bool bPass = c.nLag >= 0 && c.dSimilarity >= dMinSimilarity;
        std::printf("result %s\n", bPass ? "PASS" : "FAIL (no copy of the signal)");
        return bPass ? 0 : EXIT_FAIL;
    }
    const Signal in = Load(args.options.at("input"));
    SameRate(rec, in);
    const std::vector<Copy> inputs = CCopyFinder(ref.x, in.x).All(0.9);
    const long nMax = static_cast<long>(args.Number("max-ms", 1000) * rec.nRate / 1000);
    std::vector<double> latencies;
    bool bPass = !inputs.empty();
    for (const Copy& i : inputs) {
        const Copy c = finder.Strongest(i.nLag, i.nLag + nMax);
        const bool bFound = c.nLag >= 0 && c.dSimilarity >= dMinSimilarity;
        std::printf("copy input_ms %.2f latency_ms %.2f gain %.4f similarity %.4f%s\n", Ms(i.nLag, rec.nRate),
                    Ms(c.nLag - i.nLag, rec.nRate), c.dGain, c.dSimilarity, bFound ? "" : " MISSING");
        if (bFound)
            latencies.push_back(Ms(c.nLag - i.nLag, rec.nRate));
        bPass = bPass && bFound;
    }
    if (!latencies.empty()) {
        std::vector<double> sorted = latencies;
        std::sort(sorted.begin(), sorted.end());
        std::printf("copies %zu\nlatency_ms %.2f\nlatency_min_ms %.2f\nlatency_max_ms %.2f\n", latencies.size(),
                    sorted[sorted.size() / 2], sorted.front(), sorted.back());
    }
    std::printf("result %s\n", bPass ? "PASS" : inputs.empty() ? "FAIL (the signal is not in the input)" : "FAIL (a copy is missing)");
    return bPass ? 0 : EXIT_FAIL;
}

int Echoes(int argc, char** argv)
{
    const Args args = Parse(argc, argv, 2);
    if ((!args.options.count("delay") && !args.options.count("frames")) || !args.options.count("strength"))
        Usage("echoes needs --delay or --frames, and --strength");
    const Signal ref = Load(args.positional[0]);
    const Signal rec = Load(args.positional[1]);
    SameRate(ref, rec);
    EchoCheck check;
    check.nRate = rec.nRate;
    check.nDelayFrames = static_cast<long>(args.Number("frames", 0));
    check.dDelayMs = check.nDelayFrames > 0 ? Ms(check.nDelayFrames, rec.nRate) : args.Number("delay", 0);
    check.nStrength = static_cast<int>(args.Number("strength", 0));
    check.nRepeats = static_cast<int>(args.Number("repeats", 0));
    check.dDelayTolMs = args.Number("delay-tol", check.dDelayTolMs);
    check.dRatioTol = args.Number("ratio-tol", check.dRatioTol);
    if (check.dDelayMs <= 0 || check.nStrength < 0 || check.nStrength > 255)
        Usage("--delay must be above 0 and --strength in 0..255");
    const long nInput = InputLag(args, ref.x, rec, 0.5);
    // The direct copy is the strongest within the devices' latency (--max-ms, 1000), which may
    // be longer than the delay: every echo is weaker.
    const long nLastFirst = nInput + static_cast<long>(args.Number("max-ms", 1000) * rec.nRate / 1000) - 1;
    const EchoReport r = MeasureEchoes(CCopyFinder(ref.x, rec.x), nInput, nLastFirst, check);
    std::printf("lag_ms %.2f\nlatency_ms %.2f\ngain %.4f\nsimilarity %.4f\n", Ms(r.first.nLag, rec.nRate),
                Ms(r.first.nLag - nInput, rec.nRate), r.first.dGain, r.first.dSimilarity);
    std::printf("expected delay_ms %.2f delay_frames %ld ratio %.4f\n", check.dDelayMs,
                std::lround(check.dDelayMs * rec.nRate / 1000), check.nStrength / 256.0);
    for (const EchoRepeat& e : r.repeats)
        std::printf("repeat %d delay_ms %.2f delay_frames %ld gain %.4f ratio %.4f %s\n", e.k, e.dDelayMs,
                    e.nDelayFrames, e.dGain, e.dRatio, e.bPass ? "ok" : "WRONG");
    std::printf("result %s\n", r.bPass ? "PASS" : "FAIL");
    return r.bPass ? 0 : EXIT_FAIL;
}

// The sample range [from, to) of a stretch given in seconds by --from and --to.
std::pair<size_t, size_t> Stretch(const Args& args, const Signal& s)
{
    const double dFrom = args.Number("from", 0);
    const double dTo = args.Number("to", static_cast<double>(s.x.size()) / s.nRate);
    const auto at = [&](double dSeconds) {
        return std::min(s.x.size(), static_cast<size_t>(std::max(0.0, dSeconds) * s.nRate));
    };
    return {at(dFrom), std::max(at(dFrom), at(dTo))};
}

int Gaps(int argc, char** argv)
{
    const Args args = Parse(argc, argv, 1);
    const Signal rec = Load(args.positional[0]);
    const auto [nFrom, nTo] = Stretch(args, rec);
    const std::vector<double> x(rec.x.begin() + static_cast<long>(nFrom), rec.x.begin() + static_cast<long>(nTo));
    GapReport r = FindGaps(x, rec.nRate, args.Number("merge", 5.0), args.Number("min-silence", 2.0));
    // Times count from the start of the recording, not of the stretch.
    const double dOffset = static_cast<double>(nFrom) / rec.nRate;
    r.dStartS += dOffset;
    r.dEndS += dOffset;
    for (Gap& g : r.gaps)
        g.dStartS += dOffset;
    if (!r.bTone) {
        std::printf("result FAIL (no tone)\n");
        return EXIT_FAIL;
    }
    std::printf("tone_s %.3f %.3f\nfrequency_hz %.2f\namplitude %.0f\ngaps %zu\n", r.dStartS, r.dEndS, r.dFrequency,
                r.dAmplitude, r.gaps.size());
    for (const Gap& g : r.gaps)
        std::printf("gap at_s %.4f length_ms %.2f silent_ms %.2f\n", g.dStartS, g.dLengthMs, g.dSilentMs);
    std::printf("result %s\n", r.gaps.empty() ? "PASS" : "FAIL");
    return r.gaps.empty() ? 0 : EXIT_FAIL;
}

int Silence(int argc, char** argv)
{
    const Args args = Parse(argc, argv, 1);
    const Signal rec = Load(args.positional[0]);
    const auto [nFrom, nTo] = Stretch(args, rec);
    double dPeak = 0;
    double dEnergy = 0;
    for (size_t i = nFrom; i < nTo; ++i) {
        dPeak = std::max(dPeak, std::fabs(rec.x[i]));
        dEnergy += rec.x[i] * rec.x[i];
    }
    const double dRms = nTo > nFrom ? std::sqrt(dEnergy / static_cast<double>(nTo - nFrom)) : 0.0;
    const bool bSilent = nTo > nFrom && dPeak <= args.Number("max", 8);
    std::printf("seconds %.3f\npeak %.0f\nrms %.2f\nresult %s\n", static_cast<double>(nTo - nFrom) / rec.nRate, dPeak,
                dRms, bSilent ? "PASS" : "FAIL (not silent)");
    return bSilent ? 0 : EXIT_FAIL;
}

int Picture(int argc, char** argv)
{
    const Args args = Parse(argc, argv, 3);
    Signal in = Load(args.positional[0]);
    Signal out = Load(args.positional[1]);
    SameRate(in, out);
    const auto [nFrom, nTo] = Stretch(args, in.nRate && in.x.size() >= out.x.size() ? in : out);
    for (Signal* s : {&in, &out}) {
        const size_t nEnd = std::min(nTo, s->x.size());
        s->x = std::vector<double>(s->x.begin() + static_cast<long>(std::min(nFrom, nEnd)), s->x.begin() + static_cast<long>(nEnd));
    }
    std::string error;
    if (!DrawPicture(in.x, out.x, in.nRate, static_cast<double>(nFrom) / in.nRate, args.Text("title", "input and output"), args.positional[2], error)) {
        std::fprintf(stderr, "wavcheck: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    std::printf("picture %s\n", args.positional[2].c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "latency")
        return Latency(argc, argv);
    if (command == "echoes")
        return Echoes(argc, argv);
    if (command == "gaps")
        return Gaps(argc, argv);
    if (command == "silence")
        return Silence(argc, argv);
    if (command == "picture")
        return Picture(argc, argv);
    Usage("unknown command '" + command + "'");
}

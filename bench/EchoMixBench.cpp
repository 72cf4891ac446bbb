// The echo mixer at 96 kHz beside a plain copy of the same bytes (the memory bound).
// Arguments: channels, delay in ms, block in ms.
#include "echo/EchoMix.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int RATE = 96000;

std::vector<int16_t> Noise(size_t nSamples)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> dist(-20000, 20000);
    std::vector<int16_t> v(nSamples);
    for (int16_t& s : v)
        s = static_cast<int16_t>(dist(rng));
    return v;
}

void BM_EchoMix(benchmark::State& state)
{
    const int nChannels = static_cast<int>(state.range(0));
    const int nDelaySamples = static_cast<int>(state.range(1) * RATE / 1000) * nChannels;
    const size_t nSamples = size_t(state.range(2)) * RATE / 1000 * nChannels;
    const std::vector<int16_t> in = Noise(nSamples);
    std::vector<int16_t> out(nSamples);
    std::vector<int16_t> ring(ECHO_RING_SAMPLES, 0);
    int nRead = 0;
    int nWrite = nDelaySamples;
    for (auto _ : state) {
        EchoLevels levels = EchoMix(in.data(), static_cast<uint32_t>(nSamples * 2), out.data(),
                                    ring.data(), nRead, nWrite, 200);
        benchmark::DoNotOptimize(levels);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(nSamples));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(nSamples * 2));
}

void BM_Copy(benchmark::State& state)
{
    const size_t nSamples = size_t(state.range(2)) * RATE / 1000 * state.range(0);
    const std::vector<int16_t> in = Noise(nSamples);
    std::vector<int16_t> out(nSamples);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), nSamples * 2);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(nSamples));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(nSamples * 2));
}

void Cases(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"channels", "delay_ms", "block_ms"});
    for (int nChannels : {1, 2})
        for (int nDelay : {10, 1000})
            for (int nBlock : {50, 1000})
                b->Args({nChannels, nDelay, nBlock});
}

BENCHMARK(BM_EchoMix)->Apply(Cases);
BENCHMARK(BM_Copy)->Apply(Cases);

}  // namespace

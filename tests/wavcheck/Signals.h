// Synthetic signals for the analysis tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace signals {

inline std::vector<double> Sine(double dFrequency, double dAmplitude, int nRate, size_t nSamples, double dPhase = 0)
{
    std::vector<double> x(nSamples);
    const double dW = 2 * std::acos(-1.0) * dFrequency / nRate;
    for (size_t n = 0; n < nSamples; ++n)
        x[n] = std::round(dAmplitude * std::sin(dW * static_cast<double>(n) + dPhase));
    return x;
}

// A linear sweep with soft ends, as the bench feeds.
inline std::vector<double> Chirp(int nRate, double dSeconds, double dAmplitude = 16000)
{
    const size_t n = static_cast<size_t>(dSeconds * nRate);
    std::vector<double> x(n);
    const double dPi = std::acos(-1.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / nRate;
        const double dPhase = 2 * dPi * (300 * t + (2700 / dSeconds) * t * t / 2);
        const double dEdge = std::min({1.0, t / 0.005, (dSeconds - t) / 0.005});
        x[i] = std::round(dAmplitude * dEdge * std::sin(dPhase));
    }
    return x;
}

inline std::vector<double> Noise(std::mt19937& rng, size_t n, double dAmplitude)
{
    std::uniform_real_distribution<double> d(-dAmplitude, dAmplitude);
    std::vector<double> x(n);
    for (double& v : x)
        v = std::round(d(rng));
    return x;
}

inline std::vector<double> Silence(size_t n)
{
    return std::vector<double>(n, 0.0);
}

inline std::vector<double> Join(std::initializer_list<std::vector<double>> parts)
{
    std::vector<double> x;
    for (const auto& p : parts)
        x.insert(x.end(), p.begin(), p.end());
    return x;
}

// What a feedback echo makes of x in 16-bit arithmetic: y[n] = limit(x[n] + floor(y[n-D] g / 256)).
inline std::vector<double> FeedbackEcho(const std::vector<double>& x, size_t nDelay, int g)
{
    std::vector<double> y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        const int nEcho = n >= nDelay ? (static_cast<int>(y[n - nDelay]) * g) >> 8 : 0;
        y[n] = std::clamp(static_cast<int>(x[n]) + nEcho, -32768, 32767);
    }
    return y;
}

}  // namespace signals

#include "tools/wavcheck/Gaps.h"

#include <algorithm>
#include <cmath>

GapReport FindGaps(const std::vector<double>& x, int nRate, double dMergeMs, double dMinSilentMs)
{
    GapReport report;
    double dPeak = 0;
    for (double d : x)
        dPeak = std::max(dPeak, std::fabs(d));
    if (dPeak < 64 || x.size() < 16)
        return report;

    // The tone runs from the first to the last sample above a tenth of the peak.
    const double dLoud = dPeak / 10;
    size_t nFirst = 0;
    while (std::fabs(x[nFirst]) < dLoud)
        ++nFirst;
    size_t nLast = x.size() - 1;
    while (std::fabs(x[nLast]) < dLoud)
        --nLast;
    if (nLast < nFirst + 16)
        return report;

    // c from each sample where the one before is well away from zero, c = (x[n] + x[n-2]) /
    // x[n-1]; the median, so that even hundreds of gaps do not move it.
    std::vector<double> estimates;
    for (size_t n = nFirst + 2; n <= nLast; ++n) {
        if (std::fabs(x[n - 1]) > dPeak / 2)
            estimates.push_back((x[n] + x[n - 2]) / x[n - 1]);
    }
    if (estimates.empty())
        return report;
    std::nth_element(estimates.begin(), estimates.begin() + static_cast<long>(estimates.size() / 2), estimates.end());
    const double c0 = estimates[estimates.size() / 2];
    // Then least squares over the samples that c0 already predicts well: as exact as the
    // rounding of the samples allows.
    double dNum = 0;
    double dDen = 0;
    for (size_t n = nFirst + 2; n <= nLast; ++n) {
        if (std::fabs(x[n] - c0 * x[n - 1] + x[n - 2]) < dPeak / 20) {
            dNum += x[n - 1] * (x[n] + x[n - 2]);
            dDen += x[n - 1] * x[n - 1];
        }
    }
    const double c = std::clamp(dDen > 0 ? dNum / dDen : c0, -1.999999, 1.999999);
    const double dSin2 = 1 - c * c / 4;  // sin^2 w
    const double dPi = std::acos(-1.0);
    report.bTone = true;
    report.dFrequency = std::acos(c / 2) * nRate / (2 * dPi);
    report.dStartS = static_cast<double>(nFirst) / nRate;
    report.dEndS = static_cast<double>(nLast) / nRate;

    auto amplitude = [&](size_t n) {
        return std::sqrt(std::max(0.0, x[n] * x[n] + x[n - 1] * x[n - 1] - c * x[n] * x[n - 1]) / dSin2);
    };
    std::vector<double> amplitudes;
    for (size_t n = nFirst + 1; n <= nLast; ++n)
        amplitudes.push_back(amplitude(n));
    std::nth_element(amplitudes.begin(), amplitudes.begin() + static_cast<long>(amplitudes.size() / 2), amplitudes.end());
    const double dAmplitude = amplitudes[amplitudes.size() / 2];
    report.dAmplitude = dAmplitude;

    // The first and last few samples of the tone are its own edges, not gaps.
    const size_t nEdge = static_cast<size_t>(nRate / 200);  // 5 ms
    const size_t nFrom = nFirst + nEdge;
    const size_t nTo = nLast > nEdge ? nLast - nEdge : 0;
    const double dMissTol = 0.02 * dAmplitude + 4;
    const size_t nMerge = static_cast<size_t>(dMergeMs * nRate / 1000);
    const size_t nMinSilent = static_cast<size_t>(dMinSilentMs * nRate / 1000);

    bool bOpen = false;
    size_t nGapFirst = 0;
    size_t nGapLast = 0;
    size_t nSilent = 0;
    bool bBreak = false;
    auto close = [&] {
        if (bOpen && (bBreak || nSilent >= nMinSilent)) {
            Gap g;
            g.dStartS = static_cast<double>(nGapFirst) / nRate;
            g.dLengthMs = static_cast<double>(nGapLast - nGapFirst + 1) * 1000.0 / nRate;
            g.dSilentMs = static_cast<double>(nSilent) * 1000.0 / nRate;
            report.gaps.push_back(g);
        }
        bOpen = false;
    };
    for (size_t n = std::max<size_t>(nFrom, 2); n <= nTo; ++n) {
        const bool bSilent = amplitude(n) < dAmplitude / 4;
        const bool bMiss = std::fabs(x[n] - c * x[n - 1] + x[n - 2]) > dMissTol;
        if (!bSilent && !bMiss)
            continue;
        if (bOpen && n - nGapLast > nMerge)
            close();
        if (!bOpen) {
            bOpen = true;
            nGapFirst = n;
            nSilent = 0;
            bBreak = false;
        }
        nGapLast = n;
        nSilent += bSilent ? 1 : 0;
        bBreak = bBreak || (bMiss && !bSilent);
    }
    close();
    return report;
}

#include "tools/wavcheck/Echoes.h"

#include <algorithm>
#include <cmath>

int ExpectedRepeats(int nStrength)
{
    int n = 0;
    double dLevel = 1.0;
    while (n < 8 && (dLevel *= nStrength / 256.0) >= 0.05)
        ++n;
    return n;
}

EchoReport MeasureEchoes(const CCopyFinder& finder, long nFrom, long nTo, const EchoCheck& check)
{
    EchoReport report;
    // The direct sound is the strongest copy: every echo is weaker by g/256 < 1.
    report.first = finder.Strongest(nFrom, nTo);
    // Echoes inside the reference's span lower the similarity of the first copy (to 0.87 for
    // a short burst at strength 128), noise leaves it near 0.
    if (report.first.nLag < 0 || report.first.dGain <= 0 || report.first.dSimilarity < 0.2)
        return report;

    const double dPerMs = check.nRate / 1000.0;
    const double dDelayMs = check.nDelayFrames > 0 ? check.nDelayFrames / dPerMs : check.dDelayMs;
    const int nRepeats = check.nRepeats > 0 ? check.nRepeats : std::max(1, ExpectedRepeats(check.nStrength));
    const long nWindow = static_cast<long>(std::ceil(check.dDelayTolMs * dPerMs)) + 1;
    const double dRatio = check.nStrength / 256.0;
    // An echo expected below 1 % of the first copy is not searched for (a peak of noise would
    // be found); it is measured where it should be, and then its gain must be about 0.
    std::vector<long> lags{report.first.nLag};
    double dExpected = 1.0;
    for (int k = 1; k <= nRepeats; ++k) {
        dExpected *= dRatio;
        const long nNominal = report.first.nLag + (check.nDelayFrames > 0 ? k * check.nDelayFrames : std::lround(k * dDelayMs * dPerMs));
        const long nLag = dExpected >= 0.01 ? finder.Strongest(nNominal - nWindow, nNominal + nWindow).nLag : nNominal;
        lags.push_back(nLag < 0 ? nNominal : nLag);
    }
    const std::vector<double> gains = finder.JointGains(lags);

    report.bPass = true;
    dExpected = 1.0;
    for (int k = 1; k <= nRepeats; ++k) {
        dExpected *= dRatio;
        EchoRepeat r;
        r.k = k;
        r.nDelayFrames = lags[static_cast<size_t>(k)] - lags[0];
        r.dDelayMs = static_cast<double>(r.nDelayFrames) / dPerMs;
        r.dGain = gains[static_cast<size_t>(k)];
        const double dBefore = gains[static_cast<size_t>(k - 1)];
        r.dRatio = std::fabs(dBefore) > 0.01 * gains[0] ? r.dGain / dBefore : 0.0;
        if (dExpected >= 0.01) {
            const bool bAtDelay = check.nDelayFrames > 0 ? r.nDelayFrames == k * check.nDelayFrames
                                                         : std::fabs(r.dDelayMs - k * dDelayMs) <= check.dDelayTolMs;
            r.bPass = bAtDelay &&
                      std::fabs(r.dRatio - dRatio) <= check.dRatioTol;
        } else {
            // Nothing audible is expected: what is there must be as faint.
            r.bPass = std::fabs(r.dGain / gains[0]) <= check.dRatioTol;
        }
        report.bPass = report.bPass && r.bPass;
        report.repeats.push_back(r);
    }
    return report;
}

// Where, and how strongly, a known signal appears in a recording.
#pragma once

#include <vector>

// c[k] = sum over i of ref[i] * rec[i + k], for k = 0 .. rec.size() - 1 (rec taken as zero
// past its end), by FFT: a minute of recording against a few seconds of signal in a second.
std::vector<double> CrossCorrelate(const std::vector<double>& ref, const std::vector<double>& rec);

// One copy of the reference in the recording: rec[lag + i] ~ dGain * ref[i].
struct Copy {
    long nLag = -1;
    double dGain = 0;        // least-squares gain of the copy
    double dSimilarity = 0;  // normalised correlation there, 1 for an exact (scaled) copy
};

class CCopyFinder {
public:
    CCopyFinder(std::vector<double> ref, std::vector<double> rec);

    // The copy with the highest correlation at a lag in [nFrom, nTo] (clamped to the
    // recording); nLag stays -1 when the range is empty or the reference is silent.
    Copy Strongest(long nFrom, long nTo) const;
    Copy At(long nLag) const;
    // Every copy at least dMinSimilarity alike, strongest of its neighbourhood (the
    // reference's length either side), in order of lag: each chirp of a train, say.
    std::vector<Copy> All(double dMinSimilarity) const;
    // The reference's autocorrelation at a lag: how much two copies that far apart overlap.
    double Autocorrelation(long nLag) const;
    // The least-squares gains of copies at the given lags, solved together, so that copies
    // which overlap (a signal longer than the distance between them) are told apart.
    std::vector<double> JointGains(const std::vector<long>& lags) const;
    double ReferenceEnergy() const { return m_dRefEnergy; }

private:
    std::vector<double> m_ref;
    std::vector<double> m_correlation;
    std::vector<double> m_recEnergyPrefix;  // sum of rec[i]^2 for i < k
    double m_dRefEnergy = 0;
};

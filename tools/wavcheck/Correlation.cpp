#include "tools/wavcheck/Correlation.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>

namespace {

using Complex = std::complex<double>;

// In-place iterative radix-2 FFT; the size is a power of two. bInverse leaves the result
// unscaled (times the size).
void Fft(std::vector<Complex>& a, bool bInverse)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    const double dPi = std::acos(-1.0);
    for (size_t len = 2; len <= n; len <<= 1) {
        const double dAngle = 2 * dPi / static_cast<double>(len) * (bInverse ? 1 : -1);
        const Complex wStep(std::cos(dAngle), std::sin(dAngle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= wStep;
            }
        }
    }
}

}  // namespace

std::vector<double> CrossCorrelate(const std::vector<double>& ref, const std::vector<double>& rec)
{
    if (ref.empty() || rec.empty())
        return std::vector<double>(rec.size(), 0.0);
    size_t n = 1;
    while (n < ref.size() + rec.size())
        n <<= 1;
    // Both real signals go into one complex transform: z = rec + i*ref. Their spectra are
    // then R[k] = (Z[k] + conj Z[n-k]) / 2 and F[k] = (Z[k] - conj Z[n-k]) / 2i.
    std::vector<Complex> z(n);
    for (size_t i = 0; i < rec.size(); ++i)
        z[i].real(rec[i]);
    for (size_t i = 0; i < ref.size(); ++i)
        z[i].imag(ref[i]);
    Fft(z, false);
    std::vector<Complex> product(n);
    for (size_t k = 0; k < n; ++k) {
        const Complex zk = z[k];
        const Complex zn = std::conj(z[(n - k) & (n - 1)]);
        const Complex recK = (zk + zn) * 0.5;
        const Complex refK = (zk - zn) * Complex(0, -0.5);
        product[k] = recK * std::conj(refK);
    }
    Fft(product, true);
    std::vector<double> c(rec.size());
    for (size_t k = 0; k < rec.size(); ++k)
        c[k] = product[k].real() / static_cast<double>(n);
    return c;
}

CCopyFinder::CCopyFinder(std::vector<double> ref, std::vector<double> rec)
    : m_ref(std::move(ref)), m_correlation(CrossCorrelate(m_ref, rec)), m_recEnergyPrefix(rec.size() + 1, 0.0)
{
    for (size_t i = 0; i < rec.size(); ++i)
        m_recEnergyPrefix[i + 1] = m_recEnergyPrefix[i] + rec[i] * rec[i];
    for (double d : m_ref)
        m_dRefEnergy += d * d;
}

Copy CCopyFinder::At(long nLag) const
{
    Copy copy;
    if (nLag < 0 || static_cast<size_t>(nLag) >= m_correlation.size() || m_dRefEnergy <= 0)
        return copy;
    copy.nLag = nLag;
    const double dCorrelation = m_correlation[static_cast<size_t>(nLag)];
    copy.dGain = dCorrelation / m_dRefEnergy;
    const size_t nEnd = std::min(m_recEnergyPrefix.size() - 1, static_cast<size_t>(nLag) + m_ref.size());
    const double dRecEnergy = m_recEnergyPrefix[nEnd] - m_recEnergyPrefix[static_cast<size_t>(nLag)];
    copy.dSimilarity = dRecEnergy > 0 ? dCorrelation / std::sqrt(dRecEnergy * m_dRefEnergy) : 0.0;
    return copy;
}

Copy CCopyFinder::Strongest(long nFrom, long nTo) const
{
    nFrom = std::max(nFrom, 0L);
    nTo = std::min(nTo, static_cast<long>(m_correlation.size()) - 1);
    if (nFrom > nTo || m_dRefEnergy <= 0)
        return Copy{};
    long nBest = nFrom;
    for (long k = nFrom; k <= nTo; ++k) {
        if (m_correlation[static_cast<size_t>(k)] > m_correlation[static_cast<size_t>(nBest)])
            nBest = k;
    }
    return At(nBest);
}

std::vector<Copy> CCopyFinder::All(double dMinSimilarity) const
{
    std::vector<Copy> copies;
    const long nSpan = static_cast<long>(m_ref.size());
    const long nLags = static_cast<long>(m_correlation.size());
    for (long k = 0; k < nLags; ++k) {
        const Copy c = At(k);
        if (c.dSimilarity < dMinSimilarity)
            continue;
        // The strongest within a span either side; a later one that is stronger replaces it.
        if (!copies.empty() && k - copies.back().nLag < nSpan) {
            if (c.dGain * m_dRefEnergy > m_correlation[static_cast<size_t>(copies.back().nLag)])
                copies.back() = c;
            continue;
        }
        copies.push_back(c);
    }
    return copies;
}

double CCopyFinder::Autocorrelation(long nLag) const
{
    const size_t nShift = static_cast<size_t>(std::labs(nLag));
    double dSum = 0;
    for (size_t i = 0; i + nShift < m_ref.size(); ++i)
        dSum += m_ref[i] * m_ref[i + nShift];
    return dSum;
}

std::vector<double> CCopyFinder::JointGains(const std::vector<long>& lags) const
{
    // Normal equations: sum over k of A(L_j - L_k) * g_k = c(L_j), with A the reference's
    // autocorrelation; Gaussian elimination with partial pivoting.
    const size_t n = lags.size();
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    for (size_t j = 0; j < n; ++j) {
        for (size_t k = 0; k < n; ++k)
            m[j][k] = Autocorrelation(lags[j] - lags[k]);
        const long nLag = lags[j];
        m[j][n] = nLag >= 0 && static_cast<size_t>(nLag) < m_correlation.size() ? m_correlation[static_cast<size_t>(nLag)] : 0.0;
    }
    for (size_t col = 0; col < n; ++col) {
        size_t nPivot = col;
        for (size_t r = col + 1; r < n; ++r) {
            if (std::fabs(m[r][col]) > std::fabs(m[nPivot][col]))
                nPivot = r;
        }
        std::swap(m[col], m[nPivot]);
        if (std::fabs(m[col][col]) < 1e-12)
            return std::vector<double>(n, 0.0);
        for (size_t r = 0; r < n; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col] / m[col][col];
            for (size_t c = col; c <= n; ++c)
                m[r][c] -= f * m[col][c];
        }
    }
    std::vector<double> gains(n);
    for (size_t j = 0; j < n; ++j)
        gains[j] = m[j][n] / m[j][j];
    return gains;
}

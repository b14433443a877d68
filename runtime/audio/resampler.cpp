#include "audio/resampler.h"

#include <algorithm>
#include <cmath>

namespace qtrt::audio {
namespace {

constexpr int kZeroCrossings = 32;
constexpr int kPhases = 256;
constexpr double kCutoff = 0.92;
constexpr double kBeta = 7.857;
constexpr double kPi = 3.14159265358979323846;

// Modified Bessel function of the first kind, order 0, by its power series.
double bessel_i0(double x) {
    double sum = 1.0, term = 1.0;
    const double q = x * x / 4.0;
    for (int k = 1; k < 64 && term > sum * 1e-17; ++k) {
        term *= q / (double(k) * k);
        sum += term;
    }
    return sum;
}

}  // namespace

sinc_resampler::sinc_resampler(double source_rate, double output_rate)
    : m_step(source_rate / output_rate),
      m_cutoff(kCutoff * std::min(1.0, output_rate / source_rate)),
      m_reach(int64_t(std::ceil(kZeroCrossings / m_cutoff))),
      m_table(size_t(kZeroCrossings) * kPhases + 2) {
    const double i0_beta = bessel_i0(kBeta);
    for (size_t i = 0; i < m_table.size(); ++i) {
        const double u = double(i) / kPhases;  // in zero crossings
        if (u >= kZeroCrossings) {
            m_table[i] = 0.0f;
            continue;
        }
        const double sinc = u == 0.0 ? 1.0 : std::sin(kPi * u) / (kPi * u);
        const double r = u / kZeroCrossings;
        const double window = bessel_i0(kBeta * std::sqrt(1.0 - r * r)) / i0_beta;
        m_table[i] = float(sinc * window);
    }
}

double sinc_resampler::kernel(double distance) const {
    const double u = std::fabs(distance) * m_cutoff * kPhases;
    const size_t i = size_t(u);
    if (i + 1 >= m_table.size()) return 0.0;
    const double frac = u - double(i);
    return m_cutoff * (m_table[i] + (m_table[i + 1] - m_table[i]) * frac);
}

void sinc_resampler::render(const float* src, int64_t src_first, size_t src_count, uint32_t channels,
                            double start, size_t frames, float* dst) const {
    const int64_t src_end = src_first + int64_t(src_count);
    std::vector<double> acc(channels);
    for (size_t k = 0; k < frames; ++k) {
        const double x = start + double(k) * m_step;
        const int64_t lo = std::max(int64_t(std::floor(x)) - m_reach + 1, src_first);
        const int64_t hi = std::min(int64_t(std::floor(x)) + m_reach, src_end - 1);
        std::fill(acc.begin(), acc.end(), 0.0);
        for (int64_t i = lo; i <= hi; ++i) {
            const double w = kernel(x - double(i));
            const float* frame = src + size_t(i - src_first) * channels;
            for (uint32_t c = 0; c < channels; ++c) acc[c] += w * frame[c];
        }
        for (uint32_t c = 0; c < channels; ++c) dst[k * channels + c] = float(acc[c]);
    }
}

}  // namespace qtrt::audio

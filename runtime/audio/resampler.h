// Sample-rate conversion by a Kaiser-windowed sinc filter. The filter spans
// 32 zero crossings on each side of the output position, cuts off at 0.92 of
// the lower of the two Nyquist frequencies and has a Kaiser window with
// beta 7.86 (about 80 dB stop-band attenuation); its kernel is tabulated at
// 256 points per zero crossing and interpolated linearly.
//
// The resampler keeps no state between calls: an output frame's value
// depends only on its position in the source, so a caller can render any
// stretch of output from the source frames around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qtrt::audio {

class sinc_resampler {
public:
    sinc_resampler(double source_rate, double output_rate);

    // Source frames advanced per output frame.
    double step() const { return m_step; }
    // Source frames the filter reads on each side of a position.
    int64_t reach() const { return m_reach; }

    // Writes frames output frames of channels interleaved channels; output
    // frame k is the source sampled at position start + k * step(). src holds
    // the source frames src_first .. src_first + src_count - 1; frames outside
    // that range count as silence.
    void render(const float* src, int64_t src_first, size_t src_count, uint32_t channels, double start,
                size_t frames, float* dst) const;

private:
    double kernel(double distance) const;

    double m_step;
    double m_cutoff;  // of the source's Nyquist frequency
    int64_t m_reach;
    std::vector<float> m_table;  // the kernel over 0 .. kZeroCrossings, at the cutoff
};

}  // namespace qtrt::audio

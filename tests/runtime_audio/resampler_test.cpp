#include <gtest/gtest.h>

#include <cmath>

#include "audio/resampler.h"

using namespace qtrt::audio;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> sine(double frequency, double rate, size_t frames, double amplitude = 0.5) {
    std::vector<float> s(frames);
    for (size_t i = 0; i < frames; ++i) s[i] = float(amplitude * std::sin(2 * kPi * frequency * i / rate));
    return s;
}

// Root mean square of out against a sine sampled at the output rate, away
// from the edges where the source ends.
double rms_error(const std::vector<float>& out, double frequency, double rate, size_t margin) {
    double sum = 0;
    size_t n = 0;
    for (size_t k = margin; k + margin < out.size(); ++k, ++n) {
        const double want = 0.5 * std::sin(2 * kPi * frequency * k / rate);
        sum += (out[k] - want) * (out[k] - want);
    }
    return std::sqrt(sum / n);
}

double rms(const std::vector<float>& out, size_t margin) {
    double sum = 0;
    size_t n = 0;
    for (size_t k = margin; k + margin < out.size(); ++k, ++n) sum += double(out[k]) * out[k];
    return std::sqrt(sum / n);
}

struct rate_case {
    double from;
    double to;
    double tone;
};

class ResamplerPassband : public testing::TestWithParam<rate_case> {};

TEST_P(ResamplerPassband, TonesInThePassbandKeepShapeAndLevel) {
    const rate_case c = GetParam();
    const size_t in_frames = size_t(c.from / 8);
    const std::vector<float> in = sine(c.tone, c.from, in_frames);
    sinc_resampler r(c.from, c.to);
    const size_t out_frames = size_t(in_frames / r.step());
    std::vector<float> out(out_frames);
    r.render(in.data(), 0, in.size(), 1, 0.0, out_frames, out.data());
    // At least 70 dB below the tone's level of 0.35 RMS.
    EXPECT_LT(rms_error(out, c.tone, c.to, size_t(c.to / 100)), 0.35 * 3.2e-4);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResamplerPassband,
                         testing::Values(rate_case{22050, 44100, 1000}, rate_case{44100, 48000, 5000},
                                         rate_case{48000, 44100, 15000}, rate_case{96000, 48000, 17000},
                                         rate_case{8000, 48000, 3000}));

TEST(ResamplerStopband, TonesAboveTheNewNyquistAreRemoved) {
    const std::vector<float> in = sine(15000, 48000, 6000);
    sinc_resampler r(48000, 22050);
    std::vector<float> out(2700);
    r.render(in.data(), 0, in.size(), 1, 0.0, out.size(), out.data());
    EXPECT_LT(rms(out, 300), 0.35 * 1e-4);  // below -80 dB
}

TEST(ResamplerInterleaving, ChannelsAreFilteredSeparately) {
    std::vector<float> in(2 * 4000);
    for (size_t i = 0; i < 4000; ++i) {
        in[2 * i] = 0.5f;
        in[2 * i + 1] = -0.25f;
    }
    sinc_resampler r(32000, 48000);
    std::vector<float> out(2 * 100);
    r.render(in.data(), 0, 4000, 2, 1000.0, 100, out.data());
    for (size_t k = 0; k < 100; ++k) {
        EXPECT_NEAR(out[2 * k], 0.5f, 1e-4);
        EXPECT_NEAR(out[2 * k + 1], -0.25f, 1e-4);
    }
}

TEST(ResamplerEdges, FramesOutsideTheSourceCountAsSilence) {
    const std::vector<float> in(1000, 0.5f);
    sinc_resampler r(44100, 48000);
    std::vector<float> out(10);
    r.render(in.data(), 5000, in.size(), 1, 0.0, out.size(), out.data());
    for (float v : out) EXPECT_EQ(v, 0.0f);
}

}  // namespace

// Speech codecs through the public extraction routines: AMR media samples
// holding several frames of mixed modes, and Opus SILK, whose decoder holds
// frames back, placed on time against libavcodec's decoding of the same
// packets (tests/data/compressed/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "runtime_audio/extraction.h"

using audio_test::data_path;
using audio_test::extraction;
using audio_test::reference;
using test_movie::bytes;
using test_movie::fourcc;

namespace {

struct amr_case {
    const char* name;
    uint32_t format;
    uint32_t rate;
    uint32_t frame_frames;             // sound frames of one 20 ms frame
    std::vector<uint8_t> modes;        // the frame types of every media sample's frames
    std::vector<uint32_t> mode_bytes;  // their sizes, header included
};

class AmrSamples : public testing::TestWithParam<amr_case> {};

// Every 20 ms frame of every media sample decodes: none is left as silence.
TEST_P(AmrSamples, EveryFrameOfASampleDecodes) {
    SKIP_WITHOUT_DECODER();
    const amr_case& c = GetParam();
    constexpr uint32_t kSamples = 6;
    test_movie::movie_plan plan;
    test_movie::track_plan& t = plan.add_sound(c.format, 1, 16, c.rate);
    t.constant_size = false;
    for (uint32_t n = 0; n < kSamples; ++n) {
        test_movie::sample s;
        for (size_t f = 0; f < c.modes.size(); ++f) {
            s.data.push_back(uint8_t(c.modes[f] << 3 | 4));  // the frame type, quality good
            for (uint32_t i = 1; i < c.mode_bytes[f]; ++i)
                s.data.push_back(uint8_t(i * 37 + f * 11 + n * 5));
        }
        s.size = uint32_t(s.data.size());
        s.duration = uint32_t(c.modes.size()) * c.frame_frames;
        t.samples.push_back(s);
    }
    t.samples_per_chunk = 3;
    extraction x(plan);
    ASSERT_TRUE(x.ok());
    ASSERT_EQ(x.channels(), 1u);
    EXPECT_EQ(x.default_description().mSampleRate, double(c.rate));
    const std::vector<float> got = x.frames();
    const size_t frames = size_t(kSamples) * c.modes.size() * c.frame_frames;
    ASSERT_GE(got.size(), frames);
    for (size_t block = 0; block < frames / c.frame_frames; ++block) {
        const auto first = got.begin() + long(block * c.frame_frames);
        float peak = 0;
        for (auto it = first; it != first + c.frame_frames; ++it)
            peak = std::max(peak, std::fabs(*it));
        EXPECT_GT(peak, 1e-4f) << "20 ms frame " << block << " is silent";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AmrSamples,
    testing::Values(
        amr_case{"samr", fourcc("samr"), 8000, 160, {7, 0, 4, 2, 5}, {32, 13, 20, 16, 21}},
        amr_case{"sawb", fourcc("sawb"), 16000, 320, {2, 0, 8, 1, 4}, {33, 18, 61, 24, 41}}),
    [](const testing::TestParamInfo<amr_case>& info) { return std::string(info.param.name); });

// The packets of NAME.packets (its OpusHead, then each packet's 32-bit size
// and bytes) in an 'Opus' track of 20 ms samples.
test_movie::movie_plan opus_movie(const std::string& name) {
    const bytes file = test_movie::read_bytes(data_path(name + ".packets"));
    test_movie::movie_plan plan;
    if (file.size() < 19) return plan;
    // 'dOps' holds the OpusHead's fields from its version on, big-endian.
    const bytes dops = {0,        file[9],  file[11], file[10], file[15], file[14],
                        file[13], file[12], file[17], file[16], file[18]};
    test_movie::track_plan& t = plan.add_sound(fourcc("Opus"), file[9], 16, 48000);
    t.descriptions[0] = test_movie::sound_description(fourcc("Opus"), file[9], 16, 48000, 0,
                                                      {{fourcc("dOps"), dops}});
    t.constant_size = false;
    for (size_t at = 19; at + 4 <= file.size();) {
        test_movie::sample s;
        s.size = test_movie::get_u32(file, at);
        s.data.assign(file.begin() + long(at + 4),
                      file.begin() + long(std::min<size_t>(file.size(), at + 4 + s.size)));
        s.duration = 960;
        t.samples.push_back(s);
        at += 4 + s.size;
    }
    t.samples_per_chunk = 5;
    return plan;
}

// Opus SILK at 8 kHz: the decoder gives 936 frames for the first packet and
// the 24 it held back with the next. Its output follows on, frame after
// frame, as a decoder that plays the stream gives it.
TEST(OpusSilk, DecodedFramesFollowOnWithoutShift) {
    SKIP_WITHOUT_DECODER();
    extraction x(opus_movie("opus_silk_8k"));
    ASSERT_TRUE(x.ok());
    ASSERT_EQ(x.channels(), 1u);
    const std::vector<float> want = reference(data_path("opus_silk_8k.audio0.f32be"));
    const std::vector<float> got = x.frames();
    ASSERT_EQ(got.size(), want.size());
    EXPECT_EQ(audio_test::first_difference(got, want), got.size());
    // After a jump the decoder starts afresh a little earlier, and its
    // frames follow on from there. Its state differs from decoding from the
    // start (SILK converges slowly), but the sound is in place: far closer to
    // the reference where it is than 24 frames either way.
    const size_t middle = got.size() / 2;
    x.seek(int64_t(middle));
    const std::vector<float> after = x.frames(1000);
    ASSERT_EQ(after.size(), 1000u);
    auto distance = [&](long lag) {
        double sum = 0;
        for (size_t i = 0; i < after.size(); ++i)
            sum += std::pow(after[i] - want[size_t(long(middle + i) + lag)], 2);
        return sum;
    };
    EXPECT_LT(4 * distance(0), distance(-24));
    EXPECT_LT(4 * distance(0), distance(24));
}

}  // namespace

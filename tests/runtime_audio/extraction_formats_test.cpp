// Every stored PCM layout through the whole extraction: chunk offsets, frame
// sizes and sample conversion together.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/audio_constants.h"
#include "audio/extraction_session.h"
#include "audio/sound_format.h"
#include "synthetic_sound.h"

using namespace qtrt::audio;
using namespace audio_test;

namespace {

struct stored_format {
    const char* name;
    bytes description;
    uint32_t channels;
    uint32_t container_bytes;
    bool little_endian;
    bool offset_binary;
    bool is_float;
};

bytes store_integer(int32_t value, const stored_format& f) {
    uint32_t v = uint32_t(value);
    if (f.offset_binary) v ^= 1u << (f.container_bytes * 8 - 1);
    bytes b(f.container_bytes);
    for (uint32_t i = 0; i < f.container_bytes; ++i) {
        const uint32_t shift = 8 * (f.little_endian ? i : f.container_bytes - 1 - i);
        b[i] = uint8_t(v >> shift);
    }
    return b;
}

class ExtractionFormats : public testing::TestWithParam<stored_format> {};

TEST_P(ExtractionFormats, StoredSamplesComeOutAsExactFloats) {
    const stored_format& f = GetParam();
    const uint32_t frames = 2500;  // several chunks of 1000 frames
    sound_format parsed;
    ASSERT_EQ(parse_sound_description(f.description.data(), f.description.size(), parsed), sound_parse_result::ok);
    track_spec spec;
    spec.description = f.description;
    spec.frames = frames;
    spec.movie_time_scale = TimeScale(parsed.sample_rate);
    std::vector<float> expected;
    const int32_t full_scale = int32_t(1u << (f.container_bytes * 8 - 1) >> 1);
    for (uint32_t i = 0; i < frames * f.channels; ++i) {
        // A ramp across most of the range, different in each channel.
        const int32_t step = full_scale / int32_t(frames * f.channels);
        const int32_t value = -full_scale + int32_t(i) * step * 2 + int32_t(i % 3);
        if (f.is_float) {
            const float x = float(value) / float(full_scale) / 2;
            uint32_t bits;
            std::memcpy(&bits, &x, 4);
            bytes b = store_integer(int32_t(bits), f);
            spec.data.insert(spec.data.end(), b.begin(), b.end());
            expected.push_back(x);
        } else {
            bytes b = store_integer(value, f);
            spec.data.insert(spec.data.end(), b.begin(), b.end());
            expected.push_back(float(value) / float(2.0 * full_scale));
        }
    }
    std::vector<sound_track_input> inputs;
    inputs.push_back(make_track(spec));
    extraction_session s(spec.movie_time_scale, std::move(inputs));
    AudioStreamBasicDescription d = s.default_description();
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    d.mBitsPerChannel = 32;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * f.channels;
    ASSERT_EQ(s.set_description(d), noErr);

    std::vector<float> out(size_t(frames + 10) * f.channels);
    AudioBufferList list{1, {{f.channels, uint32_t(out.size() * 4), out.data()}}};
    uint32_t got = frames + 10, flags = 0;
    ASSERT_EQ(s.fill(got, list, flags), noErr);
    ASSERT_EQ(got, frames);
    out.resize(expected.size());
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(out[i], expected[i]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ExtractionFormats,
    testing::Values(
        stored_format{"raw_8bit_mono_22050", description_v0(kFormatRaw, 1, 8, 22050), 1, 1, false, true, false},
        stored_format{"twos_8bit_stereo", description_v0(kFormatTwos, 2, 8, 11025), 2, 1, false, false, false},
        stored_format{"sowt_16bit_stereo", description_v0(kFormatSowt, 2, 16, 44100), 2, 2, true, false, false},
        stored_format{"twos_16bit_mono_22050", description_v0(kFormatTwos, 1, 16, 22050), 1, 2, false, false,
                      false},
        stored_format{"in24_little_stereo", description_v1(kFormatIn24, 2, 16, 48000, 6, 1), 2, 3, true, false,
                      false},
        stored_format{"in32_big_mono", description_v1(kFormatIn32, 1, 16, 32000, 4, 0), 1, 4, false, false,
                      false},
        stored_format{"fl32_little_stereo", description_v1(kFormatFl32, 2, 16, 48000, 8, 1), 2, 4, true, false,
                      true},
        stored_format{"lpcm_int16_little_quad",
                      description_v2(kFormatLpcm, 4, 16, 96000,
                                     kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked, 8),
                      4, 2, true, false, false}),
    [](const testing::TestParamInfo<stored_format>& info) { return info.param.name; });

}  // namespace

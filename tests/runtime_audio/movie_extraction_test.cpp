// Extraction from movies written by the movie builder, through the public
// routines: several sound tracks, edits, rates and stored formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_constants.h"
#include "audio/sound_warning.h"
#include "movie/movie_toolbox.h"
#include "runtime_audio/extraction.h"
#include "runtime_movie/movie_test_support.h"

using namespace qtrt::audio;

namespace {

// Stored samples of one channel layout: value v of frame f, channel c is
// v(f, c); each frame is one media sample.
struct sound_plan {
    uint32_t format;
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
    uint32_t frames;
    int32_t (*value)(uint32_t frame, uint32_t channel);
};

int32_t ramp(uint32_t frame, uint32_t channel) { return int32_t(frame % 1000) * (channel ? -1 : 1); }
int32_t small_ramp(uint32_t frame, uint32_t) { return int32_t(frame % 200) - 100; }
int32_t constant(uint32_t, uint32_t) { return 4096; }
// Every 16-bit value, the extremes included, in 65536 frames.
int32_t full_range(uint32_t frame, uint32_t channel) { return int16_t(uint16_t(frame * 40503u + channel)); }

test_movie::track_plan& add_sound(test_movie::movie_plan& movie, const sound_plan& s) {
    test_movie::track_plan& t = movie.add_sound(s.format, s.channels, s.bits, s.rate);
    t.samples_per_chunk = 500;
    const bool little = s.format == test_movie::kSowt;
    const bool offset = s.format == kFormatRaw || (s.format == kFormatUnspecified && s.bits == 8);
    for (uint32_t f = 0; f < s.frames; ++f) {
        test_movie::sample sample;
        sample.duration = 1;
        for (uint32_t c = 0; c < s.channels; ++c) {
            uint32_t v = uint32_t(s.value(f, c));
            if (offset) v ^= 0x80;
            const uint8_t high = uint8_t(v >> 8), low = uint8_t(v);
            if (s.bits == 16) sample.data.push_back(little ? low : high);
            sample.data.push_back(s.bits == 16 && little ? high : low);
        }
        sample.size = uint32_t(sample.data.size());
        t.samples.push_back(sample);
    }
    return t;
}

float expected_sample(const sound_plan& s, uint32_t frame, uint32_t channel) {
    return float(s.value(frame, channel)) / (s.bits == 8 ? 128.0f : 32768.0f);
}

const sound_plan kMono48k{test_movie::kTwos, 1, 16, 48000, 4800, constant};
const sound_plan kStereo48k{test_movie::kTwos, 2, 16, 48000, 4800, ramp};

// The tracks' channels sit side by side, in track order. The output runs at
// the highest rate of the tracks; a track at a lower rate is resampled to it.
TEST(MovieExtraction, DiscreteChannelsOfTracksAtTwoRatesSitSideBySide) {
    test_movie::movie_plan plan;
    add_sound(plan, {test_movie::kTwos, 1, 16, 24000, 2400, constant});
    add_sound(plan, kStereo48k);
    audio_test::extraction m(plan);
    ASSERT_EQ(m.begun(), noErr);
    EXPECT_EQ(m.default_description().mSampleRate, 48000.0);
    ASSERT_EQ(m.channels(), 3u);
    const std::vector<float> all = m.frames();
    ASSERT_EQ(all.size(), 3u * 4800);
    for (uint32_t f = 0; f < 4800; f += 37) {
        if (f >= 500 && f < 4300) {
            ASSERT_NEAR(all[3 * f], expected_sample(kMono48k, 0, 0), 1e-4) << f;
        }
        ASSERT_EQ(all[3 * f + 1], expected_sample(kStereo48k, f, 0)) << f;
        ASSERT_EQ(all[3 * f + 2], expected_sample(kStereo48k, f, 1)) << f;
    }
}

struct stored_case {
    const char* name;
    sound_plan sound;
    void (*change)(test_movie::track_plan&) = nullptr;  // of the track add_sound made
};

class MovieStoredFormats : public testing::TestWithParam<stored_case> {};

// In the machine's byte order and big-endian, as the importer asks.
TEST_P(MovieStoredFormats, SamplesAndDefaultDescriptionFollowTheTrack) {
    const sound_plan& s = GetParam().sound;
    test_movie::movie_plan plan;
    test_movie::track_plan& t = add_sound(plan, s);
    if (GetParam().change) GetParam().change(t);
    for (bool big_endian : {false, true}) {
        audio_test::extraction m(plan, big_endian);
        ASSERT_EQ(m.begun(), noErr);
        EXPECT_EQ(m.default_description().mSampleRate, double(s.rate));
        EXPECT_EQ(m.default_description().mChannelsPerFrame, s.channels);
        EXPECT_EQ(m.default_description().mBitsPerChannel, s.bits);
        const std::vector<float> all = m.frames(SIZE_MAX, 777);
        ASSERT_EQ(all.size(), size_t(s.frames) * s.channels);
        for (uint32_t f = 0; f < s.frames; ++f)
            for (uint32_t c = 0; c < s.channels; ++c)
                ASSERT_EQ(all[f * s.channels + c], expected_sample(s, f, c))
                    << "frame " << f << (big_endian ? ", big-endian" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MovieStoredFormats,
    testing::Values(stored_case{"raw_8bit", {kFormatRaw, 1, 8, 11025, 1470, small_ramp}},
                    stored_case{"twos_8bit_stereo", {test_movie::kTwos, 2, 8, 8000, 800, small_ramp}},
                    stored_case{"sowt_little_endian", {test_movie::kSowt, 2, 16, 44100, 4410, ramp}},
                    stored_case{"twos_every_value", {test_movie::kTwos, 2, 16, 48000, 65600, full_range}},
                    stored_case{"sowt_every_value", {test_movie::kSowt, 2, 16, 48000, 65600, full_range}},
                    stored_case{"unspecified_8bit_is_raw", {kFormatUnspecified, 1, 8, 11025, 1470, small_ramp}},
                    stored_case{"unspecified_16bit_is_twos", {kFormatUnspecified, 2, 16, 8000, 800, ramp}},
                    // Version 1 keeps 16 in the sample size of uncompressed
                    // sound; its bytes per packet give the width.
                    stored_case{"version1_8bit", {test_movie::kTwos, 1, 8, 22050, 2205, small_ramp},
                                [](test_movie::track_plan& t) {
                                    t.descriptions[0] = test_movie::sound_description(
                                        test_movie::kTwos, 1, 16, 22050, 1);
                                    test_movie::patch_u32(t.descriptions[0], 40, 1);  // per packet
                                    test_movie::patch_u32(t.descriptions[0], 44, 1);  // per frame
                                }}),
    [](const testing::TestParamInfo<stored_case>& info) { return info.param.name; });

// Tracks that cannot be decoded (AAC without its configuration, a format no
// decoder knows) and a disabled one are left out; the others play. With only
// undecodable sound, extraction cannot begin.
TEST(MovieExtraction, UndecodableAndDisabledTracksAreLeftOut) {
    test_movie::movie_plan plan;
    plan.add_sound(qt_fourcc("mp4a"), 2, 16, 48000).add_samples(10, 300, 1024);
    plan.add_sound(qt_fourcc("zzzz"), 2, 16, 48000).add_samples(4, 300, 1024);
    add_sound(plan, kStereo48k).enabled = false;
    add_sound(plan, kMono48k);
    {
        audio_test::extraction m(plan);
        ASSERT_EQ(m.begun(), noErr);
        EXPECT_EQ(m.channels(), 1u);
        EXPECT_EQ(m.frames().size(), 4800u);
    }
    plan.tracks.resize(1);
    audio_test::extraction m(plan);
    EXPECT_EQ(m.begun(), kAudioConverterErr_FormatNotSupported);
}

// A fill whose second block cannot be read delivers the first; the error
// comes with the next fill.
TEST(MovieExtractionFaults, FillThatFailsPartWayKeepsTheFramesMixedBeforeIt) {
    test_movie::movie_plan plan;
    add_sound(plan, kMono48k);  // ten chunks of 500 frames
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t stco =
        test_movie::find_atom(file, test_movie::atom_path("moov trak mdia minf stbl stco"));
    ASSERT_GT(stco, 0);
    test_movie::patch_u32(file, uint64_t(stco) + 16 + 4 * 9, 0x7FFF0000);  // frames 4500 to 4799
    const std::string path = movie_test::output_path("fill_fault.mov");
    ASSERT_TRUE(test_movie::write_bytes(file, path));
    audio_test::extraction m(path);
    std::remove(path.c_str());
    ASSERT_EQ(m.begun(), noErr);
    std::vector<float> got;
    uint32_t frames = 4800;
    ASSERT_EQ(m.fill_once(frames, got), noErr);
    ASSERT_EQ(frames, 4096u);
    EXPECT_EQ(got[4095], expected_sample(kMono48k, 4095, 0));
    frames = 4800;
    EXPECT_NE(m.fill_once(frames, got), noErr);
}

// An empty edit at the start is silence of its length. Where an edit plays
// beyond the media's end, the frames there are silence and one line says so.
TEST(MovieExtraction, EmptyEditAndEditBeyondTheMediaAreSilence) {
    movie_test::warning_log log;
    test_movie::movie_plan plan;
    test_movie::track_plan& t = add_sound(plan, kStereo48k);  // 0.1 s
    // Half a second of silence at the movie's 600, then the media's 0.1 s and
    // 0.2 s more.
    t.add_edit(300, -1);
    t.add_edit(180, 0);
    {
        audio_test::extraction m(plan);
        ASSERT_EQ(m.begun(), noErr);
        const std::vector<float> all = m.frames();
        ASSERT_EQ(all.size(), 2u * (24000 + 14400));
        for (size_t i = 0; i < 2 * 24000; ++i) ASSERT_EQ(all[i], 0.0f) << i;
        for (size_t i = 2 * (24000 + 4800); i < all.size(); ++i) ASSERT_EQ(all[i], 0.0f) << i;
        EXPECT_EQ(all[2 * 24000 + 2 * 5], expected_sample(kStereo48k, 5, 0));
        EXPECT_EQ(all[2 * (24000 + 4799) + 1], expected_sample(kStereo48k, 4799, 1));
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("edit 2 plays 0.2"), std::string::npos) << log.lines[0];
}

}  // namespace

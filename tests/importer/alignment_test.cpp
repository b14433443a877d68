// Sound and video on one time line: the first video frame the edits show
// lands at 0, and every sound sample where the movie plays it beside that
// frame, through empty edits and several edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;
using test_movie::fourcc;
using frame_list = std::vector<Ruv::RPtr<const Ruv::CM::RFrame>>;
using edit_list = std::vector<test_movie::edit>;

struct alignment_case {
    const char* name;
    edit_list video_edits;
    edit_list sound_edits;
    // Where movie time 0 and the sound's first stored sample lie on the
    // import's time line.
    double movie_start;
    double sound_start;
    uint32_t rate = 48000;
};

// Channel 0 of sound sample k as the movie builder stores it (track 2, two
// 16-bit channels, big-endian) and the extraction delivers it.
float stored_sample(long k) {
    const uint8_t high = test_movie::sample_pattern_byte(2, uint32_t(k), 0);
    const uint8_t low = test_movie::sample_pattern_byte(2, uint32_t(k), 1);
    return float(int16_t(uint16_t(high << 8 | low))) / 32768.0f;
}

float delivered_sample(const Ruv::CM::RFrame& chunk, size_t frame) {
    const unsigned char* p = chunk.getData() + frame * 8;  // two big-endian floats a frame
    const uint32_t bits = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Whether the frame carries video sample index (track 1) as the builder
// stores it.
bool holds_video_sample(const Ruv::CM::RFrame& frame, uint32_t index) {
    for (uint32_t b = 0; b < 16; ++b)
        if (frame.getData()[b] != test_movie::sample_pattern_byte(1, index, b)) return false;
    return true;
}

// 25 video frames of 0.04 s, every one a sync sample, and a second of
// stereo sound whose samples differ from their neighbours, with the edits
// given, imported: the video frames and the sound chunks.
void import(const edit_list& video_edits, const edit_list& sound_edits, uint32_t rate,
            frame_list& video, frame_list& sound) {
    test_movie::movie_plan movie = importer_test::video_movie(fourcc("avc1"), 25, 24);
    movie.add_sound(test_movie::kTwos, 2, 16, rate).add_samples(rate, 4, 1);
    for (const test_movie::edit& e : video_edits)
        movie.tracks[0].add_edit(e.duration, e.media_time);
    for (const test_movie::edit& e : sound_edits)
        movie.tracks[1].add_edit(e.duration, e.media_time);
    harness h(movie, "alignment", {{"video", "0"}, {"audio", "1"}});
    video = h.import(0);
    sound = h.take_frames(1);
}

class SoundAlignment : public testing::TestWithParam<alignment_case> {};

TEST_P(SoundAlignment, SoundLiesWhereTheMoviePlaysItBesideTheVideo) {
    const alignment_case& c = GetParam();
    frame_list video, sound;
    import(c.video_edits, c.sound_edits, c.rate, video, sound);
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(sound.empty());
    EXPECT_NEAR(video[0]->getTimeStamp().getSecondsAsDouble(), 0.0, 1e-6);
    // The time line from movie time 0 is delivered, empty edits as silence;
    // only what lies before zero is left out, and not a sample more.
    const double first_time = sound[0]->getTimeStamp().getSecondsAsDouble();
    EXPECT_GE(first_time, 0.0);
    EXPECT_LT(first_time, std::max(c.movie_start, 0.0) + 1.0 / c.rate);
    std::vector<float> delivered;
    for (const Ruv::RPtr<const Ruv::CM::RFrame>& chunk : sound)
        for (size_t f = 0; f < chunk->getDataLength() / 8; ++f)
            delivered.push_back(delivered_sample(*chunk, f));
    const long onset = std::lround((c.sound_start - first_time) * c.rate);
    for (long j : {0L, 1L, 2L, onset - 2, onset - 1, onset, onset + 1, onset + 2}) {
        if (j < 0 || size_t(j) >= delivered.size()) continue;
        const long k = std::lround((first_time - c.sound_start) * c.rate) + j;
        EXPECT_EQ(delivered[size_t(j)], k < 0 ? 0.0f : stored_sample(k))
            << "delivered sample " << j << " at " << first_time + double(j) / c.rate << " s";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SoundAlignment,
    testing::Values(
        // Both start half a second late; the video edit shows media from 0.1 s,
        // inside the frame from 0.08 s: that frame lands at 0, the edit's
        // start at 0.02 s.
        alignment_case{"EmptyEditsBeforeBoth", {{300, -1}, {600, 60}}, {{300, -1}, {600, 0}}, -0.48, 0.02},
        alignment_case{"EmptyEditBeforeTheVideoOnly", {{300, -1}, {600, 0}}, {}, -0.5, -0.5},
        alignment_case{"EmptyEditBeforeTheSoundOnly", {}, {{300, -1}, {600, 0}}, 0.0, 0.5},
        // 98/600 s is no float's exact value: the sound still starts at its
        // edit, not a time unit into the empty one.
        alignment_case{"OddEmptyEditBeforeTheSound", {}, {{98, -1}, {600, 0}}, 0.0, 98.0 / 600.0},
        // Zero lies 18.375 sample frames into the movie: the first chunk starts
        // at frame 19, not at 18 where it would start before zero.
        alignment_case{"ZeroBetweenTwoSamples", {{1, -1}, {600, 0}}, {}, -1.0 / 600, -1.0 / 600, 11025},
        // 0.2 s of media from 0.08 s, then media from 0.5 s: the first edit
        // sets the time line.
        alignment_case{"TwoVideoEditsAlignOnTheFirst", {{120, 48}, {300, 300}}, {}, 0.0, 0.0}),
    [](const testing::TestParamInfo<alignment_case>& info) { return info.param.name; });

// Video and sound cut alike, forward then back: at each edit's start the
// frame the movie shows and the sound it plays carry the same import time.
TEST(SoundAlignment, VideoAndSoundStayInStepAfterEachCut) {
    // Media times in movie units: video's time scale is the movie's, sound's
    // 80 times finer.
    const edit_list edits = {{120, 0}, {120, 360}, {120, 120}};
    edit_list sound_edits;
    for (const test_movie::edit& e : edits) sound_edits.push_back({e.duration, e.media_time * 80});
    frame_list video, sound;
    import(edits, sound_edits, 48000, video, sound);
    ASSERT_EQ(video.size(), 15u);
    for (const test_movie::edit& e : edits) {
        const uint32_t shown = uint32_t(e.media_time / 24);  // video sample at the edit's start
        const Ruv::CM::RFrame* frame = nullptr;
        for (const auto& f : video)
            if (holds_video_sample(*f, shown)) frame = f.get();
        ASSERT_NE(frame, nullptr) << "no frame of sample " << shown;
        const double t = frame->getTimeStamp().getSecondsAsDouble();
        const long expected = long(e.media_time) * 80;  // the sound sample at the edit's start
        bool found = false;
        for (const auto& chunk : sound) {
            const double start = chunk->getTimeStamp().getSecondsAsDouble();
            const long k = std::lround((t - start) * 48000);
            if (k < 0 || size_t(k) >= chunk->getDataLength() / 8) continue;
            found = true;
            EXPECT_EQ(delivered_sample(*chunk, size_t(k)), stored_sample(expected))
                << "edit from media " << e.media_time << ", frame at " << t << " s";
        }
        EXPECT_TRUE(found) << "no sound at " << t << " s";
    }
}

}  // namespace

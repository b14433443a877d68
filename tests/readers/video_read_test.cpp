// Seeking and reading the video reader: where a run starts, the times, flags
// and bytes of each frame, the end of the range and of the media, reset, and
// samples that cannot be read.
#include <gtest/gtest.h>

#include "importer/config.h"
#include "importer/track_video.h"
#include "readers/reader_test_support.h"

namespace {

using namespace ns_movie_apple_qt;
using namespace reader_test;

video_frame* video(frame* f) { return static_cast<video_frame*>(f); }

// The settings are process-wide: every test here leaves them as it found them.
class VideoRead : public testing::Test {
protected:
    void TearDown() override { config::instance().set_end_time(config::default_end_time); }
};

// 25 fps at time scale 1000; sync samples 0, 5, 10, ...
test_movie::movie_plan gop_movie(uint32_t count = 20) {
    test_movie::movie_plan plan;
    plan.time_scale = 1000;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, 320, 240);
    t.time_scale = 1000;
    t.add_samples(count, 200, 40, false);
    for (uint32_t i = 0; i < count; i += 5) t.samples[i].sync = true;
    return plan;
}

// Key frames are the sync samples and the partial sync samples (sample 2).
TEST_F(VideoRead, FramesCarryTimesNumbersFlagsSizesAndStoredBytes) {
    test_movie::movie_plan plan = gop_movie(10);
    plan.tracks[0].samples[2].partial_sync = true;
    plan.tracks[0].samples[3].size = 333;
    movie_ptr movie = open_built(plan);
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    frame_list frames;
    EXPECT_EQ(read_all(v, frames), 2);
    ASSERT_EQ(frames.size(), 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        video_frame* f = video(frames[i]);
        EXPECT_EQ(f->kind(), frame::kind_video);
        EXPECT_EQ(f->number(), i);
        EXPECT_DOUBLE_EQ(f->decode_time(), i * 0.04);
        EXPECT_DOUBLE_EQ(f->display_time(), i * 0.04);
        EXPECT_DOUBLE_EQ(f->duration(), 0.04);
        EXPECT_EQ(f->format(), test_movie::kAvc1);
        EXPECT_EQ(f->width(), 320u);
        EXPECT_EQ(f->height(), 240u);
        EXPECT_EQ(f->is_key_frame(), i % 5 == 0 || i == 2) << i;
        ASSERT_EQ(f->size(), i == 3 ? 333u : 200u);
        size_t differing = 0;
        for (uint32_t b = 0; b < f->size(); ++b)
            differing += f->data()[b] != test_movie::sample_pattern_byte(1, i, b);
        EXPECT_EQ(differing, 0u) << "sample " << i;
    }
    EXPECT_EQ(v.frame_count(), 10u);
    EXPECT_EQ(v.byte_count(), 0u);
    // The end of the media ends the run: nothing is left to deliver.
    EXPECT_EQ(v.read(), 9);
}

// A seek to 0.3, between the sync samples 5 and 10, starts at sample 5 and
// drops nothing; without sync samples, a partial sync sample (4) is the start.
TEST_F(VideoRead, SeekStartsAtTheSyncSampleBeforeAndDropsNothing) {
    for (uint32_t first : {5u, 4u}) {
        SCOPED_TRACE(first);
        test_movie::movie_plan plan = gop_movie();
        if (first == 4) {
            for (test_movie::sample& s : plan.tracks[0].samples) s.sync = false;
            plan.tracks[0].samples[4].partial_sync = true;
        }
        frame_list frames;
        read_video(plan, frames, 0.30);
        ASSERT_EQ(frames.size(), 20u - first);
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_NEAR(frames[i]->decode_time(), (first + i) * 0.04, 1e-9);
            EXPECT_EQ(frames[i]->number(), i);
        }
        EXPECT_TRUE(video(frames[0])->is_key_frame());
    }
}

// Samples shown more than a second before zero do not end a read: they are
// queued and the read goes on to the first one shown later.
TEST_F(VideoRead, SamplesShownLongBeforeZeroAreQueuedInOneRead) {
    test_movie::movie_plan plan = gop_movie(20);
    for (test_movie::sample& s : plan.tracks[0].samples) s.composition_offset = -1500;
    movie_ptr movie = open_built(plan);
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    ASSERT_EQ(v.read(), 0);
    // Sample 13 is the first shown after -1 s (13 * 0.04 - 1.5 = -0.98).
    EXPECT_EQ(v.queued_frames(), 14u);
    frame_list frames;
    drain(v, frames);
    EXPECT_NEAR(frames[0]->display_time(), -1.5, 1e-9);
    EXPECT_NEAR(frames[13]->display_time(), -0.98, 1e-9);
}

struct range_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    bool b_frames;
    uint32_t first;  // the first and last sample delivered, in decode order
    uint32_t last;
    double duration;       // the track's: its edits' length
    double last_duration;  // the last frame's
    int end_status;        // the read that ends the run
};

// 25 fps at time scale 1000, sync samples every 5; or, with B-frames, decoded
// I P B B P B B ... with a sync sample every 10 and shown 80 units late.
test_movie::movie_plan range_movie(bool b_frames, uint32_t count = 20) {
    test_movie::movie_plan plan = gop_movie(count);
    for (uint32_t i = 0; i < count; ++i) {
        plan.tracks[0].samples[i].size = 100 + i;  // the size names the sample
        if (!b_frames) continue;
        const int in_gop = i % 10;
        const int shown = in_gop == 0 ? 0 : in_gop % 3 == 1 ? 2 : -1;
        plan.tracks[0].samples[i].composition_offset = 80 + 40 * shown;
        plan.tracks[0].samples[i].sync = in_gop == 0;
    }
    return plan;
}

class VideoRange : public VideoRead, public testing::WithParamInterface<range_case> {};

// One edit that shows media: the run goes from the sync sample before it to
// the last sample it shows. An edit from media time 0 ends the frames at the
// track's end: the last one is cut there and the sample after it fails.
TEST_P(VideoRange, RunsFromTheSyncSampleBeforeTheEditToTheLastSampleItShows) {
    const range_case& c = GetParam();
    test_movie::movie_plan plan = range_movie(c.b_frames);
    for (const test_movie::edit& e : c.edits) plan.tracks[0].add_edit(e.duration, e.media_time);
    movie_ptr movie = open_built(plan);
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    EXPECT_NEAR(v.duration(), c.duration, 1e-6);
    frame_list frames;
    EXPECT_EQ(read_all(v, frames), c.end_status);
    ASSERT_EQ(frames.size(), c.last - c.first + 1);
    for (uint32_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i]->size(), 100 + c.first + i);
        EXPECT_NEAR(frames[i]->decode_time(), (c.first + i) * 0.04, 1e-9) << i;
        EXPECT_NEAR(frames[i]->duration(), i + 1 < frames.size() ? 0.04 : c.last_duration, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, VideoRange,
    testing::Values(
        range_case{"NoEditList", {}, false, 0, 19, 0.8, 0.04, 2},
        range_case{"EditEndingInsideTheMedia", {{100, 0}}, false, 0, 2, 0.1, 0.02, 1},
        range_case{"EditStartingLateInTheMedia", {{200, 500}}, false, 10, 17, 0.2, 0.04, 2},
        range_case{"EmptyEditFirst", {{500, -1}, {200, 0}}, false, 0, 4, 0.7, 0.04, 2},
        // Shown 80 to 280: I0 B1 B2 P3 B4, decoded up to B4 (sample 5); B5 is not needed.
        range_case{"BFramesEditEndingInsideAGroup", {{200, 80}}, true, 0, 5, 0.2, 0.04, 2}),
    [](const testing::TestParamInfo<range_case>& info) { return info.param.name; });

struct delivered {
    uint32_t sample;  // in decode order
    int display_ms;
    int decode_ms;
};

struct edits_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    bool b_frames;
    std::vector<delivered> frames;
};

// Samples first to last, shown and decoded from display_ms on, 40 ms apart.
std::vector<delivered> run(uint32_t first, uint32_t last, int display_ms, int decode_ms) {
    std::vector<delivered> out;
    for (uint32_t i = first; i <= last; ++i)
        out.push_back({i, display_ms + 40 * int(i - first), decode_ms + 40 * int(i - first)});
    return out;
}

std::vector<delivered> join(std::vector<delivered> a, const std::vector<delivered>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class VideoEdits : public VideoRead, public testing::WithParamInterface<edits_case> {};

// Several edits: each delivers the samples from the sync sample its first
// frame decodes from to the last one it shows, stamped where it shows them on
// the time line, decode times rising across each cut.
TEST_P(VideoEdits, EachEditDeliversItsSamplesWhereItShowsThem) {
    const edits_case& c = GetParam();
    test_movie::movie_plan plan = range_movie(c.b_frames, 30);
    for (const test_movie::edit& e : c.edits) plan.tracks[0].add_edit(e.duration, e.media_time);
    frame_list frames;
    EXPECT_EQ(read_video(plan, frames), 2);
    ASSERT_EQ(frames.size(), c.frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i]->size(), 100 + c.frames[i].sample) << i;
        EXPECT_NEAR(frames[i]->display_time(), c.frames[i].display_ms / 1000.0, 1e-9) << i;
        EXPECT_NEAR(frames[i]->decode_time(), c.frames[i].decode_ms / 1000.0, 1e-9) << i;
    }
}

// With B-frames, as shown: s0 80, s2 120, s3 160, s1 200, s5 240, s6 280,
// s4 320, ...; s10 480, s12 520, s13 560, s11 600, s15 640, s16 680, s14 720.
const std::vector<delivered> kBFramesFirstEdit = {{0, 80, 0},    {1, 200, 40},  {2, 120, 80},
                                                  {3, 160, 120}, {4, 320, 160}, {5, 240, 200}};
// The second edit shows 520 to 720 from movie time 200 (280 on the first
// edit's time line): s10 is its head, s14 a reference s15 and s16 need.
const std::vector<delivered> kBFramesSecondEdit = {{10, 240, 240}, {11, 360, 280}, {12, 280, 320},
                                                   {13, 320, 360}, {14, 480, 400}, {15, 400, 440},
                                                   {16, 440, 480}};

INSTANTIATE_TEST_SUITE_P(
    Cuts, VideoEdits,
    testing::Values(
        // The second edit's sync sample (15, media 600) is shown before its
        // start, and decoded after the first edit's last sample.
        edits_case{"CutInsideAGroup", {{200, 0}, {200, 640}}, false,
                   join(run(0, 4, 0, 0), run(15, 20, 160, 200))},
        edits_case{"BFramesOnBothSidesOfACut", {{200, 80}, {200, 520}}, true,
                   join(kBFramesFirstEdit, kBFramesSecondEdit)}),
    [](const testing::TestParamInfo<edits_case>& info) { return info.param.name; });

// A last sample of no duration sits at the very end of the media: a movie
// without edits shows the media for its duration, and nothing at its end.
TEST_F(VideoRead, SampleOfNoDurationAtTheMediaEndIsNotDelivered) {
    test_movie::movie_plan plan;
    plan.time_scale = 30000;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, 320, 240);
    t.time_scale = 30000;
    t.add_samples(2, 200, 2839);
    t.samples[1].duration = 0;
    frame_list frames;
    read_video(plan, frames);
    EXPECT_EQ(frames.size(), 1u);
}

// Sample 1 partly past the end of the file, or a first sample near 4 GiB
// from a corrupt 'stsz' entry, which no buffer can hold: the read fails
// (instead of ending the process) and the sample counts no frame.
TEST_F(VideoRead, SampleThatCannotBeReadFailsTheReadWithoutCountingAFrame) {
    for (bool huge : {false, true}) {
        SCOPED_TRACE(huge ? "huge sample" : "cut file");
        test_movie::movie_plan plan = gop_movie(3);
        plan.movie_first = true;
        test_movie::bytes file = test_movie::build_movie(plan).contiguous();
        if (huge) {
            const int64_t stsz =
                test_movie::find_atom(file, test_movie::atom_path("moov trak mdia minf stbl stsz"));
            ASSERT_GE(stsz, 0);
            // Header, version and flags, sample size, count, then the first entry.
            test_movie::patch_u32(file, uint64_t(stsz) + 20, 0xFFFFFF00u);
        } else {
            file.resize(file.size() - 300);
        }
        movie_ptr movie = open_bytes(file, huge ? "huge_sample.mov" : "cut_media.mov");
        video_track v;
        ASSERT_TRUE(open_track(movie, v));
        frame_list frames;
        EXPECT_EQ(read_all(v, frames), 1);
        EXPECT_FALSE(v.is_active());
        EXPECT_EQ(frames.size(), huge ? 0u : 1u);
        EXPECT_EQ(v.frame_count(), frames.size());
    }
}

// The range ends at the configured end time: the sample at or past it ends
// the run (2); the track then answers 0 while frames wait and 9 after.
TEST_F(VideoRead, EndOfRangeAnswers2ThenInactive) {
    config::instance().set_end_time(0.2);
    movie_ptr movie = open_built(gop_movie());
    video_track v;
    ASSERT_TRUE(open_track(movie, v));
    int status = 0;
    int reads = 0;
    while ((status = v.read()) == 0) ++reads;
    EXPECT_EQ(status, 2);
    EXPECT_EQ(reads, 5);
    EXPECT_FALSE(v.is_active());
    EXPECT_EQ(v.read(), 0);  // frames still queued
    frame_list frames;
    drain(v, frames);
    EXPECT_EQ(frames.size(), 5u);
    EXPECT_EQ(v.read(), 9);
    // A new seek starts a new run.
    ASSERT_EQ(v.seek(0.0, 100.0), 0);
    EXPECT_TRUE(v.is_active());
    EXPECT_EQ(v.read(), 0);
}

}  // namespace

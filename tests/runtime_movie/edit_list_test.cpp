// Track time to media time through edit lists: media time offsets, empty,
// dwell and double-rate edits, tracks without edits; edit boundaries, samples
// and sync samples as interesting times on the track's time line.
#include <gtest/gtest.h>

#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

constexpr int16_t kTrackEdit = 0x4;
constexpr int16_t kEdge = 0x4000;

struct edit_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    std::vector<std::pair<TimeValue, TimeValue64>> mapping;  // track time, media display time
};

// A media in 1200 units a second (ten samples of 200) in a movie of 600.
movie_ptr open_with_edits(const std::vector<test_movie::edit>& edits) {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1200;
    video.add_samples(10, 10, 200);
    for (const test_movie::edit& e : edits) video.add_edit(e.duration, e.media_time, e.rate);
    return open_built(plan, "edits.mov");
}

class EditListMapping : public ::testing::TestWithParam<edit_case> {};

TEST_P(EditListMapping, TrackTimesMapToMediaTimes) {
    movie_ptr movie = open_with_edits(GetParam().edits);
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    ASSERT_NE(track, nullptr);
    for (const auto& m : GetParam().mapping) {
        EXPECT_EQ(qtrt::TrackTimeToMediaDisplayTime(m.first, track), m.second) << "track time " << m.first;
        EXPECT_EQ(qtrt::TrackTimeToMediaTime(m.first, track), TimeValue(m.second)) << "track time " << m.first;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditListMapping,
    ::testing::Values(
        edit_case{"NoEditListPlaysTheMediaOnce", {}, {{0, 0}, {300, 600}, {999, 1998}, {1000, -1}}},
        edit_case{"MediaTimeOffset",
                  {{600, 400}},
                  {{0, 400}, {300, 1000}, {599, 1598}, {600, -1}, {-1, -1}}},
        edit_case{"EmptyEditFirst",
                  {{300, -1}, {600, 0}},
                  {{0, -1}, {299, -1}, {300, 0}, {450, 300}, {899, 1198}, {900, -1}}},
        edit_case{"TwoEdits",
                  {{300, 1000}, {300, 0}},
                  {{0, 1000}, {299, 1598}, {300, 0}, {599, 598}, {600, -1}}},
        edit_case{"HalfRateEdit", {{600, 0, 0x8000}}, {{0, 0}, {300, 300}, {599, 599}}},
        edit_case{"DwellEditStaysAtItsMediaTime",
                  {{300, 400, 0}, {300, 0}},
                  {{0, 400}, {299, 400}, {300, 0}, {450, 300}}}),
    [](const ::testing::TestParamInfo<edit_case>& info) { return std::string(info.param.name); });

TEST(EditListMapping, ForwardedFormAnswersLikeTheDirectOne) {
    movie_ptr movie = open_with_edits({{300, -1}, {600, 0}});
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    TimeValue64 result = 7, value = 450;
    qtrt::TrackTimeToMediaDisplayTime_fwd(&result, &value, &track);
    EXPECT_EQ(result, 300);
}

struct boundary_case {
    const char* name;
    int16_t flags;
    TimeValue from;
    Fixed rate;
    TimeValue expected;
    TimeValue duration;
};

class TrackEditBoundaries : public ::testing::TestWithParam<boundary_case> {};

// Edits: empty 0-300, media 300-600, media 600-900; the track ends at 900,
// which counts as an empty edit.
TEST_P(TrackEditBoundaries, EveryEditStartAndTheTrackEndAreInteresting) {
    movie_ptr movie = open_with_edits({{300, -1}, {300, 0}, {300, 600}});
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    const boundary_case& c = GetParam();
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, c.flags, c.from, c.rate, &t, &duration);
    EXPECT_EQ(t, c.expected);
    EXPECT_EQ(duration, c.duration);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackEditBoundaries,
    ::testing::Values(
        boundary_case{"EmptyEditAtZeroWithEdge", kTrackEdit | kEdge, 0, kForward, 0, 300},
        boundary_case{"FromZeroWithoutEdge", kTrackEdit, 0, kForward, 300, 300},
        boundary_case{"AtEditStartWithEdge", kTrackEdit | kEdge, 300, kForward, 300, 300},
        boundary_case{"InsideEdit", kTrackEdit, 450, kForward, 600, 300},
        boundary_case{"AfterLastEditStartTheTrackEnd", kTrackEdit, 700, kForward, 900, 0},
        boundary_case{"AtTheTrackEndWithoutEdge", kTrackEdit, 900, kForward, -1, 0},
        boundary_case{"BackwardInsideEdit", kTrackEdit, 450, kBackward, 300, 300},
        boundary_case{"BackwardIntoEmptyEdit", kTrackEdit, 300, kBackward, 0, 300},
        boundary_case{"BackwardFromPastTheEnd", kTrackEdit, 2000, kBackward, 900, 0}),
    [](const ::testing::TestParamInfo<boundary_case>& info) { return std::string(info.param.name); });

struct sample_time_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    TimeValue from;
    TimeValue expected;
    TimeValue duration;
};

class TrackSampleTimes : public ::testing::TestWithParam<sample_time_case> {};

// Samples of 200 (1200 a second) show at track times through the edits; a
// sample lasts, on the track, as long as it stays shown in its edit.
TEST_P(TrackSampleTimes, SamplesShowAtTheirTrackTimesForAsLongAsTheEditShowsThem) {
    const sample_time_case& c = GetParam();
    movie_ptr movie = open_with_edits(c.edits);
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, 0x1 | kEdge, c.from, kForward, &t, &duration);
    EXPECT_EQ(t, c.expected);
    EXPECT_EQ(duration, c.duration);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackSampleTimes,
    ::testing::Values(
        sample_time_case{"OffsetEdit", {{600, 400}}, 1, 100, 100},
        sample_time_case{"PastTheLastSampleShown", {{600, 400}}, 551, -1, 0},
        sample_time_case{"EditStartingInsideASample", {{600, 500}}, 0, 0, 50},
        sample_time_case{"EditEndingInsideASample", {{150, 0}}, 1, 100, 50},
        sample_time_case{"DoubleRateEditStart", {{300, 0, 0x20000}}, 0, 0, 50},
        sample_time_case{"DoubleRateEdit", {{300, 0, 0x20000}}, 1, 50, 50},
        sample_time_case{"DwellEditShowsOneFrameThroughout", {{300, 400, 0}, {300, 0}}, 1, 300,
                         100}),
    [](const ::testing::TestParamInfo<sample_time_case>& info) {
        return std::string(info.param.name);
    });

TEST(TrackSampleTimes, SyncSearchFindsTheFirstSyncSampleTheEditShows) {
    // Media from 400 on; sync samples at media times 0 and 1000.
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1200;
    video.add_samples(10, 10, 200, false);
    video.samples[0].sync = video.samples[5].sync = true;
    video.add_edit(600, 400);
    movie_ptr movie = open_built(plan, "sync_edit.mov");
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, 0x8 | kEdge, 0, kForward, &t, &duration);
    EXPECT_EQ(t, 300);
    qtrt::GetTrackNextInterestingTime(track, 0x8 | kEdge, 250, kBackward, &t, &duration);
    EXPECT_EQ(t, -1);
}

// As a B-frame encoder writes them: 40 ms frames decoded I P B B P B B ...
// with a sync sample every 10 frames, shown two frames late, and an edit
// that starts at the first frame shown. Sync sample 10 is decoded at 400
// and shown at 480 (track time 400).
test_movie::movie_plan b_frame_movie() {
    test_movie::movie_plan plan;
    plan.time_scale = 1000;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1000;
    video.add_samples(20, 10, 40, false);
    for (int i = 0; i < 20; ++i) {
        const int in_gop = i % 10;
        const int shown = in_gop == 0 ? 0 : in_gop % 3 == 1 ? 2 : -1;  // I, P, B
        video.samples[i].composition_offset = 80 + 40 * shown;
        video.samples[i].sync = in_gop == 0;
    }
    video.add_edit(800, 80);
    return plan;
}

TEST(TrackSyncSearch, FindsSyncSamplesWhereTheyAreShown) {
    movie_ptr movie = open_built(b_frame_movie(), "b_frames.mov");
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, 0x8, 0, kForward, &t, &duration);
    EXPECT_EQ(t, 400);
    EXPECT_EQ(duration, 40);
    qtrt::GetTrackNextInterestingTime(track, 0x8, 399, kBackward, &t, &duration);
    EXPECT_EQ(t, 0);
    const OSType eyes = qt_fourcc("eyes");
    qtrt::GetMovieNextInterestingTime(movie.get(), 0x8, 1, &eyes, 0, kForward, &t, &duration);
    EXPECT_EQ(t, 400);
}

struct duration_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    TimeValue duration;
    TimeValue last_media_time;  // shown at the track's last instant
};

class TrackDuration : public ::testing::TestWithParam<duration_case> {};

// Ten samples of 200 (1200 a second), 1000 in the movie's 600; the track
// header says 9 whatever the edits are.
TEST_P(TrackDuration, ComesFromTheEditsOrTheEntireMediaNotTheTrackHeader) {
    const duration_case& c = GetParam();
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1200;
    video.add_samples(10, 10, 200);
    for (const test_movie::edit& e : c.edits) video.add_edit(e.duration, e.media_time);
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t tkhd = test_movie::find_atom(
        file, {test_movie::fourcc("moov"), test_movie::fourcc("trak"), test_movie::fourcc("tkhd")});
    ASSERT_GE(tkhd, 0);
    test_movie::patch_u32(file, uint64_t(tkhd) + 28, 9);
    const std::string path = output_path("track_duration.mov");
    ASSERT_TRUE(test_movie::write_bytes(file, path));
    Movie opened = nullptr;
    ASSERT_EQ(open_movie(path, opened), noErr);
    movie_ptr movie(opened);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    EXPECT_EQ(qtrt::GetTrackDuration(track), c.duration);
    EXPECT_EQ(qtrt::TrackTimeToMediaTime(c.duration - 1, track), c.last_media_time);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackDuration,
    ::testing::Values(duration_case{"WithoutEditsTheEntireMediaPlays", {}, 1000, 1998},
                      duration_case{"EditsAddUp", {{59, -1}, {400, 600}}, 459, 1398}),
    [](const ::testing::TestParamInfo<duration_case>& info) {
        return std::string(info.param.name);
    });

TEST(MovieSteps, StepVisitsEveryFrameInDisplayOrder) {
    // Frames of 100 units decoded I P B B ..., shown from display time 100 on
    // by the edit: display starts must come out in ascending order without
    // gaps.
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(7, 10, 100);
    const int32_t offsets[7] = {100, 300, 0, 0, 300, 0, 0};
    for (int i = 0; i < 7; ++i) video.samples[i].composition_offset = offsets[i];
    video.add_edit(700, 100);
    movie_ptr movie = open_built(plan, "steps.mov");
    ASSERT_NE(movie, nullptr);
    const OSType eyes = qt_fourcc("eyes");
    std::vector<TimeValue> steps;
    TimeValue t = 0;
    for (int guard = 0; guard < 20; ++guard) {
        TimeValue next = 0, duration = 0;
        qtrt::GetMovieNextInterestingTime(movie.get(), 0x10, 1, &eyes, t, kForward, &next, &duration);
        if (next < 0) break;
        steps.push_back(next);
        t = next;
    }
    EXPECT_EQ(steps, (std::vector<TimeValue>{100, 200, 300, 400, 500, 600}));
}

}  // namespace

// Track time to media time through edit lists: media time offsets, empty
// edits, two edits, and edit boundaries as interesting times.
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
        edit_case{"HalfRateEdit", {{600, 0, 0x8000}}, {{0, 0}, {300, 300}, {599, 599}}}),
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
};

class TrackEditBoundaries : public ::testing::TestWithParam<boundary_case> {};

// Edits: empty 0-300, media 300-600, media 600-900.
TEST_P(TrackEditBoundaries, NextEditStartSkipsEmptyEdits) {
    movie_ptr movie = open_with_edits({{300, -1}, {300, 0}, {300, 600}});
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    const boundary_case& c = GetParam();
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, c.flags, c.from, c.rate, &t, &duration);
    EXPECT_EQ(t, c.expected);
    if (c.expected >= 0) {
        EXPECT_EQ(duration, 300);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackEditBoundaries,
    ::testing::Values(boundary_case{"FromZeroInEmptyEdit", kTrackEdit | kEdge, 0, kForward, 300},
                      boundary_case{"AtEditStartWithEdge", kTrackEdit | kEdge, 300, kForward, 300},
                      boundary_case{"AtEditStartWithoutEdge", kTrackEdit, 300, kForward, 600},
                      boundary_case{"InsideEdit", kTrackEdit, 450, kForward, 600},
                      boundary_case{"AfterLastEditStart", kTrackEdit, 700, kForward, -1},
                      boundary_case{"BackwardInsideEdit", kTrackEdit, 450, kBackward, 300},
                      boundary_case{"BackwardAtStartWithoutEdge", kTrackEdit, 600, kBackward, 300},
                      boundary_case{"BackwardIntoEmptyEdit", kTrackEdit, 300, kBackward, -1}),
    [](const ::testing::TestParamInfo<boundary_case>& info) { return std::string(info.param.name); });

TEST(TrackSampleTimes, MediaSamplesAppearAtTheirTrackTimesThroughAnOffsetEdit) {
    // Media starts at 400 (of 1200): samples at 400, 600, ... show at track
    // times 0, 100, ...
    movie_ptr movie = open_with_edits({{600, 400}});
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    TimeValue t = 0, duration = 0;
    qtrt::GetTrackNextInterestingTime(track, 0x1 | kEdge, 1, kForward, &t, &duration);
    EXPECT_EQ(t, 100);
    EXPECT_EQ(duration, 100);
    qtrt::GetTrackNextInterestingTime(track, 0x1, 550, kForward, &t, &duration);
    EXPECT_EQ(t, -1);
}

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

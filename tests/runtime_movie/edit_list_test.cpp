// Track time to media time through edit lists: media time offsets, empty,
// dwell and double-rate edits, tracks without edits; track durations.
#include <gtest/gtest.h>

#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;


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

}  // namespace

// Track time to media time through edit lists: media time offsets, empty,
// dwell and double-rate edits, tracks without edits; track durations.
#include <gtest/gtest.h>

#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

struct edit_case {
    const char* name;
    std::vector<test_movie::edit> edits;
    TimeValue duration;
    std::vector<std::pair<TimeValue, TimeValue64>> mapping;  // track time, media display time
};

class EditListMapping : public ::testing::TestWithParam<edit_case> {};

// A media in 1200 units a second (ten samples of 200) in a movie of 600. The
// track header says 9 whatever the edits are: the track's duration comes from
// the edits, or without them from the entire media.
TEST_P(EditListMapping, TrackTimesMapToMediaTimes) {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1200;
    video.add_samples(10, 10, 200);
    for (const test_movie::edit& e : GetParam().edits)
        video.add_edit(e.duration, e.media_time, e.rate);
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t tkhd = test_movie::find_atom(file, test_movie::atom_path("moov trak tkhd"));
    ASSERT_GE(tkhd, 0);
    test_movie::patch_u32(file, uint64_t(tkhd) + 28, 9);
    movie_ptr movie = open_bytes(file, "edits.mov");
    ASSERT_NE(movie, nullptr);
    Track track = track_of_type(movie.get(), qt_fourcc("vide"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(qtrt::GetTrackDuration(track), GetParam().duration);
    for (const auto& m : GetParam().mapping) {
        EXPECT_EQ(qtrt::TrackTimeToMediaDisplayTime(m.first, track), m.second) << "track time " << m.first;
        EXPECT_EQ(qtrt::TrackTimeToMediaTime(m.first, track), TimeValue(m.second)) << "track time " << m.first;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditListMapping,
    ::testing::Values(
        edit_case{
            "NoEditListPlaysTheMediaOnce", {}, 1000, {{0, 0}, {300, 600}, {999, 1998}, {1000, -1}}},
        edit_case{"MediaTimeOffset",
                  {{600, 400}},
                  600,
                  {{0, 400}, {300, 1000}, {599, 1598}, {600, -1}, {-1, -1}}},
        edit_case{"EmptyEditFirst",
                  {{300, -1}, {600, 0}},
                  900,
                  {{0, -1}, {299, -1}, {300, 0}, {450, 300}, {899, 1198}, {900, -1}}},
        edit_case{"TwoEdits",
                  {{300, 1000}, {300, 0}},
                  600,
                  {{0, 1000}, {299, 1598}, {300, 0}, {599, 598}, {600, -1}}},
        edit_case{"HalfRateEdit", {{600, 0, 0x8000}}, 600, {{0, 0}, {300, 300}, {599, 599}}},
        edit_case{"DwellEditStaysAtItsMediaTime",
                  {{300, 400, 0}, {300, 0}},
                  600,
                  {{0, 400}, {299, 400}, {300, 0}, {450, 300}}},
        edit_case{"EditsAddUp", {{59, -1}, {400, 600}}, 459, {{58, -1}, {59, 600}, {458, 1398}}}),
    [](const ::testing::TestParamInfo<edit_case>& info) { return std::string(info.param.name); });

}  // namespace

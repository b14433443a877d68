// Durations derived from the tracks, not read from the headers: the movie
// lasts as long as its longest track, a track as its edits (or its whole media
// without an edit list), a media as its samples; leading gaps longer than any
// recording are damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "movie/movie_access.h"
#include "runtime_movie/movie_test_support.h"
#include "support/hostile_fragments.h"

namespace {

using namespace movie_test;
using test_movie::atom_path;
using test_movie::bytes;

// A video of 10 samples of 60 units (600 a second) and 8000 Hz PCM sound of
// 1 s, no edit list.
test_movie::movie_plan two_tracks() {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 100, 60);
    plan.add_sound(test_movie::kSowt, 1, 16, 8000).add_samples(8000, 2, 1);
    return plan;
}

// The offset of a version-0 header's duration field.
uint64_t duration_field(const bytes& file, const std::string& path) {
    const int64_t at = test_movie::find_atom(file, atom_path(path));
    EXPECT_GE(at, 0) << path;
    const std::string last = path.substr(path.size() - 4);
    return uint64_t(at) + (last == "tkhd" ? 28 : 24);
}

struct header_case {
    const char* name;
    const char* header;  // "moov mvhd", ...
    uint32_t value;
};

class HeaderDurations : public ::testing::TestWithParam<header_case> {};

// Whatever a header says, every routine answers the durations the samples
// give: movie 600 (the video's 10 x 60), video track 600, sound track 600,
// sound media 8000.
TEST_P(HeaderDurations, GiveWayToTheSamples) {
    bytes file = test_movie::build_movie(two_tracks()).contiguous();
    test_movie::patch_u32(file, duration_field(file, GetParam().header), GetParam().value);
    movie_ptr movie = open_bytes(file, "header.mov");
    ASSERT_TRUE(movie);
    Movie m = movie.get();
    EXPECT_EQ(qtrt::GetMovieDuration(m), 600);
    EXPECT_EQ(qtrt::GetTrackDuration(track_of_type(m, qt_fourcc("vide"))), 600);
    EXPECT_EQ(qtrt::GetTrackDuration(track_of_type(m, qt_fourcc("soun"))), 600);
    EXPECT_EQ(qtrt::GetMediaDuration(media_of_type(m, qt_fourcc("soun"))), 8000);
    EXPECT_EQ(qtrt::GetMediaDuration(media_of_type(m, qt_fourcc("vide"))), 600);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderDurations,
    ::testing::Values(header_case{"MovieHeaderShorter", "moov mvhd", 6},
                      header_case{"MovieHeaderLonger", "moov mvhd", 60000},
                      header_case{"MovieHeaderUnknown", "moov mvhd", 0xFFFFFFFFu},
                      header_case{"TrackHeaderLonger", "moov trak tkhd", 60000},
                      header_case{"VideoMediaHeaderShorter", "moov trak mdia mdhd", 80},
                      header_case{"VideoMediaHeaderUnknown", "moov trak mdia mdhd", 0xFFFFFFFFu}),
    [](const ::testing::TestParamInfo<header_case>& info) { return std::string(info.param.name); });

// An edit list of one edit that lasts 0 in a movie in fragments shows the
// whole media from the edit's media time; in a movie written whole it shows
// nothing, as before.
struct open_edit_case {
    const char* name;
    uint32_t samples_per_fragment;
    int64_t media_time;
    long track_duration;
};

class ZeroLengthEdit : public ::testing::TestWithParam<open_edit_case> {};

TEST_P(ZeroLengthEdit, LastsToTheEndOfTheMediaOnlyInFragments) {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.time_scale = 1200;
    video.add_samples(10, 100, 120).add_edit(0, GetParam().media_time);
    plan.fragments.samples_per_fragment = GetParam().samples_per_fragment;
    movie_ptr movie = open_built(plan, "open_edit.mov");
    ASSERT_TRUE(movie);
    Track track = qtrt::GetMovieIndTrack(movie.get(), 1);
    EXPECT_EQ(qtrt::GetTrackDuration(track), GetParam().track_duration);
    EXPECT_EQ(qtrt::GetMovieDuration(movie.get()), GetParam().track_duration);
    if (GetParam().track_duration > 0) {
        EXPECT_EQ(qtrt::TrackTimeToMediaTime(0, track), TimeValue(GetParam().media_time));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ZeroLengthEdit,
                         ::testing::Values(open_edit_case{"FragmentsFromTheStart", 4, 0, 600},
                                           open_edit_case{"FragmentsFromAMediaTime", 4, 240, 480},
                                           open_edit_case{"WholeMovieShowsNothing", 0, 0, 0}),
                         [](const ::testing::TestParamInfo<open_edit_case>& info) {
                             return std::string(info.param.name);
                         });

// A leading gap longer than a day (a first fragment's decode time, an empty
// edit of a version-1 edit list) is damage: the gap is left out, the media
// starts at 0, and one line says so.
struct gap_case {
    const char* name;
    bool fragment;  // else an empty edit
    uint64_t gap;   // media units (fragment) or movie units (edit)
    long track_duration;
    const char* warning;
};

class LeadingGap : public ::testing::TestWithParam<gap_case> {};

TEST_P(LeadingGap, LongerThanADayIsLeftOut) {
    const gap_case& c = GetParam();
    bytes file = test_movie::first_fragment_at(c.gap);
    if (!c.fragment) {
        test_movie::movie_plan plan;
        plan.version1_headers = true;
        plan.add_video(test_movie::kAvc1, 64, 48)
            .add_samples(4, 10, 150)
            .add_edit(int64_t(c.gap), -1)
            .add_edit(600, 0);
        file = test_movie::build_movie(plan).contiguous();
    }
    ASSERT_FALSE(file.empty());
    warning_log log;
    movie_ptr movie = open_bytes(file, "gap.mov");
    ASSERT_TRUE(movie);
    EXPECT_EQ(qtrt::GetTrackDuration(qtrt::GetMovieIndTrack(movie.get(), 1)), c.track_duration);
    EXPECT_EQ(qtrt::GetMovieDuration(movie.get()), c.track_duration);
    if (c.warning[0] == 0) {
        EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    } else {
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(c.warning), std::string::npos) << log.lines[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeadingGap,
    ::testing::Values(gap_case{"FragmentAnHourLate", true, 3600 * 600, 3600 * 600 + 600, ""},
                      gap_case{"FragmentAt2To40", true, uint64_t(1) << 40, 600,
                               "track 1: its first movie fragment starts at 1832519379.627 s"},
                      gap_case{"FragmentAtTheLargestTime", true, uint64_t(INT64_MAX), 600,
                               "the gap is left out"},
                      gap_case{"EmptyEditOfAnHour", false, 3600 * 600, 3600 * 600 + 600, ""},
                      gap_case{"EmptyEditOf2To40", false, uint64_t(1) << 40, 600,
                               "track 1: its edits start with 1832519379.627 s of nothing"}),
    [](const ::testing::TestParamInfo<gap_case>& info) { return std::string(info.param.name); });

}  // namespace

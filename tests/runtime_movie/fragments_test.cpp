// Movies in fragments: every sample, time and duration the runtime answers
// for a movie in fragments is what it answers for the same movie written
// whole; fragments cut off or broken keep what came before them.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "movie/movie_access.h"
#include "runtime_movie/movie_test_support.h"
#include "support/fixture_files.h"

namespace {

using namespace movie_test;
using test_movie::fragment_plan;

// Video with B-frames (composition offsets, sync samples every fifth, two
// descriptions' worth of variety in sizes and durations), PCM sound and an
// edit list.
test_movie::movie_plan recording() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 320, 240);
    for (uint32_t i = 0; i < 23; ++i) {
        test_movie::sample s;
        s.size = 200 + 7 * i;
        s.duration = i == 11 ? 40 : 20;
        s.composition_offset = i % 5 == 0 ? 20 : (i % 2 ? 40 : -20);
        s.sync = i % 5 == 0;
        video.samples.push_back(s);
    }
    video.add_edit(460 * 600 / 1000, 20);
    video.time_scale = 1000;
    test_movie::track_plan& sound = plan.add_sound(test_movie::kSowt, 2, 16, 8000);
    sound.add_samples(3000, 4, 1);
    return plan;
}

// Each track as lines: its durations and edits (without_times: its media
// type alone), then one line a sample with its times, flags and bytes
// (offsets differ between layouts). Chunks hold every sample once, in order.
using track_lines = std::vector<std::string>;

std::vector<track_lines> facts_of(Movie movie, const std::vector<OSType>& without_times = {}) {
    std::vector<track_lines> out;
    for (const qtrt::track_model& track : qtrt::model_of(movie)->tracks) {
        Track t = qtrt::GetMovieIndTrack(movie, long(out.size() + 1));
        Media media = qtrt::GetTrackMedia(t);
        const qtrt::sample_table& table = track.media.samples;
        const bool timed = std::find(without_times.begin(), without_times.end(),
                                     track.media.handler_type) == without_times.end();
        std::ostringstream head;
        head << track.media.handler_type;
        if (without_times.empty()) {
            head << " movie " << qtrt::GetMovieDuration(movie) << " media "
                 << qtrt::GetMediaDuration(media) << " track " << qtrt::GetTrackDuration(t);
            for (const qtrt::edit_entry& e : track.edits)
                head << " edit " << e.track_duration << "@" << e.media_time;
        }
        track_lines lines{head.str()};
        for (uint32_t k = 0; k < table.count(); ++k) {
            const qtrt::sample_info s = table.sample(k);
            std::vector<uint8_t> bytes;
            const uint16_t ref = track.media.descriptions[s.description_index - 1].data_ref_index;
            EXPECT_EQ(qtrt::read_media_data(media, ref, s.offset, uint64_t(s.size), bytes), noErr);
            std::ostringstream line;
            if (timed) line << s.decode_time << "+" << s.duration << " " << s.display_offset;
            line << (s.sync ? " sync " : " ") << s.description_index << " "
                 << std::string(bytes.begin(), bytes.end());
            lines.push_back(line.str());
        }
        uint32_t next = 0;
        for (uint32_t c = 0; c < table.chunk_count(); ++c) {
            uint32_t first = 0, count = 0;
            table.chunk_samples(c, first, count);
            EXPECT_EQ(first, next) << "chunk " << c;
            next = first + count;
        }
        EXPECT_EQ(next, table.count());
        out.push_back(std::move(lines));
    }
    return out;
}

void expect_same(const std::vector<track_lines>& a, const std::vector<track_lines>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].size(), b[i].size()) << "track " << i + 1 << ": " << a[i][0] << " / " << b[i][0];
        const auto differ = std::mismatch(a[i].begin(), a[i].end(), b[i].begin());
        if (differ.first != a[i].end())
            ADD_FAILURE() << "track " << i + 1 << " line " << differ.first - a[i].begin() << ": "
                          << differ.first->substr(0, 60) << " / " << differ.second->substr(0, 60);
    }
}

struct layout_case {
    const char* name;
    void (*change)(fragment_plan&);
};

class FragmentLayouts : public ::testing::TestWithParam<layout_case> {};

TEST_P(FragmentLayouts, AnswerAsTheMovieWrittenWhole) {
    test_movie::movie_plan plan = recording();
    movie_ptr whole = open_built(plan, "whole.mov");
    plan.fragments.samples_per_fragment = 6;
    GetParam().change(plan.fragments);
    warning_log log;
    movie_ptr fragmented = open_built(plan, "fragments.mov");
    ASSERT_TRUE(whole && fragmented);
    expect_same(facts_of(whole.get()), facts_of(fragmented.get()));
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FragmentLayouts,
    ::testing::Values(
        layout_case{"RunOffsetsFromMoof", [](fragment_plan&) {}},
        layout_case{"ExplicitBaseOffsets",
                    [](fragment_plan& f) { f.base = fragment_plan::data_base::explicit_offset; }},
        layout_case{"DataFollowsOnWithoutOffsets",
                    [](fragment_plan& f) { f.base = fragment_plan::data_base::chained; }},
        layout_case{"DefaultsInTrexVersion1Runs", [](fragment_plan& f) {
            f.defaults_in_trex = true;
            f.trun_version1 = true;
        }},
        layout_case{"SomeSamplesInTheMovieAtom", [](fragment_plan& f) { f.samples_in_movie = 8; }},
        layout_case{"WithoutDecodeTimes", [](fragment_plan& f) { f.with_tfdt = false; }},
        layout_case{"WithoutMvex", [](fragment_plan& f) { f.with_mvex = false; }},
        layout_case{"UnknownHeaderDurations", [](fragment_plan& f) { f.unknown_durations = true; }},
        // 'mehd' does not decide the movie's length: its longest track does.
        layout_case{"UnknownHeaderDurationsAndShortMehd", [](fragment_plan& f) {
            f.unknown_durations = true;
            f.mehd = 300;
        }},
        layout_case{"UnknownHeaderDurationsAndMehdOf2To63Less1", [](fragment_plan& f) {
            f.unknown_durations = true;
            f.mehd = std::numeric_limits<int64_t>::max();
        }},
        layout_case{"OneFragment", [](fragment_plan& f) { f.samples_per_fragment = 5000; }}),
    [](const ::testing::TestParamInfo<layout_case>& info) { return std::string(info.param.name); });

// A track whose first fragment starts later than time 0 starts there on the
// movie's time line; later fragments that start after the samples before
// them lengthen the last of those.
TEST(Fragments, DecodeTimesPlaceTheSamples) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(4, 10, 100);
    plan.fragments.samples_per_fragment = 2;
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    // The two fragments' 'tfdt' (version 1): 0 -> 600, 200 -> 1000.
    const std::string tfdt = "tfdt";
    auto first = std::search(file.begin(), file.end(), tfdt.begin(), tfdt.end());
    auto second = std::search(first + 1, file.end(), tfdt.begin(), tfdt.end());
    ASSERT_NE(second, file.end());
    test_movie::patch_u32(file, uint64_t(first - file.begin()) + 12, 600);
    test_movie::patch_u32(file, uint64_t(second - file.begin()) + 12, 1000);
    movie_ptr movie = open_bytes(file, "late.mov");
    ASSERT_TRUE(movie);
    Movie m = movie.get();
    const qtrt::track_model& track = qtrt::model_of(m)->tracks[0];
    EXPECT_EQ(track.media.samples.decode_time(2), 400);
    EXPECT_EQ(track.media.samples.duration(1), 300u);
    ASSERT_EQ(track.edits.size(), 2u);
    EXPECT_TRUE(track.edits[0].empty());
    EXPECT_EQ(track.edits[0].track_duration, 600);
    EXPECT_EQ(qtrt::GetMovieDuration(m), 600 + 600);
}

// Without an edit list, a track in fragments plays until its last sample's
// display ends, not its decode: B-frames shown late are not cut off.
TEST(Fragments, TrackWithoutEditsPlaysToItsLastDisplay) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(4, 10, 100);
    for (test_movie::sample& s : plan.tracks[0].samples) s.composition_offset = 100;
    plan.tracks[0].samples[1].composition_offset = 200;
    plan.fragments.samples_per_fragment = 2;
    movie_ptr movie = open_built(plan, "late_display.mov");
    ASSERT_TRUE(movie);
    EXPECT_EQ(qtrt::GetTrackDuration(qtrt::GetMovieIndTrack(movie.get(), 1)), 500);
    EXPECT_EQ(qtrt::GetMovieDuration(movie.get()), 500);
}

// Cut or broken fragments: the samples before them stay, and one warning
// says what ended the reading.
struct damage_case {
    const char* name;
    int64_t keep_from_end;  // bytes cut off the end; 0: none
    const char* atom;       // an atom to break, or null
    uint32_t field_offset;  // from the atom's start
    uint32_t value;
    uint32_t video_samples;
    const char* warning;
};

class DamagedFragments : public ::testing::TestWithParam<damage_case> {};

TEST_P(DamagedFragments, KeepTheWholeSamplesAndSayWhere) {
    const damage_case& c = GetParam();
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(9, 100, 20);
    plan.fragments.samples_per_fragment = 3;
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    if (c.atom) {
        // The last fragment's atom of that type.
        size_t found = 0;
        for (size_t i = 0; i + 8 <= file.size(); ++i)
            if (std::equal(c.atom, c.atom + 4, file.begin() + long(i) + 4)) found = i;
        ASSERT_NE(found, 0u);
        test_movie::patch_u32(file, found + c.field_offset, c.value);
    }
    file.resize(file.size() - size_t(c.keep_from_end));
    warning_log log;
    movie_ptr movie = open_bytes(file, "damaged.mov");
    ASSERT_TRUE(movie);
    Movie m = movie.get();
    Media video = media_of_type(m, qt_fourcc("vide"));
    EXPECT_EQ(qtrt::GetMediaSampleCount(video), long(c.video_samples));
    EXPECT_EQ(qtrt::GetMovieDuration(m), long(c.video_samples) * 20);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(c.warning), std::string::npos) << log.lines[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFragments,
    ::testing::Values(
        damage_case{"CutInLastSample", 50, nullptr, 0, 0, 8,
                    "track 1: sample 3 of 3 of a fragment (100 bytes at offset"},
        damage_case{"CutInsideMoof", 320, nullptr, 0, 0, 6, "inside the movie fragment at offset"},
        damage_case{"RunCountsMoreThanItsData", 0, "trun", 12, 100000, 6, "more than its data can hold"},
        damage_case{"MissingDescription", 0, "trex", 16, 2, 0, "name sample description 2"},
        damage_case{"RunStartsBeforeTheFile", 0, "trun", 16, 0x80000000u, 6,
                    "starts before the start of the file"}),
    [](const ::testing::TestParamInfo<damage_case>& info) { return std::string(info.param.name); });

// The fixtures remuxed into fragments by another tool (ffmpeg -c copy
// -movflags frag_keyframe+empty_moov, and default_base_moof with a short
// frag_duration): the samples of the fixture written whole. That tool gives
// some tracks other times when it fragments them (a time code sample, a first
// video sample lengthened by the sound's encoder delay), and whole, edits
// decide how long a media plays: durations and those tracks' times are left
// out.
struct fixture_case {
    const char* fragmented;
    const char* whole;
    std::vector<OSType> without_times;
};

class FragmentFixtures : public ::testing::TestWithParam<fixture_case> {};

TEST_P(FragmentFixtures, HoldTheSamplesOfTheWholeMovie) {
    warning_log log;
    movie_ptr whole = open_path(test_fixtures::data_path(GetParam().whole));
    movie_ptr fragmented = open_path(test_fixtures::data_path(GetParam().fragmented));
    ASSERT_TRUE(whole && fragmented);
    expect_same(facts_of(whole.get(), GetParam().without_times),
                facts_of(fragmented.get(), GetParam().without_times));
    EXPECT_TRUE(log.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FragmentFixtures,
    ::testing::Values(fixture_case{"fragmented/h264_bframes_tc.mov", "h264_bframes_tc.mov",
                                   {qt_fourcc("tmcd")}},
                      fixture_case{"fragmented/aac_stereo_h264.mov", "compressed/aac_stereo_h264.mov",
                                   {qt_fourcc("vide")}}));

}  // namespace

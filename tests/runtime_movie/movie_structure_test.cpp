// Movies as built: layouts (movie atom first or last, 64-bit sizes, 'co64',
// version 1 headers, 'alis' references, media in other files).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "memory/memory_manager.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;

test_movie::movie_plan three_tracks() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 320, 240);
    video.add_samples(4, 100, 150);
    video.width = 0x01555555;  // 341.33
    test_movie::track_plan& sound = plan.add_sound(test_movie::kSowt, 2, 16, 48000);
    sound.add_samples(48000, 4, 1);
    sound.samples_per_chunk = 12000;
    plan.add_time_code(0, 2500, 100, 25, "R1", {90000}, 25);
    plan.tracks[2].enabled = false;
    return plan;
}

struct layout_case {
    const char* name;
    void (*change)(test_movie::movie_plan&);
};

class MovieLayouts : public ::testing::TestWithParam<layout_case> {};

TEST_P(MovieLayouts, OpenWithTheSameTracksAndSamples) {
    test_movie::movie_plan plan = three_tracks();
    GetParam().change(plan);
    movie_ptr movie = open_built(plan, "layout.mov");
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(qtrt::GetMovieTimeScale(movie.get()), 600);
    EXPECT_EQ(qtrt::GetMovieDuration(movie.get()), 600);
    ASSERT_EQ(qtrt::GetMovieTrackCount(movie.get()), 3);
    Media video = media_of_type(movie.get(), qt_fourcc("vide"));
    Media sound = media_of_type(movie.get(), qt_fourcc("soun"));
    ASSERT_NE(video, nullptr);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(qtrt::GetMediaSampleCount(sound), 48000);
    std::vector<uint8_t> data(100);
    for (uint32_t i = 0; i < 4; ++i) {
        ASSERT_EQ(read_sample(video, i * 150, data.data(), 100), noErr);
        EXPECT_EQ(data[99], test_movie::sample_pattern_byte(1, i, 99));
    }
    // The last sound sample lies at the end of its last chunk.
    ASSERT_EQ(read_sample(sound, 47999, data.data(), 4), noErr);
    EXPECT_EQ(data[3], test_movie::sample_pattern_byte(2, 47999, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovieLayouts,
    ::testing::Values(
        layout_case{"MovieAfterMediaData", [](test_movie::movie_plan&) {}},
        layout_case{"MovieFirst", [](test_movie::movie_plan& s) { s.movie_first = true; }},
        layout_case{"Co64Offsets", [](test_movie::movie_plan& s) { s.force_co64 = true; }},
        layout_case{"Version1Headers", [](test_movie::movie_plan& s) { s.version1_headers = true; }},
        layout_case{"AliasDataReferences",
                    [](test_movie::movie_plan& s) {
                        for (auto& t : s.tracks) t.data_ref = test_movie::data_ref_kind::alias_self;
                    }},
        layout_case{"CompactSizes8And4Bits",
                    [](test_movie::movie_plan& s) {
                        s.tracks[0].compact_size_bits = 8;
                        s.tracks[1].compact_size_bits = 4;
                    }},
        layout_case{"MediaInFilesBesideTheMovie",
                    [](test_movie::movie_plan& s) {
                        s.tracks[0].data_ref = test_movie::data_ref_kind::url_external;
                        s.tracks[0].external_name = "movie_layout_video.dat";
                        s.tracks[1].data_ref = test_movie::data_ref_kind::alias_external;
                        s.tracks[1].external_name = "movie_layout_sound.dat";
                    }}),
    [](const ::testing::TestParamInfo<layout_case>& info) { return std::string(info.param.name); });

// A media file beside the movie that is gone, or (where the file system has
// named pipes) is not a regular file, fails its samples, not the movie.
TEST(MovieLayouts, MissingOrPipeMediaFileFailsItsSamplesNotTheMovie) {
    const std::string media_file = std::string(RUV_OUTPUT_DIR) + "/movie_external_media.dat";
    for (bool pipe : {false, true}) {
#ifdef _WIN32
        if (pipe) break;
#endif
        test_movie::movie_plan plan = three_tracks();
        plan.tracks[0].data_ref = pipe ? test_movie::data_ref_kind::url_external
                                       : test_movie::data_ref_kind::alias_external;
        plan.tracks[0].external_name = "movie_external_media.dat";
        movie_ptr movie = open_built(plan, "external_media.mov");
        ASSERT_NE(movie, nullptr);
        std::remove(media_file.c_str());
#ifndef _WIN32
        if (pipe) {
            ASSERT_EQ(mkfifo(media_file.c_str(), 0600), 0);
        }
#endif
        Media video = media_of_type(movie.get(), qt_fourcc("vide"));
        uint8_t data[100];
        ByteCount size = 0;
        EXPECT_EQ(read_sample(video, 0, nullptr, 0, &size), couldNotResolveDataRef) << pipe;
        EXPECT_EQ(read_sample(video, 0, data, 100), couldNotResolveDataRef) << pipe;
        std::remove(media_file.c_str());
    }
}

}  // namespace

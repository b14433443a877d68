// Movies as built: layouts (movie atom first or last, 64-bit sizes, 'co64',
// version 1 headers, 'alis' references, atoms of size 0), tracks by index,
// ID, type and characteristic, durations, dimensions, handlers and user data.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "memory/memory_manager.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;
using test_movie::bytes;
using test_movie::fourcc;

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
    plan.user_data.push_back({fourcc("name"), test_movie::user_data_text("three")});
    plan.user_data.push_back({fourcc("info"), bytes{1, 2, 3}});
    plan.user_data.push_back({fourcc("name"), test_movie::user_data_text("again", 2)});
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
        ASSERT_EQ(qtrt::GetMediaSample2(video, data.data(), 100, nullptr, i * 150, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, 1, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(data[99], test_movie::sample_pattern_byte(1, i, 99));
    }
    // The last sound sample lies at the end of its last chunk.
    ASSERT_EQ(qtrt::GetMediaSample2(sound, data.data(), 4, nullptr, 47999, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, 1, nullptr, nullptr),
              noErr);
    EXPECT_EQ(data[3], test_movie::sample_pattern_byte(2, 47999, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovieLayouts,
    ::testing::Values(
        layout_case{"MovieAfterMediaData", [](test_movie::movie_plan&) {}},
        layout_case{"MovieFirst", [](test_movie::movie_plan& s) { s.movie_first = true; }},
        layout_case{"LargeMediaDataSize", [](test_movie::movie_plan& s) { s.large_mdat = true; }},
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
        layout_case{"CompactSizes16Bits",
                    [](test_movie::movie_plan& s) {
                        for (auto& t : s.tracks) t.compact_size_bits = 16;
                    }},
        layout_case{"MediaInFilesBesideTheMovie",
                    [](test_movie::movie_plan& s) {
                        s.tracks[0].data_ref = test_movie::data_ref_kind::url_external;
                        s.tracks[0].external_name = "movie_layout_video.dat";
                        s.tracks[1].data_ref = test_movie::data_ref_kind::alias_external;
                        s.tracks[1].external_name = "movie_layout_sound.dat";
                    }},
        layout_case{"ManySamplesPerChunk",
                    [](test_movie::movie_plan& s) { s.tracks[0].samples_per_chunk = 3; }}),
    [](const ::testing::TestParamInfo<layout_case>& info) { return std::string(info.param.name); });

TEST(MovieLayouts, MissingMediaFileFailsItsSamplesNotTheMovie) {
    test_movie::movie_plan plan = three_tracks();
    plan.tracks[0].data_ref = test_movie::data_ref_kind::alias_external;
    plan.tracks[0].external_name = "movie_missing_media.dat";
    movie_ptr movie = open_built(plan, "missing_media.mov");
    ASSERT_NE(movie, nullptr);
    std::remove((std::string(RUV_OUTPUT_DIR) + "/movie_missing_media.dat").c_str());
    Media video = media_of_type(movie.get(), qt_fourcc("vide"));
    uint8_t data[100];
    ByteCount size = 0;
    EXPECT_EQ(qtrt::GetMediaSample2(video, nullptr, 0, &size, 0, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              couldNotResolveDataRef);
    EXPECT_EQ(qtrt::GetMediaSample2(video, data, 100, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              couldNotResolveDataRef);
}

TEST(MovieLayouts, MediaFileThatIsAPipeIsNotOpened) {
    test_movie::movie_plan plan = three_tracks();
    plan.tracks[0].data_ref = test_movie::data_ref_kind::url_external;
    plan.tracks[0].external_name = "movie_media_pipe.dat";
    movie_ptr movie = open_built(plan, "media_pipe.mov");
    ASSERT_NE(movie, nullptr);
    const std::string pipe = std::string(RUV_OUTPUT_DIR) + "/movie_media_pipe.dat";
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    uint8_t data[100];
    EXPECT_EQ(qtrt::GetMediaSample2(media_of_type(movie.get(), qt_fourcc("vide")), data, 100,
                                    nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 1,
                                    nullptr, nullptr),
              couldNotResolveDataRef);
    std::remove(pipe.c_str());
}

TEST(MovieLayouts, WideFreeSkipAndAFinalAtomOfSizeZeroAreRead) {
    test_movie::movie_plan plan = three_tracks();
    const bytes original = test_movie::build_movie(plan).contiguous();
    // ftyp, wide, free, skip, then the media data and the movie atom.
    int64_t moov = test_movie::find_atom(original, {fourcc("moov")});
    ASSERT_GT(moov, 0);
    bytes file(original.begin(), original.begin() + 20);  // the ftyp atom
    bytes padding = test_movie::atom(fourcc("wide"), {});
    test_movie::put_bytes(padding, test_movie::atom(fourcc("free"), bytes(5, 0)));
    test_movie::put_bytes(padding, test_movie::atom(fourcc("skip"), bytes(3, 0)));
    test_movie::put_bytes(file, padding);
    file.insert(file.end(), original.begin() + 20, original.end());
    // The movie atom, last in the file, gets the size 0: it runs to the end.
    // The padding moved the samples, so only the structure is checked.
    const uint64_t moved = uint64_t(moov) + padding.size();
    test_movie::patch_u32(file, moved, 0);
    ASSERT_EQ(test_movie::write_bytes(file, output_path("padded.mov")), true);
    Movie movie = nullptr;
    ASSERT_EQ(open_movie(output_path("padded.mov"), movie), noErr);
    movie_ptr owner(movie);
    EXPECT_EQ(qtrt::GetMovieTrackCount(movie), 3);
    EXPECT_EQ(qtrt::GetMovieDuration(movie), 600);
}

class MovieTracks : public ::testing::Test {
protected:
    void SetUp() override {
        m_movie = open_built(three_tracks(), "tracks.mov");
        ASSERT_NE(m_movie, nullptr);
    }
    movie_ptr m_movie;
};

TEST_F(MovieTracks, TracksByIndexIdTypeAndCharacteristic) {
    Movie m = m_movie.get();
    Track video = qtrt::GetMovieIndTrack(m, 1);
    Track sound = qtrt::GetMovieIndTrack(m, 2);
    Track tc = qtrt::GetMovieIndTrack(m, 3);
    EXPECT_EQ(qtrt::GetMovieIndTrack(m, 4), nullptr);
    EXPECT_NE(qtrt::GetMoviesError(), noErr);
    EXPECT_EQ(qtrt::GetMovieTrack(m, 2), sound);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 1, qt_fourcc("eyes"), 2), video);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 1, qt_fourcc("ears"), 2), sound);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 1, qt_fourcc("vfrr"), 2), video);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 2, qt_fourcc("eyes"), 2), nullptr);
    EXPECT_EQ(qtrt::GetMoviesError(), noErr);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 1, qt_fourcc("tmcd"), 1), tc);
    EXPECT_EQ(qtrt::GetMovieIndTrackType(m, 1, qt_fourcc("tmcd"), 1 | 4), nullptr);
}

TEST_F(MovieTracks, TrackDurationDimensionsAndMedia) {
    Track video = qtrt::GetMovieIndTrack(m_movie.get(), 1);
    EXPECT_EQ(qtrt::GetTrackDuration(video), 600);
    Fixed width = 0, height = 0;
    qtrt::GetTrackDimensions(video, &width, &height);
    EXPECT_EQ(width, 0x01555555);
    EXPECT_EQ(height, 240 << 16);
    Media media = qtrt::GetTrackMedia(video);
    OSType type = 0;
    qtrt::GetMediaHandlerDescription(media, &type, nullptr, nullptr);
    EXPECT_EQ(type, qt_fourcc("vide"));
    int16_t count = 0;
    EXPECT_EQ(qtrt::GetMediaDataRefCount(media, &count), noErr);
    EXPECT_EQ(count, 1);
    Handle ref = nullptr;
    OSType ref_type = 0;
    int32_t attributes = 0;
    EXPECT_EQ(qtrt::GetMediaDataRef(media, 1, &ref, &ref_type, &attributes), noErr);
    EXPECT_EQ(ref_type, qt_fourcc("url "));
    EXPECT_EQ(attributes, 1);
    qtrt::DisposeHandle(ref);
}

TEST_F(MovieTracks, UserDataWalkCountsTypesAndReadsText) {
    UserData ud = qtrt::GetMovieUserData(m_movie.get());
    ASSERT_NE(ud, nullptr);
    EXPECT_EQ(qtrt::GetNextUserDataType(ud, 0), int32_t(fourcc("name")));
    EXPECT_EQ(qtrt::GetNextUserDataType(ud, fourcc("name")), int32_t(fourcc("info")));
    EXPECT_EQ(qtrt::GetNextUserDataType(ud, fourcc("info")), 0);
    EXPECT_EQ(qtrt::CountUserDataType(ud, fourcc("name")), 2);
    EXPECT_EQ(qtrt::CountUserDataType(ud, fourcc("none")), 0);
    Handle h = qtrt::NewHandle(0);
    ASSERT_EQ(qtrt::GetUserData(ud, h, fourcc("info"), 1), noErr);
    EXPECT_EQ(bytes(*h, *h + qtrt::GetHandleSize(h)), (bytes{1, 2, 3}));
    ASSERT_EQ(qtrt::GetUserDataText(ud, h, fourcc("name"), 1, 0), noErr);
    EXPECT_EQ(std::string(*h, size_t(qtrt::GetHandleSize(h))), "three");
    ASSERT_EQ(qtrt::GetUserDataText(ud, h, fourcc("name"), 2, 2), noErr);
    EXPECT_EQ(std::string(*h, size_t(qtrt::GetHandleSize(h))), "again");
    EXPECT_NE(qtrt::GetUserDataText(ud, h, fourcc("name"), 2, 0), noErr);
    EXPECT_NE(qtrt::GetUserData(ud, h, fourcc("name"), 3), noErr);
    qtrt::DisposeHandle(h);
    // The movie's own list survives DisposeUserData.
    EXPECT_EQ(qtrt::DisposeUserData(ud), noErr);
    EXPECT_EQ(qtrt::CountUserDataType(ud, fourcc("name")), 2);
}

TEST_F(MovieTracks, TimeBaseAndStateBelongToTheMovie) {
    Movie m = m_movie.get();
    EXPECT_NE(qtrt::GetMovieTimeBase(m), nullptr);
    qtrt::SetMovieActive(m, 1);
    qtrt::SetMoviePlayHints(m, 0x100, 0x100);
    qtrt::MoviesTask(m, 0);
    EXPECT_EQ(qtrt::GetMoviesError(), noErr);
    qtrt::SetMovieTimeValue(m, 450);
    TimeRecord record{};
    EXPECT_EQ(qtrt::GetMovieTime(m, &record), 450);
    EXPECT_EQ(record.scale, 600);
    EXPECT_EQ(record.base, qtrt::GetMovieTimeBase(m));
}

}  // namespace

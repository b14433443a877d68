// Broken and truncated movies are refused cleanly: no movie (or the broken
// track left out) and a QuickTime error, never a crash, an out-of-bounds
// read or an allocation driven by a count in the file.
#include <gtest/gtest.h>

#include "movie/movie_errors.h"
#include "runtime_movie/movie_test_support.h"
#include "runtime_movie/movie_walk.h"

namespace {

using namespace movie_test;
using test_movie::bytes;
using test_movie::fourcc;

test_movie::movie_plan small_movie() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(6, 20, 100, false);
    video.samples[0].sync = true;
    video.samples[2].composition_offset = 100;
    video.add_edit(300, 100);
    test_movie::track_plan& sound = plan.add_sound(test_movie::kTwos, 1, 16, 8000);
    sound.add_samples(800, 2, 1);
    sound.samples_per_chunk = 400;
    plan.user_data.push_back({fourcc("name"), test_movie::user_data_text("small")});
    return plan;
}

OSErr open_bytes(const bytes& file, const std::string& name, Movie& movie) {
    const std::string path = output_path(name);
    if (!test_movie::write_bytes(file, path)) return -1;
    return open_movie(path, movie);
}

TEST(MalformedMovies, EveryTruncationIsRefusedWithoutAMovie) {
    const bytes file = test_movie::build_movie(small_movie()).contiguous();
    for (size_t size = 0; size < file.size(); size += 7) {
        Movie movie = reinterpret_cast<Movie>(1);
        OSErr err = open_bytes(bytes(file.begin(), file.begin() + size), "truncated.mov", movie);
        EXPECT_NE(err, noErr) << "size " << size;
        EXPECT_EQ(movie, nullptr) << "size " << size;
        EXPECT_EQ(qtrt::GetMoviesError(), err);
    }
}

TEST(MalformedMovies, MovieBeforeTruncatedMediaDataStillOpens) {
    test_movie::movie_plan plan = small_movie();
    plan.movie_first = true;
    bytes file = test_movie::build_movie(plan).contiguous();
    file.resize(file.size() - 100);  // the sound samples at the end are gone
    Movie movie = nullptr;
    ASSERT_EQ(open_bytes(file, "cut_media.mov", movie), noErr);
    movie_ptr owner(movie);
    walk_movie(movie);
    Media sound = media_of_type(movie, qt_fourcc("soun"));
    uint8_t data[2];
    EXPECT_NE(qtrt::GetMediaSample2(sound, data, 2, nullptr, 799, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              noErr);
}

struct patch_case {
    const char* name;
    std::vector<uint32_t> path;  // the atom patched
    uint32_t offset;             // from the atom's header
    uint32_t value;
    bool movie_refused;  // false: only the video track is left out
};

class PatchedMovies : public ::testing::TestWithParam<patch_case> {};

TEST_P(PatchedMovies, AreRefusedCleanly) {
    const patch_case& c = GetParam();
    bytes file = test_movie::build_movie(small_movie()).contiguous();
    int64_t at = test_movie::find_atom(file, c.path);
    ASSERT_GE(at, 0);
    test_movie::patch_u32(file, uint64_t(at) + c.offset, c.value);
    Movie movie = nullptr;
    OSErr err = open_bytes(file, "patched.mov", movie);
    movie_ptr owner(movie);
    if (c.movie_refused) {
        EXPECT_NE(err, noErr);
        EXPECT_EQ(movie, nullptr);
        return;
    }
    ASSERT_EQ(err, noErr);
    walk_movie(movie);
    // The sound track is still there; the broken video track is not.
    EXPECT_EQ(qtrt::GetMovieTrackCount(movie), 1);
    EXPECT_EQ(track_of_type(movie, qt_fourcc("vide")), nullptr);
    EXPECT_NE(track_of_type(movie, qt_fourcc("soun")), nullptr);
}

const std::vector<uint32_t> kVideoStbl = {fourcc("moov"), fourcc("trak"), fourcc("mdia"),
                                          fourcc("minf"), fourcc("stbl")};

std::vector<uint32_t> video_table(const char (&type)[5]) {
    std::vector<uint32_t> path = kVideoStbl;
    path.push_back(fourcc(type));
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchedMovies,
    ::testing::Values(
        patch_case{"SampleSizeCountBeyondItsAtom", video_table("stsz"), 16, 0x40000000, false},
        patch_case{"TimeToSampleCoversTooFewSamples", video_table("stts"), 16, 2, false},
        patch_case{"SampleToChunkStartsAtChunkZero", video_table("stsc"), 16, 0, false},
        patch_case{"SampleToChunkNamesMissingDescription", video_table("stsc"), 24, 9, false},
        patch_case{"SampleToChunkZeroSamplesPerChunk", video_table("stsc"), 20, 0, false},
        patch_case{"DescriptionSizeBeyondItsAtom", video_table("stsd"), 16, 0x00FFFFFF, false},
        patch_case{"DescriptionNamesMissingDataReference", video_table("stsd"), 30, 0x00050000, false},
        patch_case{"EditCountBeyondItsAtom",
                   {fourcc("moov"), fourcc("trak"), fourcc("edts"), fourcc("elst")}, 12, 0x10000000,
                   false},
        patch_case{"DataReferenceCountBeyondItsAtom",
                   {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("minf"), fourcc("dinf"),
                    fourcc("dref")},
                   12, 0x10000000, false},
        patch_case{"MediaTimeScaleZero",
                   {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("mdhd")}, 20, 0, false},
        patch_case{"TrackAtomSizeBeyondItsParent", {fourcc("moov"), fourcc("trak"), fourcc("tkhd")},
                   0, 0x7FFFFFFF, false},
        patch_case{"MovieTimeScaleZero", {fourcc("moov"), fourcc("mvhd")}, 20, 0, true},
        patch_case{"MovieAtomBeyondTheFile", {fourcc("moov")}, 0, 0x7FFFFFF0, true},
        patch_case{"MovieAtomSizeTooSmall", {fourcc("moov")}, 0, 4, true}),
    [](const ::testing::TestParamInfo<patch_case>& info) { return std::string(info.param.name); });

// A sample whose bytes the file does not hold: neither its bytes nor its size
// are answered, so that no caller sizes a buffer by the size the table claims.
struct beyond_case {
    const char* name;
    uint32_t table;
    uint32_t offset;  // of the first entry, from the atom's header
    uint32_t value;
};

class SampleBeyondItsData : public ::testing::TestWithParam<beyond_case> {};

TEST_P(SampleBeyondItsData, IsRefusedBeforeItsSizeIsAnswered) {
    const beyond_case& c = GetParam();
    bytes file = test_movie::build_movie(small_movie()).contiguous();
    std::vector<uint32_t> path = kVideoStbl;
    path.push_back(c.table);
    const int64_t at = test_movie::find_atom(file, path);
    ASSERT_GE(at, 0);
    test_movie::patch_u32(file, uint64_t(at) + c.offset, c.value);
    Movie movie = nullptr;
    ASSERT_EQ(open_bytes(file, "beyond.mov", movie), noErr);
    movie_ptr owner(movie);
    Media media = media_of_type(movie, qt_fourcc("vide"));
    ByteCount size = 7;
    EXPECT_EQ(qtrt::GetMediaSample2(media, nullptr, 0, &size, 0, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              qtrt::eofErr);
    EXPECT_EQ(size, 7u);
    uint8_t data[20];
    EXPECT_EQ(qtrt::GetMediaSample2(media, data, 20, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              qtrt::eofErr);
    // The next sample is whole and still answers.
    EXPECT_EQ(qtrt::GetMediaSample2(media, data, 20, &size, 100, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 1, nullptr, nullptr),
              noErr);
    EXPECT_EQ(size, 20u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleBeyondItsData,
    ::testing::Values(beyond_case{"OffsetPastTheEnd", fourcc("stco"), 16, 0x7FFFFF00},
                      beyond_case{"SizeOfOneGibibyte", fourcc("stsz"), 20, 0x40000000},
                      beyond_case{"SizeOfThreeGibibytes", fourcc("stsz"), 20, 0xC0000000}),
    [](const ::testing::TestParamInfo<beyond_case>& info) { return std::string(info.param.name); });

TEST(MalformedMovies, DisposedMovieAndForeignPointersAreInvalid) {
    movie_ptr movie = open_built(small_movie(), "dispose.mov");
    ASSERT_NE(movie, nullptr);
    Movie raw = movie.release();
    Track track = qtrt::GetMovieIndTrack(raw, 1);
    qtrt::DisposeMovie(raw);
    EXPECT_EQ(qtrt::GetMovieTimeScale(raw), 0);
    EXPECT_EQ(qtrt::GetMoviesError(), invalidMovie);
    EXPECT_EQ(qtrt::GetTrackMedia(track), nullptr);
    EXPECT_EQ(qtrt::GetMoviesError(), invalidTrack);
    int not_a_media = 0;
    EXPECT_EQ(qtrt::GetMediaSampleCount(reinterpret_cast<Media>(&not_a_media)), 0);
    EXPECT_EQ(qtrt::GetMoviesError(), invalidMedia);
}

}  // namespace

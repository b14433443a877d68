// Broken and truncated movies are refused cleanly: no movie (or the broken
// track left out) and a QuickTime error, never a crash, an out-of-bounds
// read or an allocation driven by a count in the file.
#include <fstream>

#include <gtest/gtest.h>

#include "quicktime/movie_constants.h"
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

TEST(MalformedMovies, EveryTruncationIsRefusedWithoutAMovie) {
    const bytes file = test_movie::build_movie(small_movie()).contiguous();
    for (size_t size = 0; size < file.size(); size += 7) {
        OSErr err = noErr;
        movie_ptr movie =
            open_bytes(bytes(file.begin(), file.begin() + size), "truncated.mov", &err);
        EXPECT_NE(err, noErr) << "size " << size;
        EXPECT_EQ(movie, nullptr) << "size " << size;
        EXPECT_EQ(qtrt::GetMoviesError(), err);
    }
}

TEST(MalformedMovies, MovieBeforeTruncatedMediaDataStillOpens) {
    test_movie::movie_plan plan = small_movie();
    plan.movie_first = true;
    const bytes whole = test_movie::build_movie(plan).contiguous();
    const bytes file(whole.begin(), whole.end() - 100);  // the sound samples at the end are gone
    movie_ptr movie = open_bytes(file, "cut_media.mov");
    ASSERT_TRUE(movie);
    walk_movie(movie.get());
    uint8_t data[2];
    Media sound = media_of_type(movie.get(), qt_fourcc("soun"));
    EXPECT_NE(read_sample(sound, 799, data, 2), noErr);
    // The rest arrives while the movie is open (a copy still in progress).
    std::ofstream(output_path("cut_media.mov"), std::ios::app | std::ios::binary)
        .write(reinterpret_cast<const char*>(whole.data() + file.size()), 100);
    EXPECT_EQ(read_sample(sound, 799, data, 2), noErr);
}

// What a patched movie opens as: nothing, the sound track alone, or the
// whole movie with a first video sample whose bytes the file does not hold.
enum outcome { kRefused, kLeftOut, kBeyond };

struct patch_case {
    const char* name;
    std::string path;  // the atom patched
    uint32_t offset;   // from the atom's header
    uint32_t value;
    outcome result;
};

class PatchedMovies : public ::testing::TestWithParam<patch_case> {};

TEST_P(PatchedMovies, AreRefusedCleanly) {
    const patch_case& c = GetParam();
    bytes file = test_movie::build_movie(small_movie()).contiguous();
    int64_t at = test_movie::find_atom(file, test_movie::atom_path(c.path));
    ASSERT_GE(at, 0);
    test_movie::patch_u32(file, uint64_t(at) + c.offset, c.value);
    OSErr err = noErr;
    movie_ptr owner = open_bytes(file, "patched.mov", &err);
    Movie movie = owner.get();
    if (c.result == kRefused) {
        EXPECT_NE(err, noErr);
        EXPECT_EQ(movie, nullptr);
        return;
    }
    ASSERT_EQ(err, noErr);
    walk_movie(movie);
    if (c.result == kLeftOut) {
        EXPECT_EQ(qtrt::GetMovieTrackCount(movie), 1);
        EXPECT_EQ(track_of_type(movie, qt_fourcc("vide")), nullptr);
        EXPECT_NE(track_of_type(movie, qt_fourcc("soun")), nullptr);
        return;
    }
    // Neither the sample's bytes nor its size are answered, so that no
    // caller sizes a buffer by the size the table claims.
    Media media = media_of_type(movie, qt_fourcc("vide"));
    ByteCount size = 7;
    EXPECT_EQ(read_sample(media, 0, nullptr, 0, &size), eofErr);
    EXPECT_EQ(size, 7u);
    uint8_t data[20];
    EXPECT_EQ(read_sample(media, 0, data, 20), eofErr);
    // The next sample is whole and still answers.
    EXPECT_EQ(read_sample(media, 100, data, 20, &size), noErr);
    EXPECT_EQ(size, 20u);
}

// The path of the video track's sample table, to which a table's type is added.
const std::string kTable = "moov trak mdia minf stbl ";

INSTANTIATE_TEST_SUITE_P(
    Cases, PatchedMovies,
    ::testing::Values(
        patch_case{"SampleSizeCountBeyondItsAtom", kTable + "stsz", 16, 0x40000000, kLeftOut},
        patch_case{"TimeToSampleCoversTooFewSamples", kTable + "stts", 16, 2, kLeftOut},
        patch_case{"SampleToChunkStartsAtChunkZero", kTable + "stsc", 16, 0, kLeftOut},
        patch_case{"SampleToChunkNamesMissingDescription", kTable + "stsc", 24, 9, kLeftOut},
        patch_case{"SampleToChunkZeroSamplesPerChunk", kTable + "stsc", 20, 0, kLeftOut},
        patch_case{"DescriptionSizeBeyondItsAtom", kTable + "stsd", 16, 0x00FFFFFF, kLeftOut},
        patch_case{"DescriptionNamesMissingDataReference", kTable + "stsd", 30, 0x00050000,
                   kLeftOut},
        patch_case{"EditCountBeyondItsAtom", "moov trak edts elst", 12, 0x10000000, kLeftOut},
        patch_case{"DataReferenceCountBeyondItsAtom", "moov trak mdia minf dinf dref", 12,
                   0x10000000, kLeftOut},
        patch_case{"MediaTimeScaleZero", "moov trak mdia mdhd", 20, 0, kLeftOut},
        patch_case{"MovieTimeScaleZero", "moov mvhd", 20, 0, kRefused},
        patch_case{"MovieAtomBeyondTheFile", "moov", 0, 0x7FFFFFF0, kRefused},
        patch_case{"SampleOffsetPastTheEnd", kTable + "stco", 16, 0x7FFFFF00, kBeyond},
        patch_case{"SampleSizeOfOneGibibyte", kTable + "stsz", 20, 0x40000000, kBeyond},
        patch_case{"SampleSizeOfThreeGibibytes", kTable + "stsz", 20, 0xC0000000, kBeyond}),
    [](const ::testing::TestParamInfo<patch_case>& info) { return std::string(info.param.name); });

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

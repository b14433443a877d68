// The sound extraction ends where the movie's derived duration says: a sound
// media far longer than every header of its movie lasts as its samples (the
// movie, track and media durations), and the extraction delivers that much,
// no more and no less.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movie/movie_toolbox.h"
#include "runtime_audio/extraction.h"
#include "runtime_movie/movie_test_support.h"

namespace {

TEST(DurationExtraction, EndsWhereTheDerivedDurationEnds) {
    // 10 s of 8000 Hz mono PCM, no edit list; 'mvhd', 'tkhd' and 'mdhd'
    // all say 1 s.
    test_movie::movie_plan plan;
    plan.add_sound(test_movie::kSowt, 1, 16, 8000).add_samples(80000, 2, 1);
    test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    const struct {
        const char* path;
        uint32_t field;
        uint32_t value;
    } headers[] = {
        {"moov mvhd", 24, 600}, {"moov trak tkhd", 28, 600}, {"moov trak mdia mdhd", 24, 8000}};
    for (const auto& h : headers) {
        const int64_t at = test_movie::find_atom(file, test_movie::atom_path(h.path));
        ASSERT_GE(at, 0) << h.path;
        test_movie::patch_u32(file, uint64_t(at) + h.field, h.value);
    }
    const std::string path = movie_test::output_path("long_sound.mov");
    ASSERT_TRUE(test_movie::write_bytes(file, path));
    audio_test::extraction x(path);
    ASSERT_TRUE(x.ok());
    const TimeScale scale = qtrt::GetMovieTimeScale(x.movie());
    EXPECT_EQ(qtrt::GetMovieDuration(x.movie()), 10 * scale);
    const Track track = qtrt::GetMovieIndTrack(x.movie(), 1);
    EXPECT_EQ(qtrt::GetTrackDuration(track), 10 * scale);
    EXPECT_EQ(qtrt::GetMediaDuration(qtrt::GetTrackMedia(track)), 80000);
    const double rate = x.default_description().mSampleRate;
    const std::vector<float> frames = x.frames();
    EXPECT_EQ(frames.size() / x.channels(), size_t(10 * rate));
}

}  // namespace

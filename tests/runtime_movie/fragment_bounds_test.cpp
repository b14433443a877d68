// Hostile movies in fragments (support/hostile_fragments.h): tables that
// would grow without bound, a fragment whose size takes in the ones after it,
// fragments of a track the movie does not have, PCM samples that hold no
// whole frame, samples without a duration, leading gaps past a day. Each
// opens, keeps what came before the fault and says, in one line, what it left
// out; the movie's facts can then be walked.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "movie/sample_appender.h"
#include "movie/movie_access.h"
#include "runtime_movie/movie_test_support.h"
#include "runtime_movie/movie_walk.h"
#include "support/hostile_fragments.h"

namespace {

using namespace movie_test;

class HostileFragments : public ::testing::TestWithParam<test_movie::named_movie> {};

// The samples of track 1 each keeps: those before the fault.
const std::map<std::string, uint32_t> kSamplesKept = {
    // One byte a sample listed: the count bound (2^24) stops the 32nd run.
    {"FragmentDependenciesListedPast2To24", 8 + 31 * (1u << 19)},
    // Four bytes a sync sample listed: the memory bound (40 MiB, 2 MiB a
    // run) stops the 21st run, before the count bound would.
    {"FragmentSyncSamplesListedPast40MiB", 8 + 20 * (1u << 19)},
    {"PcmFragmentSampleOfOneByteLasting2To31", 8},
    {"FragmentSamplesWithoutDuration", 8 + 48},
    {"FragmentOfAMissingTrack", 8},
    {"FragmentSwallowingTheOthers", 3},
};

TEST_P(HostileFragments, KeepWhatCameBeforeAndSaySoInOneLine) {
    const test_movie::named_movie& m = GetParam();
    ASSERT_FALSE(m.file.empty());
    warning_log log;
    movie_ptr movie = open_bytes(m.file, m.name + ".mov");
    ASSERT_TRUE(movie);
    const uint32_t samples = qtrt::model_of(movie.get())->tracks[0].media.samples.count();
    const auto kept = kSamplesKept.find(m.name);
    if (kept != kSamplesKept.end()) {
        EXPECT_EQ(samples, kept->second);
    }
    // However the table was cut, it never lists more than its bound.
    EXPECT_LE(samples, qtrt::sample_table::appender::kMaxListed);
    if (m.says.empty()) {
        EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    } else {
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_NE(log.lines[0].find(m.says), std::string::npos) << log.lines[0];
    }
    walk_movie(movie.get());
}

INSTANTIATE_TEST_SUITE_P(Movies, HostileFragments,
                         ::testing::ValuesIn(test_movie::hostile_fragment_movies()),
                         [](const ::testing::TestParamInfo<test_movie::named_movie>& info) {
                             return info.param.name;
                         });

}  // namespace

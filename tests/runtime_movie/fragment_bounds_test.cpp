// Hostile movie fragments: tables that would grow without bound, fragments
// whose size takes in the ones after them, fragments of tracks the movie does
// not have, PCM samples that hold no whole frame, samples without a duration.
// Each keeps what came before it and says, in one line, what it left out.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "movie/fragment_samples.h"
#include "movie/movie_access.h"
#include "runtime_movie/movie_test_support.h"

namespace {

using namespace movie_test;
using test_movie::be;
using test_movie::bytes;
using test_movie::fourcc;

struct run_sample {
    uint32_t duration;
    uint32_t size;
    uint32_t flags;
};

// 'trun' flags: a data offset, then each sample's duration, size and flags.
constexpr uint32_t kOffset = 0x001, kDuration = 0x100, kSize = 0x200, kFlags = 0x400;
constexpr uint32_t kNonSync = 0x10000;
constexpr uint32_t kDependsOnOthers = 0x01000000;  // 'sdtp' byte 0x10

// A track fragment of one run whose data lies data_offset bytes from the
// start of its 'moof' (default-base-is-moof), with a default sample size
// when default_size is not 0.
bytes traf(uint32_t track_id, int32_t data_offset, const std::vector<run_sample>& samples,
           uint32_t run_flags, uint32_t default_size = 0) {
    bytes tfhd = be({0x020000u | (default_size ? 0x10u : 0u), track_id});
    if (default_size) test_movie::put_u32(tfhd, default_size);
    bytes trun = be({run_flags, uint32_t(samples.size()), uint32_t(data_offset)});
    for (const run_sample& s : samples) {
        if (run_flags & kDuration) test_movie::put_u32(trun, s.duration);
        if (run_flags & kSize) test_movie::put_u32(trun, s.size);
        if (run_flags & kFlags) test_movie::put_u32(trun, s.flags);
    }
    bytes body = test_movie::atom(fourcc("tfhd"), tfhd);
    test_movie::put_bytes(body, test_movie::atom(fourcc("trun"), trun));
    return test_movie::atom(fourcc("traf"), body);
}

// A 'moof' of the track fragments that trafs makes for a data offset (the
// start of the 'mdat' that follows, data_size bytes), and that 'mdat'.
bytes fragment(const std::function<bytes(int32_t)>& trafs, size_t data_size) {
    const bytes mfhd = test_movie::atom(fourcc("mfhd"), be({0, 99}));
    const int32_t data_offset = int32_t(8 + mfhd.size() + trafs(0).size() + 8);
    bytes body = mfhd;
    test_movie::put_bytes(body, trafs(data_offset));
    bytes out = test_movie::atom(fourcc("moof"), body);
    test_movie::put_bytes(out, test_movie::atom(fourcc("mdat"), bytes(data_size, 0)));
    return out;
}

// A movie in fragments of one track (16-bit mono PCM, or video), the given
// fragment appended.
bytes movie_with(bool sound, const bytes& tail) {
    test_movie::movie_plan plan;
    if (sound)
        plan.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(4, 2, 1);
    else
        plan.add_video(test_movie::kAvc1, 64, 48).add_samples(4, 10, 100);
    plan.fragments.samples_per_fragment = 4;
    bytes file = test_movie::build_movie(plan).contiguous();
    test_movie::put_bytes(file, tail);
    return file;
}

uint32_t sample_count(Movie movie) { return qtrt::model_of(movie)->tracks[0].media.samples.count(); }

// Runs that all point at the same MiB of PCM: each makes 2^19 samples of one
// frame. Listed one by one (dependencies, sync samples), the table stops at
// its bound, keeps what it holds and says where the movie was cut.
struct bound_case {
    const char* name;
    uint32_t first_flags;  // the first run's sample
    uint32_t flags;        // every other run's sample
    uint32_t most_samples;
};

class FragmentTableBound : public ::testing::TestWithParam<bound_case> {};

TEST_P(FragmentTableBound, StopsTheFragmentsAndSaysWhere) {
    const uint32_t mib = 1u << 20;
    const bytes tail = fragment(
        [&](int32_t offset) {
            bytes trafs;
            for (int i = 0; i < 64; ++i)
                test_movie::put_bytes(
                    trafs, traf(1, offset, {{1, mib, i == 0 ? GetParam().first_flags : GetParam().flags}},
                                kOffset | kDuration | kSize | kFlags));
            return trafs;
        },
        mib);
    warning_log log;
    movie_ptr movie = open_bytes(movie_with(true, tail), "bound.mov");
    ASSERT_TRUE(movie);
    EXPECT_LE(sample_count(movie.get()), GetParam().most_samples);
    EXPECT_GE(sample_count(movie.get()), 4 + mib / 2);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("the movie fragment at offset"), std::string::npos);
    EXPECT_NE(log.lines[0].find("track 1: its fragments hold more samples than the runtime can list"),
              std::string::npos)
        << log.lines[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FragmentTableBound,
    ::testing::Values(
        // One byte a sample: the count bound (2^24) comes first.
        bound_case{"DependenciesListed", kDependsOnOthers, kDependsOnOthers,
                   qtrt::fragment_sample_appender::kMaxListed},
        // Four bytes a sync sample: the memory bound (40 MiB) comes first.
        bound_case{"SyncSamplesListed", kNonSync, 0, 4 + 21 * (1u << 19)}),
    [](const ::testing::TestParamInfo<bound_case>& info) { return std::string(info.param.name); });

// A broken fragment keeps the samples before it, and one line says why.
struct hostile_case {
    const char* name;
    bool sound;
    std::function<bytes()> tail;
    uint32_t samples;
    const char* warning;
};

class HostileFragments : public ::testing::TestWithParam<hostile_case> {};

TEST_P(HostileFragments, KeepWhatCameBeforeAndSaySo) {
    warning_log log;
    movie_ptr movie = open_bytes(movie_with(GetParam().sound, GetParam().tail()), "hostile.mov");
    ASSERT_TRUE(movie);
    EXPECT_EQ(sample_count(movie.get()), GetParam().samples);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find(GetParam().warning), std::string::npos) << log.lines[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileFragments,
    ::testing::Values(
        hostile_case{"PcmSampleOfOneByte", true,
                     [] {
                         return fragment(
                             [](int32_t o) {
                                 return traf(1, o, {{0x80000000u, 1, 0}}, kOffset | kDuration | kSize);
                             },
                             2);
                     },
                     4, "holds 1 byte, not a whole number of its 2-byte sound frames"},
        hostile_case{"SamplesWithoutDuration", false,
                     [] {
                         return fragment(
                             [](int32_t o) {
                                 return traf(1, o, std::vector<run_sample>(48, {0, 0, 0}),
                                             kOffset | kFlags, 10);
                             },
                             480);
                     },
                     52, "track 1: 48 samples of its movie fragments last no time"},
        hostile_case{"FragmentOfAMissingTrack", false,
                     [] {
                         return fragment(
                             [](int32_t o) {
                                 return traf(7, o, {{100, 10, 0}}, kOffset | kDuration | kSize);
                             },
                             10);
                     },
                     4, "movie fragments name track 7, which the movie does not have"}),
    [](const ::testing::TestParamInfo<hostile_case>& info) { return std::string(info.param.name); });

// A 'moof' whose size takes in the fragments after it: the fragments it
// swallows are not lost without a word.
TEST(HostileFragments, FragmentSwallowingTheOthersSaysSo) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(9, 100, 20);
    plan.fragments.samples_per_fragment = 3;
    bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t moof = test_movie::find_atom(file, test_movie::atom_path("moof"));
    ASSERT_GT(moof, 0);
    test_movie::patch_u32(file, uint64_t(moof), uint32_t(file.size() - uint64_t(moof)));
    warning_log log;
    movie_ptr movie = open_bytes(file, "swallow.mov");
    ASSERT_TRUE(movie);
    EXPECT_EQ(sample_count(movie.get()), 3u);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("holds a 'mdat' atom (its size takes in the atoms after it)"),
              std::string::npos)
        << log.lines[0];
}

}  // namespace

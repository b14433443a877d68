// The sample table's appender: samples added after a movie atom's table
// follow on from it, and the table's bounds refuse an addition whole.
#include "movie/sample_appender.h"

#include <gtest/gtest.h>

namespace {

using qtrt::appended_sample;
using qtrt::sample_table;
using appender = qtrt::sample_table::appender;

// Sample flags whose dependency byte is 0x10.
constexpr uint32_t kDependsOnOthers = 0x01000000;

appended_sample sample(uint32_t duration, uint32_t size, uint32_t flags = 0) {
    appended_sample s;
    s.duration = duration;
    s.size = size;
    s.flags = flags;
    return s;
}

// A movie atom's table of 3 samples of 10 bytes lasting 5 units, two a
// chunk over 3 chunks: the last chunk holds no sample.
sample_table movie_atom_table() {
    qtrt::sample_columns c;
    c.count = 3;
    c.decode_end = 15;
    c.times.push_back({0, 3, 0, 5});
    c.chunks.push_back({0, 2, 1, 0});
    c.chunk_offsets.resize(3);
    for (uint32_t i = 0; i < 3; ++i) c.chunk_offsets.set(i, 1000 * (i + 1));
    c.constant_size = 10;
    return sample_table(c);
}

TEST(SampleAppender, SamplesFollowTheMovieAtomsChunks) {
    sample_table table = movie_atom_table();
    qtrt::append_budget budget;
    appender add(table, budget);
    add.begin_chunk(9000, 1);
    ASSERT_TRUE(add.add(sample(5, 10), 2));
    ASSERT_TRUE(add.add(sample(7, 12, appender::kNonSyncFlag)));
    ASSERT_EQ(table.count(), 6u);
    // The unused third chunk is dropped; the added samples make the third.
    EXPECT_EQ(table.chunk_count(), 3u);
    uint32_t first = 0, count = 0;
    table.chunk_samples(1, first, count);
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(count, 1u);
    const qtrt::sample_info last = table.sample(5);
    EXPECT_EQ(last.chunk, 2u);
    EXPECT_EQ(last.offset, 9020u);
    EXPECT_EQ(last.size, 12u);
    EXPECT_EQ(last.decode_time, 25);
    EXPECT_FALSE(last.sync);
    EXPECT_TRUE(table.is_sync(4));
    EXPECT_EQ(table.decode_end(), 32);
}

TEST(SampleAppender, LaterDecodeTimeLengthensOnlyTheLastSample) {
    sample_table table = movie_atom_table();
    qtrt::append_budget budget;
    appender add(table, budget);
    add.extend_to(10);  // earlier than the end: nothing changes
    EXPECT_EQ(table.decode_end(), 15);
    add.extend_to(40);
    EXPECT_EQ(table.duration(1), 5u);
    EXPECT_EQ(table.duration(2), 30u);
    EXPECT_EQ(table.decode_end(), 40);
}

TEST(SampleAppender, SamplesLastingNoTimeAtTheEndLastOneUnit) {
    sample_table table;
    qtrt::append_budget budget;
    appender add(table, budget);
    add.begin_chunk(0, 1);
    ASSERT_TRUE(add.add(sample(4, 1)));
    ASSERT_TRUE(add.add(sample(0, 1), 3));
    add.finish();
    EXPECT_EQ(table.decode_end(), 7);
    EXPECT_EQ(table.stored_decode_end(), 4);
}

// An addition past a bound is refused whole: the table is as before.
struct refusal {
    const char* name;
    uint32_t flags;
    uint32_t repeat;
    uint64_t budget_used;
    bool added;
};

class SampleAppenderBounds : public ::testing::TestWithParam<refusal> {};

TEST_P(SampleAppenderBounds, RefusesWholeWhatOutgrowsTheTable) {
    const refusal& r = GetParam();
    sample_table table = movie_atom_table();
    qtrt::append_budget budget;
    budget.used = r.budget_used;
    appender add(table, budget);
    add.begin_chunk(9000, 1);
    EXPECT_EQ(add.add(sample(1, 10, r.flags), r.repeat), r.added);
    EXPECT_EQ(table.count(), r.added ? 3 + r.repeat : 3);
    EXPECT_EQ(table.decode_end(), int64_t(r.added ? 15 + r.repeat : 15));
}

INSTANTIATE_TEST_SUITE_P(
    Additions, SampleAppenderBounds,
    ::testing::Values(
        // Alike samples stay one run, whatever their number.
        refusal{"ManyAlikeInOneRun", 0, appender::kMaxListed, 0, true},
        // A dependency lists every sample's 'sdtp' byte.
        refusal{"ListedPastTheCount", kDependsOnOthers, appender::kMaxListed - 2, 0, false},
        refusal{"ListedUpToTheCount", kDependsOnOthers, appender::kMaxListed - 3, 0, true},
        // A non-sync sample lists every sample's sync state.
        refusal{"ListedPastTheBudget", appender::kNonSyncFlag, 1000,
                qtrt::append_budget::kMaxBytes - 1000, false}),
    [](const ::testing::TestParamInfo<refusal>& info) { return std::string(info.param.name); });

}  // namespace

// ruv-import's own reading of the tracks' edits: sums of edit durations from
// the file stay in range however large the durations are.
#include "tools/ruv-import/movie_edits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "lib/cm/CMStream.h"
#include "lib/kolmbase/stream_mem.h"
#include "support/movie_builder.h"

namespace {

constexpr int64_t kLongest = std::numeric_limits<int64_t>::max();

struct sum_case {
    const char* name;
    int64_t media_time;  // of both edits; -1: empty edits
    int64_t first, second;
    int64_t end, leading_empty;
};

class EditSums : public testing::TestWithParam<sum_case> {};

TEST_P(EditSums, StayAtTheLargestInsteadOfWrapping) {
    const sum_case& c = GetParam();
    test_movie::movie_plan plan;
    plan.version1_headers = true;
    plan.add_video(test_movie::kAvc1, 64, 48)
        .add_samples(2, 10, 100)
        .add_edit(c.first, c.media_time)
        .add_edit(c.second, c.media_time);
    const test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    Ruv::RPtr<Ruv::CM::RStream> stream = Ruv::CM::RStream::createWithMemory(
        kolmbase::stream::mem(file), Ruv::CString("mem:edits.mov"));
    ASSERT_TRUE(stream);
    ASSERT_EQ(0, stream->open());
    ruv_import::movie_time_line line;
    ASSERT_TRUE(ruv_import::read_movie_time_line(*stream, line));
    ASSERT_EQ(line.tracks.size(), 1u);
    EXPECT_EQ(line.tracks[0].end, c.end);
    EXPECT_EQ(line.tracks[0].leading_empty, c.leading_empty);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditSums,
    testing::Values(sum_case{"Small", 0, 100, 100, 200, 0},
                    sum_case{"PastTwoToThe63", 0, kLongest, 12787, kLongest, 0},
                    sum_case{"EmptyPastTwoToThe63", -1, kLongest - 5, 6, kLongest, kLongest}),
    [](const testing::TestParamInfo<sum_case>& info) { return std::string(info.param.name); });

}  // namespace

// Crafted edit lists imported by ruv-import in both data-handler modes: each
// ends with status 0 and a warning that says what was left out, or status 1
// and one clear line, within the bounds of the reader's one walk.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>

#include "datahandler_import/import_run.h"

namespace {

// One sync sample, then count - 1 that depend on it, one unit each, at time
// scale 1000; the edits alternate between the last two frames, 1 ms each.
test_movie::movie_plan long_group(uint32_t count, uint32_t edits) {
    test_movie::movie_plan plan;
    plan.time_scale = 1000;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, 16, 16);
    t.time_scale = 1000;
    t.add_samples(count, 1, 1, false);
    t.samples[0].sync = true;
    for (uint32_t e = 0; e < edits; ++e) t.add_edit(1, count - 2 + e % 2);
    return plan;
}

test_movie::movie_plan edit_at_last_media_time() {
    test_movie::movie_plan plan = long_group(4, 0);
    plan.version1_headers = true;
    plan.tracks[0].add_edit(2, 0).add_edit(2, INT64_MAX);
    return plan;
}

struct edits_case {
    const char* name;
    test_movie::movie_plan (*movie)();
    int status;
    const char* says;
};

using mode_case = std::tuple<edits_case, const char*>;

class HostileEdits : public testing::TestWithParam<mode_case> {};

TEST_P(HostileEdits, EndWithAWarningOrOneClearLine) {
    const edits_case& c = std::get<0>(GetParam());
    const std::string path =
        ruv_import_test::output_path(std::string(c.name) + std::get<1>(GetParam()) + ".mov");
    ASSERT_TRUE(test_movie::write_movie(c.movie(), path));
    const datahandler_import::import_run run = datahandler_import::run_import(
        path, {"--set", std::string("data-handler-mode=") + std::get<1>(GetParam())});
    std::remove(path.c_str());
    EXPECT_EQ(run.result.status, c.status) << run.result.err;
    EXPECT_NE(run.result.err.find(c.says), std::string::npos) << run.result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Movies, HostileEdits,
    testing::Combine(
        testing::Values(
            edits_case{"ManyEditsOverOneLongGroup", [] { return long_group(1000, 200); }, 0,
                       "stops at its edit"},
            // ruv-import's own check then finds the video short of the movie.
            edits_case{"EditsPastThe4096th", [] { return long_group(4, 4099); }, 1,
                       "shows its first 4096 edits only: the edits from 4.096 s on are left out"},
            edits_case{"EditAtTheLastMediaTime", edit_at_last_media_time, 1,
                       "its edit 2 (at 0.002 s) shows media times beyond any movie's"}),
        testing::Values("force-disable", "force-enable")),
    [](const testing::TestParamInfo<mode_case>& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::string(std::get<1>(info.param)) == "force-enable" ? "_DataHandler" : "_Path");
    });

}  // namespace

// Movies whose durations the headers misstate, hostile movies in fragments
// (support/hostile_fragments.h) and crafted edit lists, imported by path and
// through the plug-in's data handler: each ends with status 0, its frames
// delivered, and a warning that says what was left out or what the header
// claims; or with status 1 and the line that says why, within the bounds of
// the reader's one walk.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "datahandler_import/import_run.h"
#include "support/hostile_fragments.h"
#include "support/movie_builder.h"

namespace {

using test_movie::bytes;
using test_movie::movie_plan;

// 10 s of video whose movie header says 1 s.
bytes header_says_one_second() {
    movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(100, 10, 60);
    bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t mvhd = test_movie::find_atom(file, test_movie::atom_path("moov mvhd"));
    if (mvhd >= 0) test_movie::patch_u32(file, uint64_t(mvhd) + 24, 600);
    return file;
}

// Video and sound in fragments, every header duration all ones, no 'mehd';
// or an edit list of one edit of length 0.
bytes fragments(bool unknown_durations, bool open_edit) {
    movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(30, 10, 20);
    if (open_edit) video.add_edit(0, 0);
    plan.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(8000, 2, 1);
    plan.fragments.samples_per_fragment = 5;
    plan.fragments.unknown_durations = unknown_durations;
    return test_movie::build_movie(plan).contiguous();
}

// One sync sample, then count - 1 that depend on it, one unit each, at time
// scale 1000; the edits alternate between the last two frames, 1 ms each.
movie_plan long_group(uint32_t count, uint32_t edits) {
    movie_plan plan;
    plan.time_scale = 1000;
    test_movie::track_plan& t = plan.add_video(test_movie::kAvc1, 16, 16);
    t.time_scale = 1000;
    t.add_samples(count, 1, 1, false);
    t.samples[0].sync = true;
    for (uint32_t e = 0; e < edits; ++e) t.add_edit(1, count - 2 + e % 2);
    return plan;
}

bytes edit_at_last_media_time() {
    movie_plan plan = long_group(4, 0);
    plan.version1_headers = true;
    plan.tracks[0].add_edit(2, 0).add_edit(2, INT64_MAX);
    return test_movie::build_movie(plan).contiguous();
}

struct import_case {
    std::string name;
    bytes file;
    std::string says;  // "": no warning, when the status is 0
    int status;
    std::string fails_with = "";  // the line of a status of 1
};

std::vector<import_case> cases() {
    std::vector<import_case> out = {
        {"MovieHeaderSaysOneSecondOfTen", header_says_one_second(),
         "the movie header says 1 s; its longest track lasts 10 s", 0},
        {"FragmentsOfUnknownDurationsWithoutMehd", fragments(true, false), "", 0},
        {"FragmentsWithAZeroLengthEdit", fragments(false, true), "", 0},
        {"ManyEditsOverOneLongGroup", test_movie::build_movie(long_group(1000, 200)).contiguous(),
         "stops at its edit", 0},
        // ruv-import's own check then finds the video short of the movie.
        {"EditsPastThe4096th", test_movie::build_movie(long_group(4, 4099)).contiguous(),
         "shows its first 4096 edits only: the edits from 4.096 s on are left out", 1},
        {"EditAtTheLastMediaTime", edit_at_last_media_time(),
         "its edit 2 (at 0.002 s) shows media times beyond any movie's", 1},
    };
    // A video edit past its media is judged by ruv-import too: its video
    // stops short of the track's end, and one line says so.
    for (test_movie::named_movie& m : test_movie::hostile_fragment_movies()) {
        if (m.name == "VideoEditPastItsMedia")
            out.push_back({m.name, std::move(m.file), m.says, 1,
                           "the movie is cut short or damaged (video ends at 1.000 s"});
        else
            out.push_back({m.name, std::move(m.file), m.says, 0});
    }
    return out;
}

using mode_case = std::tuple<import_case, const char*>;

class FragmentImport : public ::testing::TestWithParam<mode_case> {};

TEST_P(FragmentImport, DeliversWhatTheMovieHoldsAndSaysWhatItLeftOut) {
    const import_case& c = std::get<0>(GetParam());
    ASSERT_FALSE(c.file.empty()) << "the movie could not be built";
    const datahandler_import::import_run run =
        datahandler_import::import_bytes(c.file, c.name, std::get<1>(GetParam()));
    EXPECT_NE(run.result.err.find(c.says), std::string::npos) << run.result.err;
    EXPECT_NE(run.result.err.find(c.fails_with), std::string::npos) << run.result.err;
    EXPECT_EQ(run.result.status, c.status) << run.result.err;
    if (c.status != 0) return;
    if (c.says.empty()) {
        EXPECT_EQ(run.result.err.find("warning"), std::string::npos) << run.result.err;
    }
    EXPECT_FALSE(run.frame_lines.empty()) << run.result.err;
}

INSTANTIATE_TEST_SUITE_P(Movies, FragmentImport,
                         ::testing::Combine(::testing::ValuesIn(cases()),
                                            datahandler_import::kModes),
                         datahandler_import::case_and_mode_name());

}  // namespace

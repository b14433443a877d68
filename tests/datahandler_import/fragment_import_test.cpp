// Movies whose durations the headers misstate and hostile movies in fragments
// (support/hostile_fragments.h), imported by path and through the plug-in's
// data handler: each ends with status 0, its frames delivered, and a warning
// that says what was left out or what the header claims (or, for a video edit
// past its media, status 1 and the line that says the video stops short).
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "datahandler_import/import_run.h"
#include "support/hostile_fragments.h"
#include "support/movie_builder.h"

namespace {

using test_movie::bytes;
using test_movie::named_movie;

// 10 s of video whose movie header says 1 s.
bytes header_says_one_second() {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(100, 10, 60);
    bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t mvhd = test_movie::find_atom(file, test_movie::atom_path("moov mvhd"));
    if (mvhd >= 0) test_movie::patch_u32(file, uint64_t(mvhd) + 24, 600);
    return file;
}

// Video and sound in fragments, every header duration all ones, no 'mehd';
// or an edit list of one edit of length 0.
bytes fragments(bool unknown_durations, bool open_edit) {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(30, 10, 20);
    if (open_edit) video.add_edit(0, 0);
    plan.add_sound(test_movie::kTwos, 1, 16, 8000).add_samples(8000, 2, 1);
    plan.fragments.samples_per_fragment = 5;
    plan.fragments.unknown_durations = unknown_durations;
    return test_movie::build_movie(plan).contiguous();
}

std::vector<named_movie> cases() {
    std::vector<named_movie> out = {
        {"MovieHeaderSaysOneSecondOfTen", header_says_one_second(),
         "the movie header says 1 s; its longest track lasts 10 s"},
        {"FragmentsOfUnknownDurationsWithoutMehd", fragments(true, false), ""},
        {"FragmentsWithAZeroLengthEdit", fragments(false, true), ""},
    };
    for (named_movie& m : test_movie::hostile_fragment_movies()) out.push_back(std::move(m));
    return out;
}

using mode_case = std::tuple<named_movie, const char*>;

class FragmentImport : public ::testing::TestWithParam<mode_case> {};

TEST_P(FragmentImport, DeliversWhatTheMovieHoldsAndSaysWhatItLeftOut) {
    const named_movie& movie = std::get<0>(GetParam());
    ASSERT_FALSE(movie.file.empty()) << "the movie could not be built";
    const std::string path = ruv_import_test::output_path(movie.name + ".mov");
    ASSERT_TRUE(test_movie::write_bytes(movie.file, path));
    const datahandler_import::import_run run = datahandler_import::run_import(
        path, {"--set", std::string("data-handler-mode=") + std::get<1>(GetParam())});
    std::remove(path.c_str());
    EXPECT_NE(run.result.err.find(movie.says), std::string::npos) << run.result.err;
    if (movie.says.empty()) {
        EXPECT_EQ(run.result.err.find("warning"), std::string::npos) << run.result.err;
    }
    // A video edit past its media is judged by ruv-import too: its video
    // stops short of the track's end, and one line says so.
    if (run.result.status == 1 && movie.name == "VideoEditPastItsMedia") {
        EXPECT_NE(run.result.err.find("the movie is cut short or damaged (video ends at 1.000 s"),
                  std::string::npos)
            << run.result.err;
        return;
    }
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_FALSE(run.frame_lines.empty()) << run.result.err;
}

INSTANTIATE_TEST_SUITE_P(Movies, FragmentImport,
                         ::testing::Combine(::testing::ValuesIn(cases()),
                                            ::testing::Values("force-disable", "force-enable")),
                         [](const ::testing::TestParamInfo<mode_case>& info) {
                             const bool through_handler =
                                 std::string(std::get<1>(info.param)) == "force-enable";
                             return std::get<0>(info.param).name +
                                    (through_handler ? "_DataHandler" : "_Path");
                         });

}  // namespace

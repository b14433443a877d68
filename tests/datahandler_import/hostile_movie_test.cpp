// Crafted movies, every input a fuzzer once found a fault with, movies whose
// durations the headers misstate, hostile movies in fragments
// (support/hostile_fragments.h) and crafted edit lists, imported by path and
// through the data handler: each import ends with status 0, its frames
// delivered, or 1 with one line that names the movie, and a warning that
// says what was left out or what the header claims; never with a signal.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "datahandler_import/import_run.h"
#include "support/fixture_files.h"
#include "support/hostile_fragments.h"
#include "support/hostile_sound.h"
#include "support/movie_builder.h"

namespace {

using test_movie::bytes;
using test_movie::fourcc;
using test_movie::long_group;
using test_movie::movie_plan;

// A video track, and a sound track of the format (0: none) after it, or
// before it so that the first sample table of the file is the sound's.
test_movie::movie_plan video_and_sound(uint32_t format, bool sound_first = false) {
    test_movie::movie_plan plan;
    if (!sound_first) plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 400, 60);
    if (format == test_movie::kTwos)
        plan.add_sound(format, 2, 16, 8000).add_samples(8000, 4, 1).samples_per_chunk = 800;
    else if (format != 0)
        plan.add_sound(format, 2, 16, 8000).add_samples(20, 200, 400);
    if (sound_first) plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 400, 60);
    return plan;
}

// The movie with the 'dref' entries of its first track replaced.
bytes with_references(test_movie::movie_plan plan, const std::vector<bytes>& entries) {
    plan.tracks[0].data_ref_entries = entries;
    return test_movie::build_movie(plan).contiguous();
}

// The movie with the first entry of a table of its first track's sample
// table replaced: 'stsz' (a sample size) or 'stco' (a chunk offset).
bytes with_first_entry(const test_movie::movie_plan& plan, const std::string& table,
                       uint32_t value) {
    bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t at =
        test_movie::find_atom(file, test_movie::atom_path("moov trak mdia minf stbl " + table));
    if (at < 0) return {};
    test_movie::patch_u32(file, uint64_t(at) + (table == "stsz" ? 20 : 16), value);
    return file;
}

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

bytes edit_at_last_media_time() {
    movie_plan plan = long_group(4, 0);
    plan.version1_headers = true;
    plan.tracks[0].add_edit(2, 0).add_edit(2, INT64_MAX);
    return test_movie::build_movie(plan).contiguous();
}

struct hostile_case {
    std::string name;
    bytes file;
    std::string says = "";  // text standard error must hold: what was left out, or why it failed
    int status = -1;        // the status the import must end with; -1: 0 or 1
    std::string fails_with = "";  // the line of a status of 1
};

void add_fragment_cases(std::vector<hostile_case>& out) {
    const std::vector<hostile_case> cases = {
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
    out.insert(out.end(), cases.begin(), cases.end());
    // A video edit past its media is judged by ruv-import too: its video
    // stops short of the track's end, and one line says so.
    for (test_movie::named_movie& m : test_movie::hostile_fragment_movies()) {
        if (m.name == "VideoEditPastItsMedia")
            out.push_back({m.name, std::move(m.file), m.says, 1,
                           "the movie is cut short or damaged (video ends at 1.000 s"});
        else
            out.push_back({m.name, std::move(m.file), m.says, 0});
    }
}

std::vector<hostile_case> hostile_cases() {
    // A 'zvh ' data reference as the plug-in lays it out, with an address
    // that no data reference of this process has.
    const bytes unknown_address = test_movie::data_reference_entry(
        fourcc("zvh "), 0,
        {0, 0, 0, 0, 1, 'm', 0, 0, 0, 12, 'd', 'a', 't', 'a', 0x40, 0x41, 0x41, 0x41});
    // The media's own file, then 32766 further references: a count that a
    // 16-bit index cannot pass.
    std::vector<bytes> many(32767, test_movie::data_reference_entry(fourcc("url "), 0, {0}));
    many[0] = test_movie::data_reference_entry(fourcc("url "), 1, {});
    std::vector<hostile_case> cases = {
        {"VideoOnAnUnknownDataReferenceAddress",
         with_references(video_and_sound(0), {unknown_address})},
        {"VideoOnAnUnknownAddressBesideSound",
         with_references(video_and_sound(test_movie::kTwos), {unknown_address})},
        {"DataReferenceCountOf32767", with_references(video_and_sound(0), many)},
        {"SampleSizeOfOneGibibyte",
         with_first_entry(video_and_sound(test_movie::kTwos), "stsz", 0x40000000),
         "the video sample at 0.000 s"},
        {"SampleSizeOfThreeGibibytes",
         with_first_entry(video_and_sound(test_movie::kTwos), "stsz", 0xC0000000),
         "the video sample at 0.000 s"},
        {"SampleOffsetPastTheEnd",
         with_first_entry(video_and_sound(test_movie::kTwos), "stco", 0x7FFF0000)},
        {"SoundChunkPastTheEnd",
         with_first_entry(video_and_sound(test_movie::kTwos, true), "stco", 0x7FFF0000)},
        {"SoundPacketOfOneGibibyte",
         with_first_entry(video_and_sound(fourcc("mp4a"), true), "stsz", 0x40000000)},
    };
    for (test_movie::named_movie& m : test_movie::hostile_sound_movies(RUV_TEST_DATA_DIR))
        cases.push_back({"Sound" + m.name, std::move(m.file), m.says});
    const std::string folder = std::string(RUV_TEST_DATA_DIR) + "/fuzz_crashes/";
    for (const std::string& name : test_fixtures::movie_names(folder))
        cases.push_back({"FuzzCrash_" + name, test_movie::read_bytes(folder + name + ".mov")});
    add_fragment_cases(cases);
    return cases;
}

using mode_case = std::tuple<hostile_case, const char*>;

class HostileMovie : public ::testing::TestWithParam<mode_case> {};

TEST_P(HostileMovie, EndsWithStatusZeroOrOneClearLine) {
    const hostile_case& movie = std::get<0>(GetParam());
    ASSERT_FALSE(movie.file.empty()) << "the movie could not be built";
    const char* mode = std::get<1>(GetParam());
    const datahandler_import::import_run run =
        datahandler_import::import_bytes(movie.file, movie.name, mode);
    ASSERT_TRUE(run.result.status == 0 || run.result.status == 1)
        << "status " << run.result.status << "\n" << run.result.err;
    if (movie.status >= 0) {
        EXPECT_EQ(run.result.status, movie.status) << run.result.err;
    }
    EXPECT_NE(run.result.err.find(movie.says), std::string::npos) << run.result.err;
    EXPECT_NE(run.result.err.find(movie.fails_with), std::string::npos) << run.result.err;
    if (run.result.status == 1) {
        // Warnings about what was left out may come first; one line fails.
        std::vector<std::string> err;
        for (const std::string& line : ruv_import_test::lines_of(run.result.err))
            if (line.rfind("ruv-import: warning:", 0) != 0 && line.rfind("QuickTime.qts: warning:", 0) != 0)
                err.push_back(line);
        ASSERT_EQ(err.size(), 1u) << run.result.err;
        const std::string file = datahandler_import::mode_name(movie.name, mode) + ".mov";
        EXPECT_NE(err[0].find(file), std::string::npos) << err[0];
    } else if (movie.status == 0) {
        if (movie.says.empty()) {
            EXPECT_EQ(run.result.err.find("warning"), std::string::npos) << run.result.err;
        }
        EXPECT_FALSE(run.frame_lines.empty()) << run.result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, HostileMovie,
                         ::testing::Combine(::testing::ValuesIn(hostile_cases()),
                                            datahandler_import::kModes),
                         datahandler_import::case_and_mode_name());

}  // namespace

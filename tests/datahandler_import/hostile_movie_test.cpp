// Crafted movies, and every input a fuzzer once found a fault with, imported
// by path and through the data handler: each import ends with status 0, or 1
// with one line that names the movie; never with a signal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <dirent.h>

#include "datahandler_import/import_run.h"
#include "support/hostile_sound.h"
#include "support/movie_builder.h"

namespace {

using test_movie::bytes;
using test_movie::fourcc;

// A 'zvh ' data reference as the plug-in lays it out, with an address that no
// data reference of this process has.
bytes unknown_address_reference() {
    bytes data(4, 0);
    test_movie::put_u8(data, 1);
    test_movie::put_u8(data, 'm');
    test_movie::put_u32(data, 12);
    test_movie::put_u32(data, fourcc("data"));
    for (uint8_t b : {0x40, 0x41, 0x41, 0x41}) test_movie::put_u8(data, b);
    return test_movie::data_reference_entry(fourcc("zvh "), 0, data);
}

test_movie::movie_plan video_and_sound() {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 400, 60);
    plan.add_sound(test_movie::kTwos, 2, 16, 8000).add_samples(8000, 4, 1).samples_per_chunk = 800;
    return plan;
}

// Sound first, so that the first sample table of the file is the sound's.
test_movie::movie_plan sound_and_video(uint32_t format) {
    test_movie::movie_plan plan;
    test_movie::track_plan& sound = plan.add_sound(format, 2, 16, 8000);
    if (format == test_movie::kTwos)
        sound.add_samples(8000, 4, 1).samples_per_chunk = 800;
    else
        sound.add_samples(20, 200, 400);
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 400, 60);
    return plan;
}

bytes video_on_unknown_address(bool with_sound) {
    test_movie::movie_plan plan = with_sound ? video_and_sound() : test_movie::movie_plan();
    if (!with_sound) plan.add_video(test_movie::kAvc1, 64, 48).add_samples(10, 400, 60);
    plan.tracks[0].data_ref_entries = {unknown_address_reference()};
    return test_movie::build_movie(plan).contiguous();
}

// The media's own file, then 32766 further references: a count that a 16-bit
// index cannot pass.
bytes many_data_references() {
    test_movie::movie_plan plan;
    test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 64, 48);
    video.add_samples(4, 100, 150);
    video.data_ref_entries.assign(32767, test_movie::data_reference_entry(fourcc("url "), 0, {0}));
    video.data_ref_entries[0] = test_movie::data_reference_entry(fourcc("url "), 1, {});
    return test_movie::build_movie(plan).contiguous();
}

// The movie with the first entry of a table of its first track's sample
// table replaced: 'stsz' (a sample size) or 'stco' (a chunk offset).
bytes with_first_entry(const test_movie::movie_plan& plan, uint32_t table, uint32_t value) {
    bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t at = test_movie::find_atom(
        file, {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("minf"), fourcc("stbl"), table});
    if (at < 0) return {};
    test_movie::patch_u32(file, uint64_t(at) + (table == fourcc("stsz") ? 20 : 16), value);
    return file;
}

struct hostile_case {
    std::string name;
    std::string path;  // a file of tests/data, or empty: the bytes are written
    bytes file;
    std::string says = "";  // text standard error must hold: what was left out, or why it failed
};

std::vector<hostile_case> hostile_cases() {
    std::vector<hostile_case> cases = {
        {"VideoOnAnUnknownDataReferenceAddress", "", video_on_unknown_address(false)},
        {"VideoOnAnUnknownAddressBesideSound", "", video_on_unknown_address(true)},
        {"DataReferenceCountOf32767", "", many_data_references()},
        {"SampleSizeOfOneGibibyte", "", with_first_entry(video_and_sound(), fourcc("stsz"), 0x40000000),
         "the video sample at 0.000 s"},
        {"SampleSizeOfThreeGibibytes", "", with_first_entry(video_and_sound(), fourcc("stsz"), 0xC0000000),
         "the video sample at 0.000 s"},
        {"SampleOffsetPastTheEnd", "", with_first_entry(video_and_sound(), fourcc("stco"), 0x7FFF0000)},
        {"SoundChunkPastTheEnd", "",
         with_first_entry(sound_and_video(test_movie::kTwos), fourcc("stco"), 0x7FFF0000)},
        {"SoundPacketOfOneGibibyte", "",
         with_first_entry(sound_and_video(fourcc("mp4a")), fourcc("stsz"), 0x40000000)},
    };
    for (test_movie::named_movie& m : test_movie::hostile_sound_movies(RUV_TEST_DATA_DIR))
        cases.push_back({"Sound" + m.name, "", std::move(m.file), m.says});
    const std::string folder = std::string(RUV_TEST_DATA_DIR) + "/fuzz_crashes";
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mov") == 0)
                cases.push_back({"FuzzCrash_" + name.substr(0, name.size() - 4), folder + "/" + name, {}, ""});
        }
        closedir(dir);
    }
    return cases;
}

struct mode_case {
    hostile_case movie;
    const char* mode;
};

std::vector<mode_case> mode_cases() {
    std::vector<mode_case> out;
    for (const hostile_case& c : hostile_cases())
        for (const char* mode : {"force-disable", "force-enable"}) out.push_back({c, mode});
    return out;
}

class HostileMovie : public ::testing::TestWithParam<mode_case> {};

TEST_P(HostileMovie, EndsWithStatusZeroOrOneClearLine) {
    const mode_case& c = GetParam();
    std::string path = c.movie.path;
    if (path.empty()) {
        ASSERT_FALSE(c.movie.file.empty()) << "the movie could not be built";
        path = ruv_import_test::output_path(c.movie.name + ".mov");
        ASSERT_TRUE(test_movie::write_bytes(c.movie.file, path));
    }
    const auto started = std::chrono::steady_clock::now();
    const datahandler_import::import_run run =
        datahandler_import::run_import(path, {"--set", std::string("data-handler-mode=") + c.mode});
    // A lie in a small file costs seconds at most, not minutes.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 20.0);
    if (c.movie.path.empty()) std::remove(path.c_str());
    ASSERT_TRUE(run.result.status == 0 || run.result.status == 1)
        << "status " << run.result.status << "\n" << run.result.err;
    EXPECT_NE(run.result.err.find(c.movie.says), std::string::npos) << run.result.err;
    if (run.result.status == 1) {
        // Warnings about what was left out may come first; one line fails.
        std::vector<std::string> err;
        for (const std::string& line : ruv_import_test::lines_of(run.result.err))
            if (line.rfind("ruv-import: warning:", 0) != 0 && line.rfind("QuickTime.qts: warning:", 0) != 0)
                err.push_back(line);
        ASSERT_EQ(err.size(), 1u) << run.result.err;
        EXPECT_NE(err[0].find(path), std::string::npos) << err[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, HostileMovie, ::testing::ValuesIn(mode_cases()),
                         [](const ::testing::TestParamInfo<mode_case>& info) {
                             std::string mode = info.param.mode;
                             return info.param.movie.name + (mode == "force-enable" ? "_DataHandler" : "_Path");
                         });

}  // namespace

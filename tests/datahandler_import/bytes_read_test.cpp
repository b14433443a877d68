// The end event's "bytes_read": what the host stream delivered to the data
// handler. Every sample is read once, so the count lies between the stored
// sample bytes and the file size plus one more reading of the movie atom.
#include <gtest/gtest.h>

#include <cstdio>

#include "datahandler_import/import_run.h"
#include "support/movie_builder.h"

namespace {

struct built_movie {
    const char* name;
    bool movie_first;
    uint32_t samples_per_chunk;
};

class BytesRead : public ::testing::TestWithParam<built_movie> {
protected:
    void SetUp() override { datahandler_import::mount_folder(RUV_OUTPUT_DIR); }
};

TEST_P(BytesRead, CoversEverySampleOnceAndTheMovieAtomAtMostTwice) {
    const built_movie& m = GetParam();
    test_movie::movie_plan plan;
    plan.movie_first = m.movie_first;
    plan.add_video(test_movie::kAvc1, 320, 240).add_samples(48, 1000, 25);
    const double video_bytes = 48 * 1000;
    test_movie::track_plan& sound = plan.add_sound(test_movie::kTwos, 2, 16, 48000);
    sound.time_scale = 48000;
    sound.samples_per_chunk = m.samples_per_chunk;
    sound.add_samples(96000, 4, 1);
    const double stored = video_bytes + 96000.0 * 4;
    const test_movie::bytes file = test_movie::build_movie(plan).contiguous();
    const int64_t at = test_movie::find_atom(file, {test_movie::fourcc("moov")});
    ASSERT_GE(at, 0);
    const double movie_atom = test_movie::get_u32(file, uint64_t(at));

    const std::string path =
        ruv_import_test::output_path("bytes_read_" + std::string(m.name) + ".mov");
    ASSERT_TRUE(test_movie::write_bytes(file, path));
    const datahandler_import::import_run run = datahandler_import::run_import(
        datahandler_import::kKolmfsPrefix + path.substr(path.rfind('/')));
    std::remove(path.c_str());
    ASSERT_EQ(run.result.status, 0) << run.result.err;
    double video_read = 0;
    for (const nlohmann::ordered_json& e : run.result.events)
        if (e["event"] == "frame" && e.contains("type")) video_read += e["size"].get<double>();
    EXPECT_EQ(video_read, video_bytes);
    EXPECT_GE(run.bytes_read, stored);
    EXPECT_LE(run.bytes_read, double(file.size()) + movie_atom);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BytesRead,
                         ::testing::Values(built_movie{"MovieLast", false, 4800},
                                           built_movie{"MovieFirst", true, 4800},
                                           built_movie{"OneFramePerChunk", false, 1}),
                         [](const ::testing::TestParamInfo<built_movie>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

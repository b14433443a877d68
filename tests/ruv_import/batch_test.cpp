// ruv-import on several movies: each is imported by a worker of its own and
// gives what its own import gives; a worker that hangs or is killed fails
// its movie alone.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "platform/temp_folder.h"
#include "ruv_import/cut_movie.h"
#include "ruv_import/tool_run.h"
#include "support/movie_builder.h"

namespace {

namespace fs = std::filesystem;
using value = nlohmann::ordered_json;
using ruv_import_test::lines_of;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;
using test_support::temp_folder;

const std::string kData = RUV_TEST_DATA_DIR;

// Video in two edits, with a second of PCM sound.
test_movie::movie_plan edited_movie() {
    test_movie::movie_plan movie;
    movie.movie_first = true;
    movie.add_video(test_movie::kAvc1, 320, 240)
        .add_samples(30, 1000, 20)
        .add_edit(200, 0)
        .add_edit(200, 300);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(48000, 4, 1);
    return movie;
}

// The events of one movie in a form that two runs share: the batch's
// "movie" key taken out; frames kept in order within their queue and
// warnings among themselves (each queue is consumed on a thread of its own),
// after the other events.
std::vector<std::string> comparable(const std::vector<value>& events) {
    std::vector<std::string> others, warnings;
    std::map<double, std::vector<std::string>> frames;
    for (value e : events) {
        e.erase("movie");
        if (e["event"] == "frame") {
            frames[e["queue"].get<double>()].push_back(e.dump());
        } else if (e["event"] == "warning") {
            warnings.push_back(e.dump());
        } else {
            others.push_back(e.dump());
        }
    }
    others.insert(others.end(), warnings.begin(), warnings.end());
    for (const auto& queue : frames)
        others.insert(others.end(), queue.second.begin(), queue.second.end());
    return others;
}

std::vector<std::string> sorted_lines(const std::string& text) {
    std::vector<std::string> lines = lines_of(text);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Sets an environment variable for the test's runs of ruv-import.
class environment {
public:
    environment(const char* name, const std::string& value) : m_name(name) {
        setenv(name, value.c_str(), 1);
    }
    ~environment() { unsetenv(m_name); }

private:
    const char* m_name;
};

TEST(Batch, EachMovieGivesWhatItsOwnImportGives) {
    temp_folder movies, mounted, out, single;
    movies.copy_file(kData + "/dv_pal_sowt.mov", "pcm.mov");
    movies.copy_file(kData + "/compressed/aac_stereo_h264.mov", "aac.mov");
    movies.copy_file(kData + "/fragmented/aac_stereo_h264.mov", "fragments.mov");
    movies.copy_file(kData + "/h264_bframes_tc.mov", "timecode.mov");
    ASSERT_TRUE(test_movie::write_bytes(test_movie::build_movie(edited_movie()).contiguous(),
                                        movies / "edits.mov"));
    ASSERT_TRUE(
        test_movie::write_bytes(ruv_import_test::cut_inside_media(), movies / "damaged.mov"));
    // Read through the plug-in's data handler: a URL of a mounted share.
    mounted.copy_file(kData + "/audio_only_44k.mov", "mounted.mov");
    environment mounts("RUV_STREAM_MOUNTS", "kolmfs://batchstore=" + mounted.path());

    tool_result batch = run_tool({"--jobs", "3", "--json", "--quiet", "--audio-out",
                                  out / "{name}.wav", "--video-out", out / "{name}.video",
                                  movies.path(), "kolmfs://batchstore/mounted.mov"});
    EXPECT_EQ(batch.status, 1) << batch.err;
    ASSERT_TRUE(batch.events_parsed) << batch.out;

    std::map<std::string, std::vector<value>> by_movie;
    std::vector<std::string> order;
    for (const value& e : batch.events) {
        ASSERT_TRUE(e.contains("movie")) << e.dump();
        const std::string movie = e["movie"];
        if (e["event"] != "result") {
            by_movie[movie].push_back(e);
            continue;
        }
        order.push_back(movie);
        EXPECT_EQ(e["status"], movie == movies / "damaged.mov" ? "failed" : "imported") << e.dump();
    }
    ASSERT_EQ(order.size(), 7u) << batch.out;

    std::string single_err;
    for (const std::string& movie : order) {
        SCOPED_TRACE(movie);
        const std::string name = fs::path(movie).stem().string();
        tool_result own = run_tool({"--json", "--quiet", "--audio-out", single / (name + ".wav"),
                                    "--video-out", single / (name + ".video"), movie});
        ASSERT_TRUE(own.events_parsed);
        single_err += own.err;
        EXPECT_EQ(comparable(by_movie[movie]), comparable(own.events));
        for (const char* kind : {".wav", ".video"}) {
            EXPECT_EQ(fs::exists(out / (name + kind)), fs::exists(single / (name + kind))) << kind;
            EXPECT_EQ(test_movie::read_bytes(out / (name + kind)),
                      test_movie::read_bytes(single / (name + kind)))
                << kind;
        }
    }
    // Standard error: every line of the movies' own imports (their warnings
    // and errors), and the line that names the movie that failed.
    const std::string failures =
        "ruv-import: 1 of 7 movies cannot be imported: " + movies / "damaged.mov" + "\n";
    EXPECT_EQ(sorted_lines(batch.err), sorted_lines(single_err + failures));
}

// A worker that never ends: its movie is a file on a mounted share that
// never delivers a byte (a named pipe no one writes to).
struct stuck_case {
    const char* name;
    bool timeout;  // ended by --timeout; else killed from outside
    const char* status;
    const char* says;
};

class StuckWorker : public ::testing::TestWithParam<stuck_case> {};

// The process ID of the worker whose command line holds the text.
pid_t worker_with(const std::string& text) {
    for (;;) {
        DIR* proc = opendir("/proc");
        if (!proc) return -1;
        pid_t found = -1;
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = pid_t(std::atoi(entry->d_name));
            if (pid <= 0) continue;
            std::ifstream in("/proc/" + std::string(entry->d_name) + "/cmdline", std::ios::binary);
            const std::string line((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            if (line.find("--worker-result") != std::string::npos &&
                line.find(text) != std::string::npos)
                found = pid;
        }
        closedir(proc);
        if (found > 0) return found;
        std::this_thread::yield();
    }
}

TEST_P(StuckWorker, FailsItsMovieAloneAndTheOthersImport) {
    const stuck_case& c = GetParam();
    temp_folder mounted;
    ASSERT_EQ(mkfifo((mounted / "stuck.mov").c_str(), 0600), 0);
    // A share of this test process alone: other tests look for their own
    // workers by the movie's URL.
    const std::string share = "kolmfs://stuck" + std::to_string(getpid());
    environment mounts("RUV_STREAM_MOUNTS", share + "=" + mounted.path());
    const std::string stuck = share + "/stuck.mov";
    // Small movies, imported well within the time limit even by a
    // sanitized build under emulation.
    const std::string first = kData + "/compressed/aac_stereo_h264.mov";
    const std::string last = kData + "/raw_rgb24.mov";
    std::vector<std::string> arguments = {"--jobs", "2", "--json", "--quiet"};
    if (c.timeout) arguments.insert(arguments.end(), {"--timeout", "3"});
    arguments.insert(arguments.end(), {first, stuck, last});

    tool_result run = run_tool(arguments, [&] {
        if (!c.timeout) {
            EXPECT_EQ(kill(worker_with(stuck), SIGKILL), 0);
        }
    });
    EXPECT_EQ(run.status, 1);
    ASSERT_TRUE(run.events_parsed) << run.out;
    std::map<std::string, value> results;
    for (const value& e : run.events)
        if (e["event"] == "result") results[e["movie"]] = e;
    ASSERT_EQ(results.size(), 3u) << run.out;
    EXPECT_EQ(results[first]["status"], "imported");
    EXPECT_EQ(results[last]["status"], "imported");
    EXPECT_EQ(results[stuck]["status"], c.status);
    const std::string error = "ruv-import: cannot import '" + stuck + "': " + c.says;
    EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
    EXPECT_NE(results[stuck]["reason"].get<std::string>().find(c.says), std::string::npos);
    EXPECT_EQ(lines_of(run.err).back(), "ruv-import: 1 of 3 movies cannot be imported: " + stuck);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, StuckWorker,
    ::testing::Values(stuck_case{"timed_out", true, "timed out",
                                 "it took longer than --timeout 3 s"},
                      stuck_case{"killed", false, "crashed", "its worker was killed by signal 9"}),
    [](const ::testing::TestParamInfo<stuck_case>& info) { return std::string(info.param.name); });

const std::string kMovieA = kData + "/h264_bframes_tc.mov";

// A folder without a movie file fails as a movie would; the summary table
// names every movie with its status and why.
TEST(Batch, SummaryTableNamesEveryMovieAndWhyOneFailed) {
    temp_folder empty;
    tool_result run = run_tool({kMovieA, empty.path()});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_GE(lines.size(), 3u) << run.out;
    const std::string& header = lines[lines.size() - 3];
    EXPECT_EQ(header.rfind("movie", 0), 0u) << header;
    for (const char* column : {"status", "video frames", "sound s", "wall s", "why"})
        EXPECT_NE(header.find(column), std::string::npos) << column;
    EXPECT_EQ(lines[lines.size() - 2].rfind(kMovieA, 0), 0u);
    EXPECT_NE(lines[lines.size() - 2].find(" imported "), std::string::npos);
    EXPECT_NE(lines.back().find(" failed "), std::string::npos);
    EXPECT_NE(lines.back().find("the folder holds no movie file"), std::string::npos);
    EXPECT_EQ(lines_of(run.err).back(),
              "ruv-import: 1 of 2 movies cannot be imported: " + empty.path());
}

}  // namespace

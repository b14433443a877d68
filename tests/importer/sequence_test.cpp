// Importer after importer in one process, as a host that ingests many movies
// runs them: the settings object is one per process and keeps what the last
// import left in it, so a later import must give exactly what it gives in a
// fresh process; and the process must not grow with the imports it ran.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#if !defined(_WIN32)
#include <dirent.h>
#endif
#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header is not installed with every
// compiler): the bytes allocated and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

#include "importer/importer_harness.h"

namespace {

using importer_test::harness;

struct import_plan {
    test_movie::movie_plan (*movie)();
    harness::keys keys;
};

// Video (25 frames of 1/30 s) and two seconds of stereo PCM.
test_movie::movie_plan video_and_sound() {
    test_movie::movie_plan movie;
    movie.add_video(test_movie::kAvc1, 320, 240).add_samples(25, 1000, 20);
    movie.add_sound(test_movie::kTwos, 2, 16, 48000).add_samples(96000, 4, 1);
    return movie;
}

// Another movie: other size, frame rate and sound, edited.
test_movie::movie_plan other_video_and_sound() {
    test_movie::movie_plan movie;
    movie.movie_first = true;
    movie.add_video(test_movie::kAvc1, 640, 480).add_samples(40, 1500, 24).add_edit(480, 96);
    movie.add_sound(test_movie::kTwos, 1, 16, 44100).add_samples(44100, 2, 1);
    return movie;
}

// Small, so that hundreds of imports take little time.
test_movie::movie_plan short_video_and_sound() {
    test_movie::movie_plan movie;
    movie.add_video(test_movie::kAvc1, 160, 120).add_samples(6, 500, 20);
    movie.add_sound(test_movie::kTwos, 2, 16, 8000).add_samples(1600, 4, 1);
    return movie;
}

test_movie::movie_plan video_only() {
    test_movie::movie_plan movie;
    movie.add_video(test_movie::kAvc1, 176, 144).add_samples(30, 800, 30);
    return movie;
}

// 32-bit FNV-1a of the bytes.
uint32_t digest_of(const unsigned char* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// Everything an import delivered, one line per fact: the movie info, each
// queue's description and every frame with its data's digest.
std::string delivered(harness& h) {
    std::ostringstream out;
    out.precision(17);
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = h.importer().getMovieInfo();
    if (info) out << "movie " << info->getDuration() << " tracks " << info->getTrackCount() << "\n";
    for (unsigned q = 0; q < harness::queue_count; ++q) {
        Ruv::RPtr<const Ruv::CM::RDescription> d = h.description(q);
        if (!d) continue;
        out << "queue " << q << " kind " << d->getKind() << "\n";
        for (size_t i = 0; i < d->getParameterCount(); ++i) {
            const Ruv::RBuffer* p = d->getParameter(i);
            out << "  " << d->getParameterName(i) << " " << digest_of(p->getData(), p->getLength())
                << "\n";
        }
        for (const auto& f : h.take_frames(q)) {
            out << "  frame " << f->getSequenceNumber() << " "
                << f->getTimeStamp().getSecondsAsDouble() << " "
                << f->getDecodeTime().getSecondsAsDouble() << " "
                << f->getDuration().getSecondsAsDouble() << " " << f->getDataFormat() << " "
                << f->getDataLength() << " " << digest_of(f->getData(), f->getDataLength());
            if (f->getKind() == Ruv::CM::RFrame::kVideo) {
                const auto& v = static_cast<const Ruv::CM::RVideoFrame&>(*f);
                out << " type " << v.getFrameType() << " " << v.getTimeCode().to_string();
            } else {
                const auto& a = static_cast<const Ruv::CM::RAudioFrame&>(*f);
                out << " samples " << a.getSampleCount() << " layout " << a.getChannelLayout();
            }
            out << "\n";
        }
    }
    return out.str();
}

// One import from creation to destruction of its importer.
std::string import_once(const import_plan& plan, const std::string& name) {
    harness h(plan.movie(), name, plan.keys);
    if (!h.open() || h.runloop() != 0) {
        ADD_FAILURE() << "import of " << name << " failed";
        return "";
    }
    return delivered(h);
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The import in a process that has imported nothing: GoogleTest starts the
// test program again for this test alone (its "threadsafe" death-test
// style), where the import runs first; what it delivered comes back in a
// file named after the test case (one process runs a case at a time).
std::string in_fresh_process(const import_plan& plan, const std::string& name) {
    const std::string file = std::string(RUV_OUTPUT_DIR) + "/sequence_fresh_" + name + ".txt";
    std::remove(file.c_str());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string got = import_once(plan, name);
            std::ofstream(file, std::ios::binary) << got;
            std::fflush(stdout);
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "")
        << "the import failed in its own process";
    const std::string text = read_text(file);
    std::remove(file.c_str());
    return text;
}

struct sequence_case {
    const char* name;
    import_plan first;
    import_plan second;
};

class ImporterAfterImporter : public ::testing::TestWithParam<sequence_case> {};

TEST_P(ImporterAfterImporter, SecondImportGivesWhatAFreshProcessGives) {
    const sequence_case& c = GetParam();
    const std::string name = c.name;
    const std::string fresh = in_fresh_process(c.second, name + "_fresh");
    ASSERT_FALSE(fresh.empty());
    EXPECT_FALSE(import_once(c.first, name + "_first").empty());
    EXPECT_EQ(import_once(c.second, name + "_second"), fresh);
}

const harness::keys kDataHandler = {{"data-handler-mode", "force-enable"}};
const harness::keys kRange = {{"start-time", "0.2"}, {"end-time", "0.6"}};

INSTANTIATE_TEST_SUITE_P(
    Sequences, ImporterAfterImporter,
    ::testing::Values(
        sequence_case{"other_movie", {video_and_sound, {}}, {other_video_and_sound, {}}},
        sequence_case{"range_then_none", {video_and_sound, kRange}, {video_and_sound, {}}},
        sequence_case{
            "range_then_other_movie", {video_and_sound, kRange}, {other_video_and_sound, {}}},
        sequence_case{
            "data_handler_then_path", {video_and_sound, kDataHandler}, {other_video_and_sound, {}}},
        sequence_case{
            "path_then_data_handler", {video_and_sound, {}}, {other_video_and_sound, kDataHandler}},
        sequence_case{"sound_then_movie_without", {video_and_sound, {}}, {video_only, {}}},
        sequence_case{"sound_then_left_out",
                      {video_and_sound, {}},
                      {other_video_and_sound, {{"audio", "-1"}}}},
        sequence_case{"without_sound_then_sound", {video_only, {}}, {other_video_and_sound, {}}},
        sequence_case{"mixed_down_then_discrete",
                      {video_and_sound, {{"extract-audio-channels-discrete", "0"}}},
                      {other_video_and_sound, {}}}),
    [](const ::testing::TestParamInfo<sequence_case>& info) {
        return std::string(info.param.name);
    });

#if !defined(_WIN32)
// What the process holds: open descriptors, threads and memory (resident
// pages; under AddressSanitizer, whose quarantine keeps freed memory
// resident, the bytes its allocator has handed out and not got back).
struct footprint {
    long descriptors = 0;
    long threads = 0;
    long memory_kib = 0;
};

long entries_of(const char* folder) {
    long count = 0;
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        closedir(dir);
    }
    return count;
}

footprint measure() {
    footprint f;
    f.descriptors = entries_of("/proc/self/fd") - 1;  // less the one that reads the folder
    f.threads = entries_of("/proc/self/task");
#if defined(__SANITIZE_ADDRESS__)
    f.memory_kib = long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    f.memory_kib = resident * (sysconf(_SC_PAGESIZE) / 1024);
#endif
    return f;
}

// Each round imports one movie by path and another through the data handler.
TEST(ImporterAfterImporterFootprint, TwoHundredImportsHoldWhatTwoHold) {
    const std::string name = "footprint_" + std::to_string(getpid());
    const import_plan by_path{short_video_and_sound, {{"start-time", "0.05"}}};
    const import_plan by_data_handler{short_video_and_sound, kDataHandler};
    import_once(by_path, name);
    import_once(by_data_handler, name);
    const footprint after_two = measure();
    for (int round = 1; round < 100; ++round) {
        import_once(by_path, name);
        import_once(by_data_handler, name);
    }
    const footprint after_200 = measure();
    EXPECT_EQ(after_200.descriptors, after_two.descriptors);
    EXPECT_EQ(after_200.threads, after_two.threads);
    // One import of these movies allocates several hundred KiB; what stays
    // must not add up over the rounds.
    EXPECT_LE(after_200.memory_kib - after_two.memory_kib, 256)
        << "after 2 imports " << after_two.memory_kib << " KiB, after 200 " << after_200.memory_kib
        << " KiB";
}
#endif

}  // namespace

// A movie file cut short while ruv-import reads it, by path and through the
// data handler: the reads past the cut are reported on standard error, and
// no video frame delivered is zeros in place of bytes the file no longer
// holds. The test takes the video output through a pipe: it reads part of
// it, cuts the file, then reads the rest, so the cut falls between reads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "datahandler_import/import_run.h"

namespace {

constexpr uint32_t kFrames = 1500, kFrameBytes = 20000;
constexpr size_t kReadBeforeCut = 500 * size_t(kFrameBytes);
constexpr uintmax_t kCutAt = 20000000;

// Reads the pipe: kReadBeforeCut bytes, then cuts the movie, then the rest.
// Counts the delivered frames that are all zeros.
void read_cut_read(const std::string& pipe, const std::string& movie, size_t& delivered,
                   size_t& zero_frames) {
    const int fd = ::open(pipe.c_str(), O_RDONLY);
    if (fd < 0) return;
    std::vector<uint8_t> frame(kFrameBytes);
    size_t filled = 0;
    bool cut = false;
    for (;;) {
        const ssize_t n = ::read(fd, frame.data() + filled, frame.size() - filled);
        if (n <= 0) break;
        filled += size_t(n);
        if (filled < frame.size()) continue;
        filled = 0;
        delivered += frame.size();
        if (std::all_of(frame.begin(), frame.end(), [](uint8_t b) { return b == 0; }))
            ++zero_frames;
        if (!cut && delivered >= kReadBeforeCut) {
            std::error_code error;
            std::filesystem::resize_file(movie, kCutAt, error);
            cut = true;
        }
    }
    ::close(fd);
}

class ShrinkingMovie : public ::testing::TestWithParam<const char*> {};

TEST_P(ShrinkingMovie, ReadsPastTheCutAreReportedNotZeroed) {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(kFrames, kFrameBytes, 24);
    const std::string name = std::string("shrinking_") + GetParam();
    const std::string movie = ruv_import_test::output_path(name + ".mov");
    const std::string pipe = ruv_import_test::output_path(name + ".pipe");
    ASSERT_TRUE(test_movie::write_movie(plan, movie));
    std::remove(pipe.c_str());
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    size_t delivered = 0, zero_frames = 0;
    std::thread reader(read_cut_read, pipe, movie, std::ref(delivered), std::ref(zero_frames));
    const ruv_import_test::tool_result run = ruv_import_test::run_tool(
        {"--quiet", "--set", std::string("data-handler-mode=") + GetParam(), "--video-out", pipe,
         movie});
    // A run that never opened the pipe leaves the reader waiting: a writer
    // that comes and goes ends its wait.
    const int unblock = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (unblock >= 0) ::close(unblock);
    reader.join();
    std::remove(pipe.c_str());
    std::remove(movie.c_str());
    ASSERT_GE(delivered, kReadBeforeCut) << run.err;
    EXPECT_LT(delivered, size_t(kFrames) * kFrameBytes);
    EXPECT_EQ(zero_frames, 0u);
    EXPECT_NE(
        run.err.find("cannot be read: media data lies past the end of the file (20000000 bytes)"),
        std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("eofErr"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Modes, ShrinkingMovie, datahandler_import::kModes);

}  // namespace

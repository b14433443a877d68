// Movies whose movie atom is compressed ('cmov'), imported by path and
// through the data handler: the same import as the movie uncompressed, and a
// compressed atom that cannot be read fails with its reason.
#include "support/compressed_movie.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "datahandler_import/import_run.h"

namespace {

using test_movie::bytes;
using test_movie::compressed_movie_atom;
using test_movie::fourcc;

// Video with sound, the movie atom after the media data.
bytes plain_movie() {
    test_movie::movie_plan plan;
    plan.add_video(test_movie::kAvc1, 64, 48).add_samples(12, 300, 50);
    plan.add_sound(test_movie::kTwos, 2, 16, 8000).add_samples(8000, 4, 1).samples_per_chunk = 1000;
    plan.tracks[0].add_edit(300, 100);  // an edit, so the atom holds more than tables
    return test_movie::build_movie(plan).contiguous();
}

using datahandler_import::import_bytes;
using datahandler_import::kModes;

class CompressedMovieAtom : public ::testing::TestWithParam<const char*> {};

TEST_P(CompressedMovieAtom, ImportsAsTheMovieUncompressed) {
    const bytes plain = plain_movie();
    const bytes compressed = test_movie::with_movie_atom(
        plain, test_movie::movie_atom_of(test_movie::compress_movie_atom(plain)));
    ASSERT_FALSE(compressed.empty());
    ASSERT_LT(compressed.size(), plain.size());
    const datahandler_import::import_run want = import_bytes(plain, "plain", GetParam());
    ASSERT_EQ(want.result.status, 0) << want.result.err;
    const datahandler_import::import_run got = import_bytes(compressed, "cmov", GetParam());
#ifdef RUV_RUNTIME_INFLATES
    ASSERT_EQ(got.result.status, 0) << got.result.err;
    EXPECT_EQ(got.stream_lines, want.stream_lines);
    ASSERT_EQ(got.frame_lines.size(), want.frame_lines.size());
    for (const auto& queue : want.frame_lines)
        EXPECT_EQ(got.frame_lines.at(queue.first), queue.second);
    EXPECT_TRUE(got.wav == want.wav) << "the audio differs";
    EXPECT_TRUE(got.video == want.video) << "the video samples differ";
#else
    // A runtime without zlib (the Windows one) refuses it and says why.
    EXPECT_EQ(got.result.status, 1);
    EXPECT_NE(got.result.err.find("built without zlib"), std::string::npos) << got.result.err;
#endif
}

INSTANTIATE_TEST_SUITE_P(Modes, CompressedMovieAtom, kModes);

struct broken_case {
    std::string name;
    bytes file;
    std::string says;
};

std::vector<broken_case> broken_cases() {
    const bytes plain = plain_movie();
    const compressed_movie_atom good = test_movie::compress_movie_atom(plain);
    auto with = [&](const compressed_movie_atom& parts) {
        return test_movie::with_movie_atom(plain, test_movie::movie_atom_of(parts));
    };
    compressed_movie_atom larger = good, smaller = good, huge = good, beyond = good, lzss = good,
                          cut = good, garbage = good, not_movie = good, nested = good;
    larger.stated_size += 1;
    smaller.stated_size -= 1;
    huge.stated_size = 0xFFFFFFF0u;
    beyond.stated_size = 1u << 29;  // under the bound, beyond what the stream can give
    lzss.algorithm = fourcc("lzss");
    cut.stream.resize(cut.stream.size() / 2);
    for (size_t i = 2; i < garbage.stream.size(); ++i) garbage.stream[i] ^= 0x5A;
    const bytes free_atom = test_movie::atom(fourcc("free"), bytes(100, 0));
    not_movie.stream = test_movie::deflated(free_atom);
    not_movie.stated_size = uint32_t(free_atom.size());
    // A movie atom that holds a compressed movie atom again.
    const bytes inner = test_movie::movie_atom_of(good);
    nested.stream = test_movie::deflated(inner);
    nested.stated_size = uint32_t(inner.size());
    return {
        {"StatedSizeTooLarge", with(larger), "bytes, not the"},
        {"StatedSizeTooSmall", with(smaller), "inflates to more than the"},
        {"StatedSizeOverOneGibibyte", with(huge), "which zlib cannot give"},
        {"StatedSizeBeyondDeflate", with(beyond), "which zlib cannot give"},
        {"AlgorithmNotZlib", with(lzss), "compressed with 'lzss'"},
        {"StreamCutShort", with(cut), "ends before its stream does"},
        {"StreamThatDoesNotInflate", with(garbage), "does not inflate"},
        {"InflatesToAnotherAtom", with(not_movie), "does not inflate to a movie atom"},
        {"NestedCompressedMovieAtom", with(nested), "holds another compressed movie atom"},
    };
}

using broken_mode = std::tuple<broken_case, const char*>;
class BrokenCompressedMovieAtom : public ::testing::TestWithParam<broken_mode> {};

// Status 1, the reason on one warning line, one error line naming the movie.
TEST_P(BrokenCompressedMovieAtom, FailsWithItsReason) {
    const broken_case& c = std::get<0>(GetParam());
    ASSERT_FALSE(c.file.empty());
    const datahandler_import::import_run run =
        import_bytes(c.file, c.name, std::get<1>(GetParam()));
    EXPECT_EQ(run.result.status, 1) << run.result.err;
#ifdef RUV_RUNTIME_INFLATES
    EXPECT_NE(run.result.err.find(c.says), std::string::npos) << run.result.err;
#endif
    EXPECT_NE(run.result.err.find("compressed movie atom ('cmov')"), std::string::npos)
        << run.result.err;
    int errors = 0, reasons = 0;
    for (const std::string& line : ruv_import_test::lines_of(run.result.err)) {
        if (line.find("warning:") == std::string::npos)
            ++errors;
        else if (line.find("compressed movie atom ('cmov')") != std::string::npos)
            ++reasons;
    }
    EXPECT_EQ(errors, 1) << run.result.err;
    EXPECT_EQ(reasons, 1) << run.result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Movies, BrokenCompressedMovieAtom,
    ::testing::Combine(::testing::ValuesIn(broken_cases()), kModes),
    datahandler_import::case_and_mode_name());

}  // namespace

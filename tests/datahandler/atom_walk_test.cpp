// Finding the movie atom among the top-level atoms, over bytes in memory.
#include <gtest/gtest.h>

#include <cstring>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/movie_atom_walk.h"
#include "support/movie_builder.h"

using dh_test::printed_lines;
using test_movie::atom;
using test_movie::bytes;
using test_movie::fourcc;

namespace {

struct walk_result {
    ComponentResult status;
    uint64_t offset;
    std::vector<std::string> lines;
};

walk_result walk(const bytes& file, uint64_t file_size) {
    printed_lines printed;
    walk_result result{0, 0, {}};
    result.status = datahandler::find_movie_atom(
        file_size,
        [&](uint64_t offset, void* destination, long count) -> ComponentResult {
            if (offset + uint64_t(count) > file.size()) return -39;  // eofErr
            std::memcpy(destination, file.data() + offset, size_t(count));
            return 0;
        },
        result.offset);
    result.lines = printed.lines();
    return result;
}

walk_result walk(const bytes& file) { return walk(file, file.size()); }

bytes join(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(MovieAtomWalk, FileTypeThenMovieFindsTheMovieAfterIt) {
    const bytes file = join({atom(fourcc("ftyp"), bytes(12, 'q')), atom(fourcc("moov"), bytes(8))});
    const walk_result r = walk(file);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(20u, r.offset);
    EXPECT_EQ((std::vector<std::string>{"<datah> Size: 20, Type: 'ftyp'\n",
                                        "<datah> Size: 16, Type: 'moov'\n"}),
              r.lines);
}

TEST(MovieAtomWalk, SixtyFourBitSizeIsReadAfterTheHeader) {
    bytes file = atom(fourcc("free"), {});
    test_movie::put_u32(file, 1);
    test_movie::put_u32(file, fourcc("moov"));
    test_movie::put_u64(file, 0x100000010ULL);
    const walk_result r = walk(file);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(8u, r.offset);
    EXPECT_EQ("<datah> Size: 4294967312, Type: 'moov'\n", r.lines.back());
}

TEST(MovieAtomWalk, ExtendedSizeSkipsLargeMediaData) {
    bytes file;
    test_movie::put_u32(file, 1);
    test_movie::put_u32(file, fourcc("mdat"));
    test_movie::put_u64(file, 24);
    test_movie::put_u64(file, 0);
    const bytes movie = atom(fourcc("moov"), {});
    file.insert(file.end(), movie.begin(), movie.end());
    const walk_result r = walk(file);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(24u, r.offset);
}

struct missing_case {
    const char* name;
    bytes file;
    size_t lines;
};

class MovieAtomMissing : public ::testing::TestWithParam<missing_case> {};

TEST_P(MovieAtomMissing, EndsWithNoMovieFoundAndNoFailureLine) {
    const walk_result r = walk(GetParam().file);
    EXPECT_EQ(noMovieFound, r.status);
    EXPECT_EQ(GetParam().lines, r.lines.size());
}

INSTANTIATE_TEST_SUITE_P(
    Files, MovieAtomMissing,
    ::testing::Values(
        missing_case{"OnlyMediaData", join({atom(fourcc("mdat"), bytes(10)),
                                            atom(fourcc("mdat"), bytes(3))}),
                     2},
        missing_case{"ZeroSizeAtom", join({atom(fourcc("free"), {}),
                                           bytes{0, 0, 0, 0, 'm', 'd', 'a', 't'},
                                           atom(fourcc("moov"), {})}),
                     2},
        missing_case{"SizeBelowTheHeader", join({bytes{0, 0, 0, 7, 'w', 'i', 'd', 'e'},
                                                 atom(fourcc("moov"), {})}),
                     1},
        missing_case{"SizePastTheEnd", join({bytes{0, 0, 1, 0, 'm', 'd', 'a', 't'},
                                             atom(fourcc("moov"), {})}),
                     1},
        missing_case{"Empty", bytes{}, 0}),
    [](const ::testing::TestParamInfo<missing_case>& info) { return info.param.name; });

TEST(MovieAtomWalk, FailedReadEndsTheWalkWithItsResult) {
    const bytes file = atom(fourcc("ftyp"), bytes(4));
    // The file claims more bytes than there are: the second header read fails.
    const walk_result r = walk(file, 64);
    EXPECT_EQ(-39, r.status);
}

}  // namespace

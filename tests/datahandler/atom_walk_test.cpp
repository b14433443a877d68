// Finding the movie atom among the top-level atoms, over bytes in memory.
#include <gtest/gtest.h>

#include <cstring>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/movie_atom_walk.h"
#include "support/movie_builder.h"

using test_movie::atom;
using test_movie::bytes;
using test_movie::fourcc;

namespace {

bytes join(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& part : parts) test_movie::put_bytes(out, part);
    return out;
}

// An atom header with a 64-bit size.
bytes extended_header(uint32_t type, uint64_t size) { return test_movie::be({1, type, {size, 8}}); }

struct walk_case {
    const char* name;
    bytes file;
    uint64_t claimed_size;  // 0: the file's size
    ComponentResult status;
    uint64_t offset;
    size_t lines;      // one per atom header read
    std::string last;  // the last line, when checked
};

class MovieAtomWalk : public ::testing::TestWithParam<walk_case> {};

TEST_P(MovieAtomWalk, FindsTheMovieAtomOrEndsWithoutIt) {
    const walk_case& c = GetParam();
    dh_test::printed_lines printed;
    uint64_t offset = 0;
    const ComponentResult status = datahandler::find_movie_atom(
        c.claimed_size != 0 ? c.claimed_size : c.file.size(),
        [&](uint64_t at, void* destination, long count) -> ComponentResult {
            if (at + uint64_t(count) > c.file.size()) return -39;  // eofErr
            std::memcpy(destination, c.file.data() + at, size_t(count));
            return 0;
        },
        offset);
    EXPECT_EQ(c.status, status);
    EXPECT_EQ(c.offset, offset);
    EXPECT_EQ(c.lines, printed.lines().size());
    if (!c.last.empty()) {
        EXPECT_EQ(c.last, printed.lines().back());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, MovieAtomWalk,
    ::testing::Values(
        walk_case{"FileTypeThenMovie",
                  join({atom(fourcc("ftyp"), bytes(12, 'q')), atom(fourcc("moov"), bytes(8))}), 0,
                  noErr, 20, 2, "<datah> Size: 16, Type: 'moov'\n"},
        walk_case{"SixtyFourBitSizeIsReadAfterTheHeader",
                  join({atom(fourcc("free"), {}), extended_header(fourcc("moov"), 0x100000010ULL)}),
                  0, noErr, 8, 2, "<datah> Size: 4294967312, Type: 'moov'\n"},
        walk_case{"ExtendedSizeSkipsLargeMediaData",
                  join({extended_header(fourcc("mdat"), 24), bytes(8), atom(fourcc("moov"), {})}),
                  0, noErr, 24, 2, ""},
        walk_case{"OnlyMediaData",
                  join({atom(fourcc("mdat"), bytes(10)), atom(fourcc("mdat"), bytes(3))}), 0,
                  noMovieFound, 0, 2, ""},
        walk_case{"ZeroSizeAtom",
                  join({atom(fourcc("free"), {}), bytes{0, 0, 0, 0, 'm', 'd', 'a', 't'},
                        atom(fourcc("moov"), {})}),
                  0, noMovieFound, 0, 2, ""},
        walk_case{"SizeBelowTheHeader",
                  join({bytes{0, 0, 0, 7, 'w', 'i', 'd', 'e'}, atom(fourcc("moov"), {})}), 0,
                  noMovieFound, 0, 1, ""},
        walk_case{"SizePastTheEnd",
                  join({bytes{0, 0, 1, 0, 'm', 'd', 'a', 't'}, atom(fourcc("moov"), {})}), 0,
                  noMovieFound, 0, 1, ""},
        walk_case{"Empty", bytes{}, 0, noMovieFound, 0, 0, ""},
        // The file claims more bytes than there are: the second header read
        // fails, and its result ends the walk.
        walk_case{"FailedRead", atom(fourcc("ftyp"), bytes(4)), 64, -39, 0, 1, ""}),
    [](const ::testing::TestParamInfo<walk_case>& info) { return info.param.name; });

}  // namespace

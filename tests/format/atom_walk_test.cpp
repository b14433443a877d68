// The walk over a container's children: where and why it stops, through a
// source and over bytes in memory.
#include <vector>

#include <gtest/gtest.h>

#include "format/atom_walk.h"
#include "support/movie_builder.h"

namespace {

using qt_format::atom_status;
using test_movie::atom;
using test_movie::be;
using test_movie::bytes;
using test_movie::fourcc;

constexpr uint32_t kMoov = fourcc("moov");
constexpr uint32_t kTrak = fourcc("trak");
constexpr uint32_t kTkhd = fourcc("tkhd");
constexpr uint32_t kEdts = fourcc("edts");
constexpr uint32_t kMdia = fourcc("mdia");

bytes join(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(ChildAtoms, ABrokenChildIsToldByItsOffsetPathAndReason) {
    // Inside a track at offset 100: a header, then an 'mdia' that claims
    // more than the track holds.
    const bytes track = join({atom(kTkhd, bytes(12)), be({64, kMdia}), bytes(8)});
    bytes data(100);
    data.insert(data.end(), track.begin(), track.end());
    qt_format::memory_source source(data.data(), data.size());
    qt_format::child_atoms children(source, 100, data.size(), {kMoov, kTrak});
    qt_format::atom_header h;
    ASSERT_TRUE(children.next(h));
    EXPECT_EQ(h.type, kTkhd);
    EXPECT_EQ(h.offset, 100u);
    EXPECT_FALSE(children.next(h));
    EXPECT_TRUE(children.failed());
    const qt_format::atom_error e = children.error();
    EXPECT_EQ(e.why, atom_status::past_parent);
    EXPECT_EQ(e.offset, 120u);
    EXPECT_EQ(e.path, (std::vector<uint32_t>{kMoov, kTrak, kMdia}));
}

TEST(ChildAtoms, AnUnreadableHeaderIsToldWithoutAType) {
    const bytes data = atom(kTkhd, bytes(4));
    qt_format::memory_source source(data.data(), data.size());
    // The parent claims 20 bytes more than the source holds.
    qt_format::child_atoms children(source, 0, data.size() + 20, {kTrak});
    qt_format::atom_header h;
    ASSERT_TRUE(children.next(h));
    EXPECT_FALSE(children.next(h));
    EXPECT_EQ(children.error().why, atom_status::unreadable);
    EXPECT_EQ(children.error().offset, 12u);
    EXPECT_EQ(children.error().path, std::vector<uint32_t>{kTrak});
}

TEST(ChildAtoms, FewerThanEightBytesAtTheEndEndTheWalkCleanly) {
    const bytes data = join({atom(kTkhd, {}), bytes(4)});
    qt_format::memory_source source(data.data(), data.size());
    qt_format::child_atoms children(source, 0, data.size());
    qt_format::atom_header h;
    EXPECT_TRUE(children.next(h));
    EXPECT_FALSE(children.next(h));
    EXPECT_FALSE(children.failed());
    EXPECT_EQ(children.status(), atom_status::end_of_parent);
}

struct memory_walk_case {
    const char* name;
    bytes data;
    std::vector<uint32_t> types;  // the atoms the walk gives
    bool malformed;
};

std::vector<memory_walk_case> memory_walk_cases() {
    return {
        {"SizeZeroTakesTheRest", join({atom(kTkhd, {}), be({0, kEdts}), bytes(5)}), {kTkhd, kEdts},
         false},
        {"LargeSize", join({be({1, kEdts, 0, 16}), atom(kMdia, {})}), {kEdts, kMdia}, false},
        {"TerminatorAtTheEnd", join({atom(kTkhd, {}), bytes(4)}), {kTkhd}, false},
        {"PastTheRange", join({atom(kTkhd, {}), be({9, kEdts})}), {kTkhd}, true},
        {"BelowTheHeader", join({be({4, kEdts}), atom(kMdia, {})}), {}, true},
        {"LargeSizeCutShort", join({atom(kTkhd, {}), be({1, kEdts, 0})}), {kTkhd}, true},
    };
}

class NextAtom : public ::testing::TestWithParam<memory_walk_case> {};

TEST_P(NextAtom, GivesTheAtomsBeforeABrokenOne) {
    const memory_walk_case& c = GetParam();
    qt_format::atom_reader range(c.data.data(), c.data.size());
    qt_format::atom a;
    bool malformed = false;
    std::vector<uint32_t> types;
    while (qt_format::next_atom(range, a, malformed)) types.push_back(a.type);
    EXPECT_EQ(types, c.types);
    EXPECT_EQ(malformed, c.malformed);
}

INSTANTIATE_TEST_SUITE_P(Rules, NextAtom, ::testing::ValuesIn(memory_walk_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Time fields of full atoms: 32 bits in version 0, 64 in version 1; an
// edit's media time of -1 stays -1 in both; all ones is an unknown duration
// in the field's own width only.
TEST(TimeFields, ReadByVersion) {
    const std::vector<uint8_t> narrow = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 7};
    qt_format::atom_reader r(narrow.data(), narrow.size());
    uint64_t duration = 0;
    int64_t media_time = 0;
    ASSERT_TRUE(qt_format::read_time_field(r, 0, duration));
    EXPECT_EQ(duration, 0xFFFFFFFFu);
    EXPECT_TRUE(qt_format::time_unknown(0, duration));
    EXPECT_FALSE(qt_format::time_unknown(1, duration));
    qt_format::atom_reader again(narrow.data(), narrow.size());
    ASSERT_TRUE(qt_format::read_time_field(again, 0, media_time));
    EXPECT_EQ(media_time, -1);

    qt_format::atom_reader wide(narrow.data(), narrow.size());
    ASSERT_TRUE(qt_format::read_time_field(wide, 1, duration));
    EXPECT_EQ(duration, 0xFFFFFFFF00000007u);
    EXPECT_FALSE(qt_format::time_unknown(1, duration));
    EXPECT_TRUE(qt_format::time_unknown(1, ~uint64_t(0)));
    EXPECT_FALSE(qt_format::read_time_field(wide, 0, duration));  // nothing left
}

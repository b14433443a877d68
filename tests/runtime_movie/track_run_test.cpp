// The track fragment atoms parsed as stored: what each field holds, and how
// a 'trun' cut short is told apart from one whose entries are missing.
#include <gtest/gtest.h>

#include <string>

#include "movie/track_fragment_atoms.h"
#include "support/movie_builder.h"

namespace {

using qtrt::track_run;
using qtrt::trun_parse;
using test_movie::be;
using test_movie::bytes;

constexpr uint32_t kAllEntryFields = track_run::kSampleDuration | track_run::kSampleSize |
                                     track_run::kSampleFlags | track_run::kSampleDisplayOffset;

struct trun_case {
    std::string name;
    bytes body;  // after the atom header
    trun_parse parsed;
    size_t entry_size;
    bool has_data_offset;
};

class TrackRunParse : public ::testing::TestWithParam<trun_case> {};

TEST_P(TrackRunParse, ReadsOnlyWhatItsBytesHold) {
    track_run run;
    const trun_case& c = GetParam();
    EXPECT_EQ(qtrt::parse_trun(qt_format::atom_reader(c.body.data(), c.body.size()), run), c.parsed);
    EXPECT_EQ(run.entry_size, c.entry_size);
    EXPECT_EQ(run.has_data_offset, c.has_data_offset);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TrackRunParse,
    ::testing::Values(
        trun_case{"NoCount", be({0}), trun_parse::cut_short, 0, false},
        trun_case{"DataOffsetMissing", be({track_run::kDataOffset | track_run::kSampleSize, 1}),
                  trun_parse::entries_short, 4, false},
        trun_case{"FirstFlagsMissing",
                  be({track_run::kDataOffset | track_run::kFirstSampleFlags, 0, 8}),
                  trun_parse::entries_short, 0, true},
        trun_case{"FewerEntriesThanCounted", be({kAllEntryFields, 2, 1, 2, 3, 4}),
                  trun_parse::entries_short, 16, false},
        // Without entries the count is bounded later, by the file's bytes.
        trun_case{"CountWithoutEntries", be({0, 0xFFFFFFFFu}), trun_parse::ok, 0, false},
        trun_case{"EntriesAsCounted", be({track_run::kSampleDuration, 2, 10, 20}), trun_parse::ok,
                  4, false}),
    [](const ::testing::TestParamInfo<trun_case>& info) { return info.param.name; });

TEST(TrackRun, EntriesKeepTheirFieldsInOrder) {
    const bytes body =
        be({track_run::kDataOffset | track_run::kFirstSampleFlags | kAllEntryFields, 2,
            uint32_t(-8), 0x2000000, 10, 100, 0x10000, uint32_t(-20), 11, 101, 0, 40});
    track_run run;
    ASSERT_EQ(qtrt::parse_trun(qt_format::atom_reader(body.data(), body.size()), run), trun_parse::ok);
    EXPECT_EQ(run.sample_count, 2u);
    EXPECT_EQ(run.data_offset, -8);
    EXPECT_TRUE(run.has_first_sample_flags());
    EXPECT_EQ(run.first_sample_flags, 0x2000000u);
    qtrt::track_run_entry e;
    ASSERT_TRUE(run.read_entry(e));
    EXPECT_EQ(e.duration, 10u);
    EXPECT_EQ(e.size, 100u);
    EXPECT_EQ(e.flags, 0x10000u);
    EXPECT_EQ(e.display_offset, -20);  // signed in version 0 too
    ASSERT_TRUE(run.read_entry(e));
    EXPECT_EQ(e.display_offset, 40);
    EXPECT_FALSE(run.read_entry(e));
}

TEST(TrackFragmentHeader, ReadsTheFieldsItsFlagsName) {
    using h = qtrt::track_fragment_header;
    const bytes body = be({h::kBaseDataOffset | h::kDefaultSize | h::kDefaultFlags,
                           7,
                           {uint64_t(1) << 33, 8},
                           512,
                           0x10000});
    h header;
    ASSERT_TRUE(qtrt::parse_tfhd(qt_format::atom_reader(body.data(), body.size()), header));
    EXPECT_EQ(header.track_id, 7u);
    EXPECT_EQ(header.base_data_offset, uint64_t(1) << 33);
    EXPECT_EQ(header.default_size, 512u);
    EXPECT_EQ(header.default_flags, 0x10000u);
    EXPECT_EQ(header.default_duration, 0u);
    // A default the flags name but the atom does not hold.
    const bytes cut = be({h::kDefaultDuration, 7});
    EXPECT_FALSE(qtrt::parse_tfhd(qt_format::atom_reader(cut.data(), cut.size()), header));
}

TEST(TrackFragmentDecodeTime, ReadsBothVersions) {
    uint64_t t = 0;
    const bytes v0 = be({0, 0x80000000u});
    ASSERT_TRUE(qtrt::parse_tfdt(qt_format::atom_reader(v0.data(), v0.size()), t));
    EXPECT_EQ(t, 0x80000000u);
    const bytes v1 = be({0x01000000u, {uint64_t(1) << 40, 8}});
    ASSERT_TRUE(qtrt::parse_tfdt(qt_format::atom_reader(v1.data(), v1.size()), t));
    EXPECT_EQ(t, uint64_t(1) << 40);
    const bytes cut = be({0x01000000u, 1});
    EXPECT_FALSE(qtrt::parse_tfdt(qt_format::atom_reader(cut.data(), cut.size()), t));
}

}  // namespace

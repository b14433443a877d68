// Reading the 'avcC' record out of an image description as the video reader
// holds it: the fixed record in the machine's order, extensions big-endian.
#include <gtest/gtest.h>

#include <cstring>

#include "importer/avc_config.h"
#include "importer/importer_harness.h"

namespace {

using test_movie::bytes;
using test_movie::fourcc;

// The builder's description with its fixed fields turned to the machine's
// order (only the size matters here) and the extensions as stored.
bytes held_description(const std::vector<test_movie::extension>& extensions) {
    bytes d = test_movie::image_description(fourcc("avc1"), 320, 240, 24, extensions);
    uint32_t size = uint32_t(d.size());
    std::memcpy(d.data(), &size, 4);
    return d;
}

TEST(AvcConfig, AtomOfSizeZeroBeforeTheRecordEndsTheSearch) {
    bytes avcc = importer_test::avc_config_payload(100, 30, {{0x67}}, {{0x68}});
    bytes d = held_description({{fourcc("pasp"), test_movie::pasp(1, 1)}, {fourcc("avcC"), avcc}});
    ns_movie_apple_qt::avc_config config;
    ASSERT_TRUE(ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config));
    EXPECT_EQ(config.profile, 100);

    std::memset(d.data() + 86, 0, 4);  // the 'pasp' atom now claims size 0
    EXPECT_FALSE(ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config));
}

TEST(AvcConfig, AtomLargerThanTheDescriptionEndsTheSearch) {
    bytes avcc = importer_test::avc_config_payload(100, 30, {{0x67}}, {{0x68}});
    bytes d = held_description({{fourcc("avcC"), avcc}});
    d[86] = 0x7F;  // size far beyond the description
    ns_movie_apple_qt::avc_config config;
    EXPECT_FALSE(ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config));
}

TEST(AvcConfig, PictureSetCutShortKeepsTheSequenceSets) {
    bytes avcc = importer_test::avc_config_payload(66, 21, {{0x67, 1}}, {{0x68, 1, 2, 3}});
    avcc.resize(avcc.size() - 2);
    bytes d = held_description({{fourcc("avcC"), avcc}});
    ns_movie_apple_qt::avc_config config;
    ASSERT_TRUE(ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config));
    EXPECT_TRUE(config.sps_complete);
    EXPECT_FALSE(config.pps_complete);
    ASSERT_EQ(config.sequence_parameter_sets.size(), 1u);
    EXPECT_EQ(config.nal_length_size, 4);
}

TEST(AvcConfig, DescriptionShorterThan94BytesIsNotSearched) {
    bytes d = held_description({});
    d.resize(93);
    ns_movie_apple_qt::avc_config config;
    EXPECT_FALSE(ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config));
}

}  // namespace

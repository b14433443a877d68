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

// The profile of the record found in the description; -1 when none is found.
int profile_read(const bytes& d) {
    ns_movie_apple_qt::avc_config config;
    return ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config) ? config.profile : -1;
}

// The record is found behind another atom; an atom that claims size 0 or
// more than the description holds ends the search, and a description
// shorter than 94 bytes is not searched.
TEST(AvcConfig, SearchEndsAtAnAtomOfSizeZeroOrPastTheDescription) {
    bytes avcc = importer_test::avc_config_payload(100, 30, {{0x67}}, {{0x68}});
    bytes d = held_description({{fourcc("pasp"), test_movie::pasp(1, 1)}, {fourcc("avcC"), avcc}});
    EXPECT_EQ(profile_read(d), 100);
    bytes size_zero = d;
    std::memset(size_zero.data() + 86, 0, 4);  // the 'pasp' atom's size
    EXPECT_EQ(profile_read(size_zero), -1);
    bytes too_large = d;
    too_large[86] = 0x7F;
    EXPECT_EQ(profile_read(too_large), -1);
    bytes too_short = held_description({});
    too_short.resize(93);
    EXPECT_EQ(profile_read(too_short), -1);
}

}  // namespace

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

class AvcConfig : public ::testing::Test {
protected:
    bool read(const bytes& d) {
        return ns_movie_apple_qt::read_avc_config(d.data(), d.size(), config);
    }
    ns_movie_apple_qt::avc_config config;
};

// The record is found behind another atom; an atom that claims size 0 or
// more than the description holds ends the search, and a description
// shorter than 94 bytes is not searched.
TEST_F(AvcConfig, SearchEndsAtAnAtomOfSizeZeroOrPastTheDescription) {
    bytes avcc = importer_test::avc_config_payload(100, 30, {{0x67}}, {{0x68}});
    bytes d = held_description({{fourcc("pasp"), test_movie::pasp(1, 1)}, {fourcc("avcC"), avcc}});
    ASSERT_TRUE(read(d));
    EXPECT_EQ(config.profile, 100);
    bytes size_zero = d;
    std::memset(size_zero.data() + 86, 0, 4);  // the 'pasp' atom's size
    EXPECT_FALSE(read(size_zero));
    bytes too_large = d;
    too_large[86] = 0x7F;
    EXPECT_FALSE(read(too_large));
    bytes too_short = held_description({});
    too_short.resize(93);
    EXPECT_FALSE(read(too_short));
}

}  // namespace

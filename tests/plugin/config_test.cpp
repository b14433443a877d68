#include <gtest/gtest.h>

#include "importer/config.h"

namespace ns_movie_apple_qt {
namespace {

// Declared first: the settings are process-wide and keep what later tests
// write when the cases run in one process.
TEST(ConfigDefaults, RangeIsZeroTo365DaysAndChannelsAreDiscrete) {
    EXPECT_EQ(config::instance().source_kind(), 0u);
    EXPECT_EQ(config::instance().start_time(), 0.0);
    EXPECT_EQ(config::instance().end_time(), 31536000.0);
    EXPECT_TRUE(config::instance().extract_discrete());
}

TEST(ConfigPath, NullTextChangesNothing) {
    config& c = config::instance();
    c.set_path("abc");
    c.set_path(nullptr);
    EXPECT_EQ(c.source_kind(), 1u);
    EXPECT_STREQ(c.path(), "abc");
}

TEST(ConfigPath, ShorterTextReplacesLongerOne) {
    config& c = config::instance();
    c.set_path("abc");
    c.set_path("d");
    EXPECT_EQ(c.source_kind(), 1u);
    EXPECT_STREQ(c.path(), "d");
}

TEST(ConfigPath, KeepsItsOwnCopy) {
    config& c = config::instance();
    char text[] = "movie.mov";
    c.set_path(text);
    text[0] = 'X';
    EXPECT_STREQ(c.path(), "movie.mov");
}

TEST(ConfigSource, DataRefAndPathSelectTheirKinds) {
    config& c = config::instance();
    int placeholder = 0;
    CMStreamDataRef* ref = reinterpret_cast<CMStreamDataRef*>(&placeholder);
    c.set_data_ref(ref);
    EXPECT_EQ(c.source_kind(), 3u);
    EXPECT_EQ(c.data_ref(), ref);
    c.set_path("x.mov");
    EXPECT_EQ(c.source_kind(), 1u);
    c.set_data_ref(nullptr);
}

}  // namespace
}  // namespace ns_movie_apple_qt

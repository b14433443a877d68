// preflight in data-handler mode, through the importer's own interface: the
// data reference it makes on the input carries the configured static
// resolves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "datahandler/CMStreamDataRef.h"
#include "importer/config.h"
#include "importer/importer_harness.h"

namespace {

using ns_movie_apple_qt::config;

TEST(DataHandlerPreflight, StaticResolvesReachTheDataReference) {
    const char* prefix = "kolmfs://store/media";
    const std::string name = "dh_preflight_" + std::to_string(getpid()) + ".mov";
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/" + name;
    ASSERT_TRUE(test_movie::write_movie(importer_test::video_movie(test_movie::kAvc1), path));
    Ruv::CM::RStream::setMount(prefix, RUV_OUTPUT_DIR);
    {
        importer_test::harness h(std::string(prefix) + "/" + name);
        h.set("static-resolves", "/b=/y;/a=/x");
        EXPECT_EQ(h.preflight(), 0);
        ASSERT_EQ(config::instance().source_kind(), uint32_t(config::source_data_ref));
        const CMStreamDataRef* ref = config::instance().data_ref();
        ASSERT_NE(ref, nullptr);
        EXPECT_EQ(ref->get_url(), std::string(prefix) + "/" + name);
        EXPECT_EQ(ref->get_static_resolve("/a/clip.mov"), "kolmfs://store/x/clip.mov");
        EXPECT_EQ(ref->get_static_resolve("/b/clip.mov"), "kolmfs://store/y/clip.mov");
        EXPECT_EQ(ref->get_static_resolve("/c/clip.mov"), "");
    }
    Ruv::CM::RStream::setMount(prefix, "");
    std::remove(path.c_str());
}

}  // namespace

// preflight in data-handler mode, through the importer's own interface: the
// settings name the stream data reference on the input (with the configured
// static resolves), and the movie it opens delivers what the path gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "datahandler/CMStreamDataRef.h"
#include "importer/config.h"
#include "importer/importer_harness.h"

namespace {

using ns_movie_apple_qt::config;

constexpr const char* kPrefix = "kolmfs://store/media";

class DataHandlerPreflight : public ::testing::Test {
protected:
    void SetUp() override {
        m_name = "dh_preflight_" + std::to_string(getpid()) + ".mov";
        m_path = std::string(RUV_OUTPUT_DIR) + "/" + m_name;
        test_movie::movie_plan plan;
        test_movie::track_plan& video = plan.add_video(test_movie::kAvc1, 320, 240);
        for (uint32_t i = 0; i < 10; ++i) video.add_samples(1, 500 + 11 * i, 60, i % 5 == 0);
        ASSERT_TRUE(test_movie::write_movie(plan, m_path));
        Ruv::CM::RStream::setMount(kPrefix, RUV_OUTPUT_DIR);
    }
    void TearDown() override {
        Ruv::CM::RStream::setMount(kPrefix, "");
        std::remove(m_path.c_str());
    }

    std::string url() const { return std::string(kPrefix) + "/" + m_name; }

    // The sizes of the video frames a whole import delivers.
    static std::vector<size_t> video_sizes(importer_test::harness& h) {
        h.set("video", "0");
        std::vector<size_t> sizes;
        if (!h.open() || h.runloop() != 0) return sizes;
        for (const auto& frame : h.take_frames(0)) sizes.push_back(frame->getDataLength());
        return sizes;
    }

    std::string m_name;
    std::string m_path;
};

TEST_F(DataHandlerPreflight, MountedInputOpensFromTheStreamDataReference) {
    importer_test::harness through_handler(url());
    std::vector<size_t> sizes = video_sizes(through_handler);
    const config& settings = config::instance();
    ASSERT_EQ(settings.source_kind(), uint32_t(config::source_data_ref));
    ASSERT_NE(settings.data_ref(), nullptr);
    EXPECT_EQ(settings.data_ref()->get_url(), url());

    importer_test::harness by_path(m_path);
    ASSERT_EQ(sizes.size(), 10u);
    EXPECT_EQ(sizes, video_sizes(by_path));
    EXPECT_EQ(config::instance().source_kind(), uint32_t(config::source_path));
}

TEST_F(DataHandlerPreflight, ForcedOffAMountedInputIsHandedOnAsAPath) {
    importer_test::harness h(url());
    h.set("data-handler-mode", "force-disable");
    EXPECT_EQ(h.preflight(), -1);
    ASSERT_EQ(config::instance().source_kind(), uint32_t(config::source_path));
    EXPECT_EQ(std::string(config::instance().path()), url());
}

TEST_F(DataHandlerPreflight, StaticResolvesReachTheDataReference) {
    importer_test::harness h(url());
    h.set("static-resolves", "/b=/y;/a=/x");
    ASSERT_EQ(h.preflight(), 0);
    const CMStreamDataRef* ref = config::instance().data_ref();
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->get_static_resolve("/a/clip.mov"), "kolmfs://store/x/clip.mov");
    EXPECT_EQ(ref->get_static_resolve("/b/clip.mov"), "kolmfs://store/y/clip.mov");
    EXPECT_EQ(ref->get_static_resolve("/c/clip.mov"), "");
}

}  // namespace

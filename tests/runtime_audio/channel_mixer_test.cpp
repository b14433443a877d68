#include <gtest/gtest.h>

#include <vector>

#include "audio/channel_mixer.h"

using namespace qtrt::audio;

namespace {

TEST(ChannelMixer, DiscretePlacesTracksSideBySideInOrder) {
    channel_mixer m({1, 2}, true);
    ASSERT_EQ(m.output_channels(), 3u);
    std::vector<float> out(6, 0.0f);
    const float mono[] = {0.1f, 0.2f};
    const float stereo[] = {0.3f, 0.4f, 0.5f, 0.6f};
    m.add(0, mono, 2, out.data());
    m.add(1, stereo, 2, out.data());
    EXPECT_EQ(out, (std::vector<float>{0.1f, 0.3f, 0.4f, 0.2f, 0.5f, 0.6f}));
}

TEST(ChannelMixer, MixedSpreadsMonoAndSumsByChannel) {
    channel_mixer m({1, 2}, false);
    ASSERT_EQ(m.output_channels(), 2u);
    std::vector<float> out(2, 0.0f);
    const float mono[] = {0.25f};
    const float stereo[] = {0.5f, -0.5f};
    m.add(0, mono, 1, out.data());
    m.add(1, stereo, 1, out.data());
    EXPECT_EQ(out, (std::vector<float>{0.75f, -0.25f}));
}

TEST(ChannelMixer, MixedNarrowTrackFillsItsOwnChannelsOnly) {
    channel_mixer m({2, 6}, false);
    ASSERT_EQ(m.output_channels(), 6u);
    std::vector<float> out(6, 0.0f);
    const float stereo[] = {1.0f, 2.0f};
    m.add(0, stereo, 1, out.data());
    EXPECT_EQ(out, (std::vector<float>{1.0f, 2.0f, 0, 0, 0, 0}));
}

}  // namespace

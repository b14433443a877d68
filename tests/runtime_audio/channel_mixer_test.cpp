#include <gtest/gtest.h>

#include <vector>

#include "audio/channel_layout.h"
#include "audio/channel_mixer.h"

using namespace qtrt::audio;
using namespace qtrt::audio::label;

namespace {

using labels = std::vector<uint32_t>;
const labels kMonoTrack{kMono}, kStereo{kLeft, kRight};
const labels k51{kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround};

struct mix_case {
    const char* name;
    std::vector<mixer_track> tracks;
    bool discrete;
    labels output;
    // One frame of each track: track t's channel c is 10 * (t + 1) + c.
    std::vector<float> mixed;
};

class ChannelMixer : public testing::TestWithParam<mix_case> {};

TEST_P(ChannelMixer, RoutesEveryTrackChannelByItsLabel) {
    const mix_case& c = GetParam();
    channel_mixer m(c.tracks, c.discrete);
    EXPECT_EQ(m.output_labels(), c.output);
    std::vector<float> out(m.output_channels(), 0.0f);
    for (size_t t = 0; t < c.tracks.size(); ++t) {
        std::vector<float> frame;
        for (size_t ch = 0; ch < c.tracks[t].labels.size(); ++ch) frame.push_back(float(10 * (t + 1) + ch));
        m.add(t, frame.data(), 1, out.data());
    }
    EXPECT_EQ(out, c.mixed);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ChannelMixer,
    testing::Values(
        mix_case{"DiscreteSideBySide", {{kMonoTrack}, {kStereo}}, true, {kMono, kLeft, kRight}, {10, 20, 21}},
        mix_case{"MonoIntoLeftAndRight", {{kMonoTrack}, {kStereo}}, false, kStereo, {30, 31}},
        mix_case{"MonoIntoCenterOnly", {{kMonoTrack}, {k51}}, false, k51, {20, 21, 32, 23, 24, 25}},
        mix_case{"LabelledMonoTracksStaySeparate", {{{kRight}}, {{kLeft}}}, false, kStereo, {20, 10}},
        mix_case{"UnlabelledMonoTracksSum", {{kMonoTrack}, {kMonoTrack}}, false, {kMono}, {30}},
        mix_case{"StereoIntoItsOwnChannels", {{kStereo}, {k51}}, false, k51, {30, 32, 22, 23, 24, 25}},
        mix_case{"VolumeScalesTheTrack", {{kStereo, 0.5f}, {kStereo, 0.0f}}, false, kStereo, {5, 5.5f}}),
    [](const testing::TestParamInfo<mix_case>& info) { return info.param.name; });

}  // namespace

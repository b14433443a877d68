// Channel labels of sound tracks, as Core Audio names them
// (AudioChannelLabel): from an 'chan' atom of the sound description, from the
// decoder, or by channel count.
#pragma once

#include <cstdint>
#include <vector>

#include "format/atom_reader.h"

namespace qtrt::audio {

namespace label {
constexpr uint32_t kUnused = 0;
constexpr uint32_t kLeft = 1;
constexpr uint32_t kRight = 2;
constexpr uint32_t kCenter = 3;
constexpr uint32_t kLfeScreen = 4;
constexpr uint32_t kLeftSurround = 5;
constexpr uint32_t kRightSurround = 6;
constexpr uint32_t kLeftCenter = 7;
constexpr uint32_t kRightCenter = 8;
constexpr uint32_t kCenterSurround = 9;
constexpr uint32_t kTopCenterSurround = 12;
constexpr uint32_t kVerticalHeightLeft = 13;
constexpr uint32_t kVerticalHeightCenter = 14;
constexpr uint32_t kVerticalHeightRight = 15;
constexpr uint32_t kTopBackLeft = 16;
constexpr uint32_t kTopBackCenter = 17;
constexpr uint32_t kTopBackRight = 18;
constexpr uint32_t kRearSurroundLeft = 33;
constexpr uint32_t kRearSurroundRight = 34;
constexpr uint32_t kLeftWide = 35;
constexpr uint32_t kRightWide = 36;
constexpr uint32_t kLfe2 = 37;
constexpr uint32_t kLeftTotal = 38;
constexpr uint32_t kRightTotal = 39;
constexpr uint32_t kMono = 42;
constexpr uint32_t kDiscrete0 = 1u << 16;  // Discrete_N is kDiscrete0 | N
constexpr uint32_t kUnknown = 0xFFFFFFFF;
}  // namespace label

// The labels of the layout in the contents of a 'chan' atom (version, flags,
// then a big-endian AudioChannelLayout: a layout tag, a channel bitmap or
// channel descriptions). Empty when the layout does not describe exactly
// `channels` channels or uses a tag this runtime does not know.
std::vector<uint32_t> labels_from_channel_layout(qt_format::atom_reader chan, uint32_t channels);

// The labels of a track without a usable 'chan' layout: Mono for one
// channel, Left Right for two, the decoder's labels beyond when it gives
// them, else the MPEG layouts of 3 to 6 channels (L R C, L R Ls Rs,
// L R C Ls Rs, L R C LFE Ls Rs) and Discrete_0.. for any other count.
std::vector<uint32_t> default_channel_labels(uint32_t channels, const std::vector<uint32_t>& decoder_labels);

}  // namespace qtrt::audio

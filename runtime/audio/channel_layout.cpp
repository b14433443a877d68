#include "audio/channel_layout.h"

#include <algorithm>

namespace qtrt::audio {

using qt_format::atom_reader;

namespace {

using namespace label;

constexpr uint32_t kTagUseChannelDescriptions = 0;
constexpr uint32_t kTagUseChannelBitmap = 1u << 16;
constexpr uint32_t kTagDiscreteInOrder = 147u << 16;
constexpr uint32_t kTagUnknown = 0xFFFFu << 16;
constexpr uint32_t kChannelDescriptionSize = 20;  // label, flags, three coordinates
// The bitmap's bits 0..17 are the labels 1..18.
constexpr uint32_t kBitmapLabels = 18;

struct layout_row {
    uint32_t tag;  // (number << 16) | channel count
    uint32_t labels[8];
};

// Core Audio's layout tags for the layouts sound tracks carry.
constexpr layout_row k_layouts[] = {
    {(100u << 16) | 1, {kMono}},
    {(101u << 16) | 2, {kLeft, kRight}},
    {(102u << 16) | 2, {kLeft, kRight}},  // stereo for headphones
    {(103u << 16) | 2, {kLeftTotal, kRightTotal}},
    {(106u << 16) | 2, {kLeft, kRight}},  // binaural
    {(108u << 16) | 4, {kLeft, kRight, kLeftSurround, kRightSurround}},
    {(109u << 16) | 5, {kLeft, kRight, kLeftSurround, kRightSurround, kCenter}},
    {(110u << 16) | 6, {kLeft, kRight, kLeftSurround, kRightSurround, kCenter, kCenterSurround}},
    {(113u << 16) | 3, {kLeft, kRight, kCenter}},
    {(114u << 16) | 3, {kCenter, kLeft, kRight}},
    {(115u << 16) | 4, {kLeft, kRight, kCenter, kCenterSurround}},
    {(116u << 16) | 4, {kCenter, kLeft, kRight, kCenterSurround}},
    {(117u << 16) | 5, {kLeft, kRight, kCenter, kLeftSurround, kRightSurround}},
    {(118u << 16) | 5, {kLeft, kRight, kLeftSurround, kRightSurround, kCenter}},
    {(119u << 16) | 5, {kLeft, kCenter, kRight, kLeftSurround, kRightSurround}},
    {(120u << 16) | 5, {kCenter, kLeft, kRight, kLeftSurround, kRightSurround}},
    {(121u << 16) | 6, {kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround}},
    {(122u << 16) | 6, {kLeft, kRight, kLeftSurround, kRightSurround, kCenter, kLfeScreen}},
    {(123u << 16) | 6, {kLeft, kCenter, kRight, kLeftSurround, kRightSurround, kLfeScreen}},
    {(124u << 16) | 6, {kCenter, kLeft, kRight, kLeftSurround, kRightSurround, kLfeScreen}},
    {(125u << 16) | 7, {kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround, kCenterSurround}},
    {(126u << 16) | 8,
     {kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround, kLeftCenter, kRightCenter}},
    {(127u << 16) | 8,
     {kCenter, kLeftCenter, kRightCenter, kLeft, kRight, kLeftSurround, kRightSurround, kLfeScreen}},
    {(128u << 16) | 8,
     {kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround, kRearSurroundLeft, kRearSurroundRight}},
};

constexpr uint32_t k_by_count[][6] = {
    {kLeft, kRight, kCenter},
    {kLeft, kRight, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCenter, kLeftSurround, kRightSurround},
    {kLeft, kRight, kCenter, kLfeScreen, kLeftSurround, kRightSurround},
};

// Channels without a usable label of their own (unknown, unused, placed by
// coordinates, or a label repeated within the track) become Discrete_i.
std::vector<uint32_t> distinct(std::vector<uint32_t> labels) {
    for (size_t i = 0; i < labels.size(); ++i) {
        const uint32_t l = labels[i];
        const bool repeated = std::find(labels.begin(), labels.begin() + long(i), l) != labels.begin() + long(i);
        if (l == kUnknown || l == kUnused || l == 100 || repeated) labels[i] = kDiscrete0 | uint32_t(i);
    }
    return labels;
}

}  // namespace

std::vector<uint32_t> labels_from_channel_layout(atom_reader chan, uint32_t channels) {
    uint32_t version_flags = 0, tag = 0, bitmap = 0, count = 0;
    if (!chan.read_u32(version_flags) || !chan.read_u32(tag) || !chan.read_u32(bitmap) ||
        !chan.read_u32(count))
        return {};
    std::vector<uint32_t> labels;
    if (tag == kTagUseChannelDescriptions) {
        if (count != channels || count > chan.remaining() / kChannelDescriptionSize) return {};
        for (uint32_t i = 0; i < count; ++i) {
            // The count was checked against the bytes that remain.
            uint32_t l = 0;
            if (!chan.read_u32(l) || !chan.skip(kChannelDescriptionSize - 4)) return {};
            labels.push_back(l);
        }
    } else if (tag == kTagUseChannelBitmap) {
        for (uint32_t bit = 0; bit < kBitmapLabels; ++bit)
            if (bitmap & (1u << bit)) labels.push_back(bit + 1);
    } else if ((tag & 0xFFFF0000u) == kTagDiscreteInOrder || (tag & 0xFFFF0000u) == kTagUnknown) {
        for (uint32_t i = 0; i < (tag & 0xFFFF); ++i) labels.push_back(kDiscrete0 | i);
    } else {
        for (const layout_row& row : k_layouts)
            if (row.tag == tag) labels.assign(row.labels, row.labels + (tag & 0xFFFF));
    }
    if (labels.size() != channels) return {};
    return distinct(std::move(labels));
}

std::vector<uint32_t> default_channel_labels(uint32_t channels, const std::vector<uint32_t>& decoder_labels) {
    if (channels == 1) return {kMono};
    if (channels == 2) return {kLeft, kRight};
    if (decoder_labels.size() == channels) return distinct(decoder_labels);
    std::vector<uint32_t> labels;
    if (channels >= 3 && channels <= 6) {
        labels.assign(k_by_count[channels - 3], k_by_count[channels - 3] + channels);
    } else {
        for (uint32_t i = 0; i < channels; ++i) labels.push_back(kDiscrete0 | i);
    }
    return labels;
}

}  // namespace qtrt::audio

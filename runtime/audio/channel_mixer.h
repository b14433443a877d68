// Where each sound track's channels land in the extraction's output, and at
// what level (the track's volume).
//
// Discrete: every track's channels side by side in track order; the output
// has the sum of the tracks' channel counts.
// Mixed: the movie's summary layout. Every label any track carries is one
// output channel, in the order of the labels' values (Left, Right, Center,
// LFE, Left Surround, Right Surround, ...), and like-labelled channels of all
// tracks are summed into it. A Mono channel goes into Center when the
// summary has one, else into Left and Right when it has them, else into
// every output channel; only a movie of Mono channels alone mixes to one Mono
// channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qtrt::audio {

struct mixer_track {
    std::vector<uint32_t> labels;  // one Core Audio channel label per channel
    float gain = 1.0f;
};

class channel_mixer {
public:
    channel_mixer(const std::vector<mixer_track>& tracks, bool discrete);

    uint32_t output_channels() const { return uint32_t(m_output_labels.size()); }
    // The output's channel labels (discrete: each track's, side by side).
    const std::vector<uint32_t>& output_labels() const { return m_output_labels; }

    // Adds frames frames of track's interleaved samples, times its gain, into
    // out, which has output_channels() interleaved channels.
    void add(size_t track, const float* src, size_t frames, float* out) const;

private:
    struct route {
        uint32_t from;  // the track's channel
        uint32_t to;    // the output channel
    };
    struct track_routes {
        uint32_t channels;
        float gain;
        std::vector<route> routes;
    };
    std::vector<track_routes> m_tracks;
    std::vector<uint32_t> m_output_labels;
};

}  // namespace qtrt::audio

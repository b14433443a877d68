// Where each sound track's channels land in the extraction's output.
//
// Discrete: every track's channels side by side in track order; the output
// has the sum of the tracks' channel counts.
// Mixed: the output has as many channels as the track with the most; a mono
// track goes at full level into every output channel, any other track's
// channel i into output channel i; the tracks are summed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qtrt::audio {

class channel_mixer {
public:
    channel_mixer(const std::vector<uint32_t>& track_channels, bool discrete);

    uint32_t output_channels() const { return m_output_channels; }

    // Adds frames frames of track's interleaved samples into out, which has
    // output_channels() interleaved channels.
    void add(size_t track, const float* src, size_t frames, float* out) const;

private:
    struct route {
        uint32_t channels;  // of the track
        uint32_t first;     // output channel of the track's channel 0 (discrete)
        bool spread;        // mono into every output channel (mixed)
    };
    std::vector<route> m_routes;
    uint32_t m_output_channels = 0;
};

}  // namespace qtrt::audio

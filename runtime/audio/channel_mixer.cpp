#include "audio/channel_mixer.h"

#include <algorithm>

namespace qtrt::audio {

channel_mixer::channel_mixer(const std::vector<uint32_t>& track_channels, bool discrete) {
    uint32_t widest = 0;
    for (uint32_t c : track_channels) widest = std::max(widest, c);
    uint32_t next = 0;
    for (uint32_t c : track_channels) {
        route r{c, discrete ? next : 0, !discrete && c == 1 && widest > 1};
        m_routes.push_back(r);
        next += c;
    }
    m_output_channels = discrete ? next : widest;
}

void channel_mixer::add(size_t track, const float* src, size_t frames, float* out) const {
    const route& r = m_routes[track];
    const uint32_t n = m_output_channels;
    if (r.spread) {
        for (size_t f = 0; f < frames; ++f)
            for (uint32_t c = 0; c < n; ++c) out[f * n + c] += src[f];
        return;
    }
    for (size_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < r.channels; ++c) out[f * n + r.first + c] += src[f * r.channels + c];
}

}  // namespace qtrt::audio

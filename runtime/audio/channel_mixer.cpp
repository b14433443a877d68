#include "audio/channel_mixer.h"

#include <algorithm>
#include <set>

#include "audio/channel_layout.h"

namespace qtrt::audio {
namespace {

size_t index_of(const std::vector<uint32_t>& labels, uint32_t l) {
    return size_t(std::find(labels.begin(), labels.end(), l) - labels.begin());
}

}  // namespace

channel_mixer::channel_mixer(const std::vector<mixer_track>& tracks, bool discrete) {
    if (discrete) {
        for (const mixer_track& t : tracks) {
            track_routes r{uint32_t(t.labels.size()), t.gain, {}};
            for (uint32_t c = 0; c < r.channels; ++c) r.routes.push_back({c, uint32_t(m_output_labels.size()) + c});
            m_output_labels.insert(m_output_labels.end(), t.labels.begin(), t.labels.end());
            m_tracks.push_back(std::move(r));
        }
        return;
    }
    std::set<uint32_t> summary;
    for (const mixer_track& t : tracks)
        for (uint32_t l : t.labels)
            if (l != label::kMono) summary.insert(l);
    if (summary.empty() && !tracks.empty()) summary.insert(label::kMono);
    m_output_labels.assign(summary.begin(), summary.end());

    const size_t center = index_of(m_output_labels, label::kCenter);
    const size_t left = index_of(m_output_labels, label::kLeft);
    const size_t right = index_of(m_output_labels, label::kRight);
    const size_t n = m_output_labels.size();
    for (const mixer_track& t : tracks) {
        track_routes r{uint32_t(t.labels.size()), t.gain, {}};
        for (uint32_t c = 0; c < r.channels; ++c) {
            const size_t own = index_of(m_output_labels, t.labels[c]);
            if (own < n) {
                r.routes.push_back({c, uint32_t(own)});
            } else if (center < n) {
                r.routes.push_back({c, uint32_t(center)});
            } else if (left < n && right < n) {
                r.routes.push_back({c, uint32_t(left)});
                r.routes.push_back({c, uint32_t(right)});
            } else {
                for (size_t o = 0; o < n; ++o) r.routes.push_back({c, uint32_t(o)});
            }
        }
        m_tracks.push_back(std::move(r));
    }
}

void channel_mixer::add(size_t track, const float* src, size_t frames, float* out) const {
    const track_routes& t = m_tracks[track];
    const size_t n = m_output_labels.size(), ch = t.channels;
    if (t.gain == 1.0f) {  // the common case, exact whatever the samples
        // Each channel onto its own: one pass over the interleaved block.
        bool in_place = ch == n && t.routes.size() == n;
        for (size_t i = 0; in_place && i < n; ++i)
            in_place = t.routes[i].from == i && t.routes[i].to == i;
        if (in_place) {
            for (size_t i = 0; i < frames * n; ++i) out[i] += src[i];
            return;
        }
        for (const route& r : t.routes)
            for (size_t f = 0; f < frames; ++f) out[f * n + r.to] += src[f * ch + r.from];
        return;
    }
    for (const route& r : t.routes)
        for (size_t f = 0; f < frames; ++f) out[f * n + r.to] += src[f * ch + r.from] * t.gain;
}

}  // namespace qtrt::audio

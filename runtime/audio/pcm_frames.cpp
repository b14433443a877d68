#include "audio/pcm_frames.h"

#include <algorithm>

#include "audio/pcm_decoder.h"

namespace qtrt::audio {

pcm_frames::pcm_frames(const media_model& media, const sound_format& format, media_reader reader)
    : m_channels(format.channels), m_frame_count(media.samples.count()), m_table(media.samples),
      m_reader(std::move(reader)) {
    for (const sample_description_entry& entry : media.descriptions) {
        description d{};
        d.data_ref_index = entry.data_ref_index;
        d.usable = parse_sound_description(entry.bytes.data(), entry.bytes.size(), d.format) ==
                       sound_parse_result::ok &&
                   d.format.decodable && d.format.channels == m_channels;
        m_descriptions.push_back(d);
    }
}

OSErr pcm_frames::read(int64_t first, size_t count, float* dst) {
    std::fill(dst, dst + count * m_channels, 0.0f);
    const int64_t begin = std::max<int64_t>(first, 0);
    const int64_t end = std::min<int64_t>(first + int64_t(count), m_frame_count);
    for (int64_t frame = begin; frame < end;) {
        // Frame i is sample i; its chunk holds the frames that follow it.
        const uint32_t chunk = m_table.chunk_of(uint32_t(frame));
        uint32_t chunk_first = 0, chunk_frames = 0;
        m_table.chunk_samples(chunk, chunk_first, chunk_frames);
        const int64_t chunk_end = int64_t(chunk_first) + chunk_frames;
        if (frame < chunk_first || frame >= chunk_end) break;  // not a table the parser builds
        const size_t n = size_t(std::min(end, chunk_end) - frame);
        float* out = dst + size_t(frame - first) * m_channels;
        const uint32_t index = m_table.chunk_description_index(chunk);
        if (index >= 1 && index <= m_descriptions.size() && m_descriptions[index - 1].usable) {
            const description& d = m_descriptions[index - 1];
            const uint64_t bytes = uint64_t(n) * d.format.bytes_per_frame;
            const uint64_t offset =
                m_table.chunk_offset(chunk) + uint64_t(frame - chunk_first) * d.format.bytes_per_frame;
            const OSErr err = m_reader(d.data_ref_index, offset, bytes, m_bytes);
            if (err != noErr) return err;
            decode_pcm(d.format, m_bytes.data(), n, out);
        }
        frame += int64_t(n);
    }
    return noErr;
}

}  // namespace qtrt::audio

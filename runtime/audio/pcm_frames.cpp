#include "audio/pcm_frames.h"

#include <algorithm>

#include "audio/pcm_decoder.h"

namespace qtrt::audio {

pcm_frames::pcm_frames(const media_model& media, const sound_format& format, media_reader reader)
    : m_channels(format.channels), m_frame_count(media.samples.count()), m_reader(std::move(reader)) {
    for (const sample_description_entry& entry : media.descriptions) {
        description d{};
        d.data_ref_index = entry.data_ref_index;
        d.usable = parse_sound_description(entry.bytes.data(), entry.bytes.size(), d.format) ==
                       sound_parse_result::ok &&
                   d.format.decodable && d.format.channels == m_channels;
        m_descriptions.push_back(d);
    }
    const sample_table& table = media.samples;
    m_chunks.reserve(table.chunk_count());
    for (uint32_t c = 0; c < table.chunk_count(); ++c) {
        uint32_t first_sample = 0, count = 0;
        table.chunk_samples(c, first_sample, count);
        if (count == 0) continue;
        const uint32_t index = table.chunk_description_index(c);
        const bool known = index >= 1 && index <= m_descriptions.size();
        m_chunks.push_back(chunk{first_sample, count, table.chunk_offset(c), known ? index - 1 : kNoDescription});
    }
}

size_t pcm_frames::chunk_of(int64_t frame) const {
    auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), frame,
                               [](int64_t f, const chunk& c) { return f < c.first_frame; });
    return size_t(it - m_chunks.begin()) - 1;  // callers make sure a chunk starts at or before frame
}

OSErr pcm_frames::read(int64_t first, size_t count, float* dst) {
    std::fill(dst, dst + count * m_channels, 0.0f);
    const int64_t begin = std::max<int64_t>(first, 0);
    const int64_t end = std::min<int64_t>(first + int64_t(count), m_frame_count);
    if (m_chunks.empty() || begin >= end || begin < m_chunks.front().first_frame) return noErr;
    for (int64_t frame = begin; frame < end;) {
        const chunk& c = m_chunks[chunk_of(frame)];
        const int64_t chunk_end = c.first_frame + c.frames;
        if (frame >= chunk_end) {  // a gap in the table: skip to the next chunk
            const size_t next = chunk_of(frame) + 1;
            if (next >= m_chunks.size()) break;
            frame = m_chunks[next].first_frame;
            continue;
        }
        const size_t n = size_t(std::min(end, chunk_end) - frame);
        float* out = dst + size_t(frame - first) * m_channels;
        if (c.description != kNoDescription && m_descriptions[c.description].usable) {
            const description& d = m_descriptions[c.description];
            const uint64_t bytes = uint64_t(n) * d.format.bytes_per_frame;
            const uint64_t offset = c.offset + uint64_t(frame - c.first_frame) * d.format.bytes_per_frame;
            const OSErr err = m_reader(d.data_ref_index, offset, bytes, m_bytes);
            if (err != noErr) return err;
            decode_pcm(d.format, m_bytes.data(), n, out);
        }
        frame += int64_t(n);
    }
    return noErr;
}

}  // namespace qtrt::audio

#include "audio/packet_frames.h"

#include <algorithm>
#include <cmath>

#include "audio/sound_warning.h"
#include "audio/track_timeline.h"

namespace qtrt::audio {
namespace {

// A packet larger than this is not decoded: no codec here makes one near it.
constexpr uint32_t kMaxPacketBytes = 4u << 20;
// Media bytes read at once, from a packet on to the end of its chunk.
constexpr uint64_t kReadAheadBytes = 256u << 10;
// Packets tried when the source is made, to learn the decoder's output.
constexpr int kProbePackets = 8;
// A read this far beyond the decoded frames decodes forward to it; further
// away the decoder restarts near the place.
constexpr int64_t kDecodeForwardFrames = 16384;
// Decoded frames kept behind the end of the latest read.
constexpr int64_t kKeepBehindFrames = 8192;
// Warnings about packets that do not decode, per track.
constexpr uint32_t kMaxWarnings = 10;

int64_t ceil_div(int64_t a, int64_t b) { return (a + b - 1) / b; }

}  // namespace

std::unique_ptr<packet_frames> packet_frames::create(const media_model& media, const compressed_format& format,
                                                     media_reader reader, uint32_t track_id, std::string& why) {
    std::unique_ptr<packet_frames> f(new packet_frames);
    f->m_decoder = make_packet_decoder(format, why);
    if (!f->m_decoder) return nullptr;
    f->m_format = format;
    f->m_track_id = track_id;
    f->m_reader = std::move(reader);
    f->m_table = media.samples;
    f->m_media_scale = media.time_scale > 0 ? media.time_scale : TimeScale(1);
    // Chunks of other descriptions play only when the description is the
    // same as the first: one decoder serves the track.
    for (const sample_description_entry& d : media.descriptions) {
        f->m_usable.push_back(d.bytes == media.descriptions.front().bytes);
        f->m_data_refs.push_back(d.data_ref_index);
    }
    const sample_table& t = f->m_table;
    const bool frame_counted = t.count() > 0 && t.decode_end() == int64_t(t.count()) && t.duration(0) == 1;
    if (format.frames_per_packet > 0 && frame_counted) f->build_constant_chunks(media);
    else f->m_packet_count = t.count();
    if (f->m_packet_count == 0) {
        why = "its media holds no sound packets";
        return nullptr;
    }
    f->probe();
    f->m_frame_count = f->m_chunks.empty() ? rescale_time(t.decode_end(), f->m_media_scale, f->m_rate)
                                           : int64_t(t.count());
    f->m_priming = std::min(f->m_priming, f->m_frame_count);
    return f;
}

void packet_frames::build_constant_chunks(const media_model& media) {
    const sample_table& t = media.samples;
    int64_t packets = 0;
    for (uint32_t c = 0; c < t.chunk_count(); ++c) {
        uint32_t first_sample = 0, count = 0;
        t.chunk_samples(c, first_sample, count);
        if (count == 0) continue;
        m_chunks.push_back({first_sample, count, packets, t.chunk_offset(c), t.chunk_description_index(c)});
        packets += ceil_div(count, m_format.frames_per_packet);
    }
    m_packet_count = packets;
}

// The decoder's channels, rate and labels from the first packets that
// decode; the description's when none does. Decoding starts with a new
// decoder (restart_at).
void packet_frames::probe() {
    m_rate = m_format.sample_rate;
    std::string error;
    const uint8_t* bytes = nullptr;
    for (int64_t n = 0; n < std::min<int64_t>(kProbePackets, m_packet_count); ++n) {
        const packet p = locate(n);
        if (!p.usable || p.size > kMaxPacketBytes || packet_bytes(p, bytes) != noErr) continue;
        m_decoded.clear();
        if (m_decoder->decode(bytes, p.size, m_decoded, error) && m_decoder->channels() > 0) {
            // Encoder delay marked in the stream is not sound: the frames
            // after it move up to the start of the media.
            if (n == 0) m_priming = std::max<int64_t>(m_decoder->priming_frames(), 0);
            break;
        }
    }
    if (m_decoder->channels() > 0) {
        m_channels = m_decoder->channels();
        m_rate = m_decoder->sample_rate();
        m_decoder_labels = m_decoder->channel_labels();
    } else {
        m_channels = m_format.channels;
    }
}

packet_frames::packet packet_frames::locate(int64_t number) const {
    packet p;
    uint32_t description = 1;
    if (!m_chunks.empty()) {
        auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), number,
                                   [](int64_t n, const constant_chunk& c) { return n < c.first_packet; });
        const constant_chunk& c = *(it - 1);
        const int64_t k = number - c.first_packet;
        const int64_t frames_before = k * m_format.frames_per_packet;
        p.offset = c.offset + uint64_t(k) * m_format.bytes_per_packet;
        p.size = m_format.bytes_per_packet;
        p.first_frame = c.first_frame + frames_before;
        p.frames = uint32_t(std::min<int64_t>(m_format.frames_per_packet, c.frames - frames_before));
        p.chunk_end = c.offset + uint64_t(ceil_div(c.frames, m_format.frames_per_packet)) * m_format.bytes_per_packet;
        description = c.description;
    } else {
        const sample_info s = m_table.sample(uint32_t(number));
        p.offset = s.offset;
        p.size = s.size;
        p.first_frame = rescale_time(s.decode_time, m_media_scale, m_rate);
        const int64_t end = rescale_time(s.decode_time + s.duration, m_media_scale, m_rate);
        p.frames = uint32_t(std::max<int64_t>(end - p.first_frame, 0));
        uint32_t first_sample = 0, count = 0;
        m_table.chunk_samples(s.chunk, first_sample, count);
        const sample_info last = count > 0 ? m_table.sample(first_sample + count - 1) : s;
        p.chunk_end = last.offset + last.size;
        description = s.description_index;
    }
    p.first_frame -= m_priming;
    p.usable = description >= 1 && description <= m_usable.size() && m_usable[description - 1];
    p.data_ref_index = p.usable ? m_data_refs[description - 1] : 0;
    return p;
}

int64_t packet_frames::packet_holding(int64_t frame) const {
    const int64_t media_frame = frame + m_priming;
    if (!m_chunks.empty()) {
        auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), media_frame,
                                   [](int64_t f, const constant_chunk& c) { return f < c.first_frame; });
        if (it == m_chunks.begin()) return 0;
        const constant_chunk& c = *(it - 1);
        const int64_t k = std::min<int64_t>((media_frame - c.first_frame) / m_format.frames_per_packet,
                                            ceil_div(c.frames, m_format.frames_per_packet) - 1);
        return c.first_packet + k;
    }
    const long double t = std::floor(static_cast<long double>(media_frame) * m_media_scale / m_rate);
    uint32_t index = 0;
    if (t >= static_cast<long double>(m_table.decode_end())) index = m_table.count() - 1;
    else if (t > 0 && !m_table.find_by_decode_time(int64_t(t), index)) index = 0;
    // Rounding of frame positions may put the frame in a neighbour.
    while (index > 0 && locate(index).first_frame > frame) --index;
    while (index + 1 < m_table.count() && locate(index + 1).first_frame <= frame) ++index;
    return index;
}

// Frames decoded before the place a read starts after a restart, so that
// the decoder's state there is what decoding in order leaves.
int64_t packet_frames::preroll_frames() const {
    switch (m_format.codec) {
    case sound_codec::apple_lossless:
    case sound_codec::flac:
        return 0;  // every packet stands alone
    case sound_codec::ac3:
    case sound_codec::enhanced_ac3:
        return 3072;
    case sound_codec::mp3:
        return 4608;  // the bit reservoir reaches back a few frames
    case sound_codec::opus:
        return int64_t(0.08 * m_rate);
    case sound_codec::qdesign2:
    case sound_codec::qdesign:
        return 16 * int64_t(m_format.frames_per_packet);
    default:
        // IMA 4:1 keeps its predictor across packets while a packet's own
        // (coarser) one stays close to it.
        return 4096;
    }
}

void packet_frames::restart_at(int64_t frame) {
    const int64_t target = packet_holding(frame);
    const int64_t target_start = locate(target).first_frame;
    int64_t start = target;
    const int64_t preroll = preroll_frames();
    while (start > 0 && target_start - locate(start - 1).first_frame <= preroll) --start;
    std::string error;
    if (std::unique_ptr<packet_decoder> fresh = make_packet_decoder(m_format, error)) m_decoder = std::move(fresh);
    m_next = start;
    m_cache.clear();
    m_cache_first = locate(start).first_frame;
}

void packet_frames::warn(int64_t number, const packet& p, const std::string& why) {
    if (m_warnings > kMaxWarnings) return;
    ++m_warnings;
    if (m_warnings > kMaxWarnings) {
        sound_warning("sound track " + std::to_string(m_track_id) +
                      ": further packets that do not decode are not reported");
        return;
    }
    sound_warning("sound track " + std::to_string(m_track_id) + " ('" + format_text(m_format.format) +
                  "'): packet " + std::to_string(number + 1) + " (" + std::to_string(p.size) +
                  " bytes at offset " + std::to_string(p.offset) + ") does not decode: " + why + "; " +
                  std::to_string(p.frames) + " frames of silence instead");
}

// The packet's bytes, from the read-ahead window when it holds them.
OSErr packet_frames::packet_bytes(const packet& p, const uint8_t*& bytes) {
    const bool inside = !m_window.empty() && p.data_ref_index == m_window_ref && p.offset >= m_window_offset &&
                        p.offset - m_window_offset <= m_window.size() &&
                        p.size <= m_window.size() - (p.offset - m_window_offset);
    if (!inside) {
        uint64_t length = p.size;
        if (p.chunk_end > p.offset)
            length = std::max<uint64_t>(length, std::min(p.chunk_end - p.offset, kReadAheadBytes));
        OSErr err = m_reader(p.data_ref_index, p.offset, length, m_window);
        if (err != noErr && length > p.size)  // the chunk may claim more than there is
            err = m_reader(p.data_ref_index, p.offset, p.size, m_window);
        if (err != noErr) {
            m_window.clear();
            return err;
        }
        m_window_ref = p.data_ref_index;
        m_window_offset = p.offset;
    }
    bytes = m_window.data() + (p.offset - m_window_offset);
    return noErr;
}

OSErr packet_frames::decode_next() {
    const int64_t number = m_next++;
    const packet p = locate(number);
    m_decoded.clear();
    bool decoded = false;
    if (p.usable) {
        std::string error;
        const uint8_t* bytes = nullptr;
        if (p.size > kMaxPacketBytes) {
            error = "larger than any packet of the format";
        } else {
            const OSErr err = packet_bytes(p, bytes);
            if (err != noErr) return err;
            decoded = m_decoder->decode(bytes, p.size, m_decoded, error);
            if (decoded && !m_decoded.empty() && m_decoder->channels() != m_channels) {
                decoded = false;
                error = "it has " + std::to_string(m_decoder->channels()) + " channels, the track " +
                        std::to_string(m_channels);
            }
        }
        if (!decoded) warn(number, p, error);
    }
    // The packet's frames go where its media time puts them, as many as its
    // duration holds; what the decoder did not give is silence.
    const int64_t begin = std::max(p.first_frame, m_cache_first);
    const int64_t end = p.first_frame + p.frames;
    if (end <= begin) return noErr;
    const size_t needed = size_t(end - m_cache_first) * m_channels;
    if (m_cache.size() < needed) m_cache.resize(needed, 0.0f);
    const size_t offered = decoded ? m_decoded.size() / m_channels : 0;
    const int64_t skip = begin - p.first_frame;
    const size_t take = offered > size_t(skip) ? std::min(offered - size_t(skip), size_t(end - begin)) : 0;
    float* dst = m_cache.data() + size_t(begin - m_cache_first) * m_channels;
    std::copy(m_decoded.begin() + skip * m_channels, m_decoded.begin() + (skip + int64_t(take)) * m_channels, dst);
    std::fill(dst + take * m_channels, dst + size_t(end - begin) * m_channels, 0.0f);
    return noErr;
}

OSErr packet_frames::read(int64_t first, size_t count, float* dst) {
    std::fill(dst, dst + count * m_channels, 0.0f);
    const int64_t begin = std::max<int64_t>(first, 0);
    const int64_t end = std::min<int64_t>(first + int64_t(count), m_frame_count);
    if (begin >= end) return noErr;
    const int64_t cache_end = m_cache_first + int64_t(m_cache.size() / m_channels);
    if (m_next < 0 || begin < m_cache_first || begin > cache_end + kDecodeForwardFrames) restart_at(begin);
    while (m_cache_first + int64_t(m_cache.size() / m_channels) < end && m_next < m_packet_count) {
        const OSErr err = decode_next();
        if (err != noErr) {
            m_next = -1;  // start afresh on the next read
            return err;
        }
    }
    const int64_t have_end = std::min<int64_t>(end, m_cache_first + int64_t(m_cache.size() / m_channels));
    if (have_end > begin)
        std::copy(m_cache.begin() + (begin - m_cache_first) * m_channels,
                  m_cache.begin() + (have_end - m_cache_first) * m_channels,
                  dst + size_t(begin - first) * m_channels);
    const int64_t keep_from = end - kKeepBehindFrames;
    if (keep_from > m_cache_first) {
        const size_t drop = std::min(size_t(keep_from - m_cache_first) * m_channels, m_cache.size());
        m_cache.erase(m_cache.begin(), m_cache.begin() + long(drop));
        m_cache_first += int64_t(drop / m_channels);
    }
    return noErr;
}

}  // namespace qtrt::audio

#include "audio/packet_frames.h"

#include <algorithm>
#include <cmath>

#include "audio/checked_math.h"
#include "audio/format_text.h"
#include "audio/sound_warning.h"
#include "format/time_scale.h"

namespace qtrt::audio {

using qt_format::rescale_time;

namespace {

// A packet larger than this is not decoded: no codec here makes one near it.
constexpr uint32_t kMaxPacketBytes = 4u << 20;
// Media bytes read at once, from a packet on to the end of its chunk.
constexpr uint64_t kReadAheadBytes = 256u << 10;
// Packets tried when the source is made, to learn the decoder's output.
constexpr int kProbePackets = 8;
// A read this far beyond the decoded frames decodes forward to it with the
// decoder it has; further away the decoder restarts near the place.
constexpr int64_t kDecodeForwardFrames = 16384;
// A packet that lasts this many frames more than its decoder gave is said
// once per track: the rest of it plays as silence.
constexpr int64_t kShortPacketFrames = 65536;
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
    if (!f->probe(why)) return nullptr;
    f->m_frame_count = f->m_chunks.empty() ? rescale_time(t.decode_end(), f->m_media_scale, f->m_rate)
                                           : int64_t(t.count());
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

// Packets beyond those reported one by one are counted here.
packet_frames::~packet_frames() {
    if (m_failed_packets <= kMaxWarnings) return;
    sound_warning(track_text() + ": " + std::to_string(m_failed_packets) + " of " +
                  std::to_string(m_decoded_packets) +
                  " packets decoded did not decode or were concealed by the decoder; they play as silence or as "
                  "the decoder's guess");
}

std::string packet_frames::track_text() const {
    return "sound track " + std::to_string(m_track_id) + " ('" + format_text(m_format.format) + "')";
}

// The decoder's channels, rate and labels from the first packets. False
// with the reason in why when fewer than half of them decode cleanly (an
// error, no frames, or frames in which the decoder concealed damage): the
// track cannot be played.
// Decoding later starts with a new decoder (restart_at).
bool packet_frames::probe(std::string& why) {
    m_rate = m_format.sample_rate;
    std::string problem;
    const uint8_t* bytes = nullptr;
    const int64_t tries = std::min<int64_t>(kProbePackets, m_packet_count);
    int64_t clean = 0;
    for (int64_t n = 0; n < tries; ++n) {
        const packet p = locate(n);
        const std::string name = "packet " + std::to_string(n + 1);
        if (!p.usable) {
            problem = name + " is of another sound description";
            continue;
        }
        if (p.size > kMaxPacketBytes) {
            problem = name + " is larger than any packet of the format";
            continue;
        }
        const OSErr err = packet_bytes(p, bytes);
        if (err != noErr) {
            problem = name + " (" + std::to_string(p.size) + " bytes at offset " + std::to_string(p.offset) +
                      ") cannot be read (error " + std::to_string(err) + ")";
            continue;
        }
        m_decoded.clear();
        std::string error;
        if (!m_decoder->decode(bytes, p.size, m_decoded, error)) problem = name + " does not decode: " + error;
        else if (m_decoded.empty()) problem = name + " gives no frames";
        else if (m_decoder->concealed()) problem = "the decoder conceals damage in " + name;
        else ++clean;
    }
    if (clean == 0 || clean * 2 < tries) {
        why = (clean == 0 ? std::string("none") : "only " + std::to_string(clean)) + " of its first " +
              std::to_string(tries) + " packets decode" + (clean == 1 ? "s" : "") + " cleanly (" + problem + ")";
        return false;
    }
    // A packet that failed here is reported when it is read.
    m_channels = m_decoder->channels();
    m_rate = m_decoder->sample_rate();
    m_decoder_labels = m_decoder->channel_labels();
    return true;
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
        p.frames = std::min<int64_t>(m_format.frames_per_packet, c.frames - frames_before);
        p.chunk_end = c.offset + uint64_t(ceil_div(c.frames, m_format.frames_per_packet)) * m_format.bytes_per_packet;
        description = c.description;
    } else {
        const sample_info s = m_table.sample(uint32_t(number));
        p.offset = s.offset;
        p.size = s.size;
        p.first_frame = rescale_time(s.decode_time, m_media_scale, m_rate);
        const int64_t end = rescale_time(s.decode_time + s.duration, m_media_scale, m_rate);
        p.frames = std::max<int64_t>(end - p.first_frame, 0);
        uint32_t first_sample = 0, count = 0;
        m_table.chunk_samples(s.chunk, first_sample, count);
        const sample_info last = count > 0 ? m_table.sample(first_sample + count - 1) : s;
        p.chunk_end = last.offset + last.size;
        description = s.description_index;
    }
    p.usable = description >= 1 && description <= m_usable.size() && m_usable[description - 1];
    p.data_ref_index = p.usable ? m_data_refs[description - 1] : 0;
    return p;
}

// The last packet that starts at or before the frame (the first when none
// does), by binary search: packets start in order.
int64_t packet_frames::packet_holding(int64_t frame) const {
    if (!m_chunks.empty()) {
        auto it = std::upper_bound(m_chunks.begin(), m_chunks.end(), frame,
                                   [](int64_t f, const constant_chunk& c) { return f < c.first_frame; });
        if (it == m_chunks.begin()) return 0;
        const constant_chunk& c = *(it - 1);
        const int64_t k = std::min<int64_t>((frame - c.first_frame) / m_format.frames_per_packet,
                                            ceil_div(c.frames, m_format.frames_per_packet) - 1);
        return c.first_packet + k;
    }
    int64_t low = 0, high = m_packet_count;  // the answer's successor lies in (low, high]
    while (high - low > 1) {
        const int64_t mid = low + (high - low) / 2;
        if (rescale_time(m_table.decode_time(uint32_t(mid)), m_media_scale, m_rate) <= frame) low = mid;
        else high = mid;
    }
    return low;
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

// The decoder starts afresh (reset, else a new one) at the first packet
// within the pre-roll before the frame. When neither can be had, the one in
// use goes on from there, and that is said once.
void packet_frames::restart_at(int64_t frame) {
    const int64_t target = packet_holding(frame);
    const int64_t target_start = locate(target).first_frame;
    const int64_t from = target_start - preroll_frames();
    int64_t start = packet_holding(from);
    if (locate(start).first_frame < from) ++start;  // the first packet that starts within the pre-roll
    start = std::min(start, target);
    std::string error;
    // The first read takes a new decoder (the probe's has seen packets a
    // reset does not wholly forget); later jumps reset theirs, which costs
    // far less than making one.
    const bool reset = m_restarted && m_decoder->reset();
    if (!reset) {
        if (std::unique_ptr<packet_decoder> fresh = make_packet_decoder(m_format, error)) {
            m_decoder = std::move(fresh);
        } else if (!m_warned_restart) {
            m_warned_restart = true;
            sound_warning(track_text() + ": no new decoder for a jump to frame " + std::to_string(frame) + " (" +
                          error + "); the decoder in use goes on from there, with its state from before the jump");
        }
    }
    m_restarted = true;
    m_next = start;
    m_spans.clear();
    m_held_from = m_decoded_to = m_continue_at = locate(start).first_frame;
}

void packet_frames::warn(int64_t number, const packet& p, const std::string& why, const char* instead) {
    ++m_failed_packets;
    if (m_warnings > kMaxWarnings) return;
    ++m_warnings;
    if (m_warnings > kMaxWarnings) {
        sound_warning(track_text() + ": further packets that do not decode are not reported one by one");
        return;
    }
    sound_warning(track_text() + ": packet " + std::to_string(number + 1) + " (" + std::to_string(p.size) +
                  " bytes at offset " + std::to_string(p.offset) + ") " + why + "; " +
                  std::to_string(p.frames) + " frames of " + instead + " instead");
}

void packet_frames::warn_short(int64_t number, const packet& p, int64_t offered) {
    if (m_warned_short) return;
    m_warned_short = true;
    sound_warning(track_text() + ": packet " + std::to_string(number + 1) + " lasts " + std::to_string(p.frames) +
                  " frames, its decoder gave " + std::to_string(offered) +
                  "; the rest plays as silence (further such packets are not reported)");
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

// Decodes the packet into m_decoded; false with the reason in error. The last
// packet of the media also takes what the decoder still holds.
bool packet_frames::decode_packet(const packet& p, const uint8_t* bytes, std::string& error) {
    ++m_decoded_packets;
    std::string why;
    if (!m_decoder->decode(bytes, p.size, m_decoded, why)) {
        error = "does not decode: " + why;
        return false;
    }
    if (m_next >= m_packet_count) m_decoder->flush(m_decoded);
    if (!m_decoded.empty() && m_decoder->channels() != m_channels) {
        error = "does not decode: it has " + std::to_string(m_decoder->channels()) + " channels, the track " +
                std::to_string(m_channels);
        return false;
    }
    // A decoder that holds frames back may give none for a packet.
    if (m_decoded.empty() && p.frames > 0 && !m_decoder->holds_frames_back()) {
        error = "gives no frames";
        return false;
    }
    return true;
}

OSErr packet_frames::decode_next() {
    const int64_t number = m_next++;
    const packet p = locate(number);
    if (p.frames == 0 && m_next < m_packet_count) {
        // A packet that lasts less than a frame shows nothing: packets up to
        // the last one that starts on the same frame are passed over.
        m_next = std::max(m_next, packet_holding(p.first_frame));
        return noErr;
    }
    m_decoded.clear();
    bool decoded = false;
    if (p.usable) {
        std::string error;
        const uint8_t* bytes = nullptr;
        if (p.size > kMaxPacketBytes) {
            error = "is larger than any packet of the format";
        } else {
            const OSErr err = packet_bytes(p, bytes);
            if (err != noErr) return err;
            decoded = decode_packet(p, bytes, error);
        }
        if (!decoded) warn(number, p, error, "silence");
        else if (m_decoder->concealed()) warn(number, p, "is damaged: the decoder conceals it", "the decoder's guess");
    }
    const int64_t offered = decoded ? int64_t(m_decoded.size() / m_channels) : 0;
    if (m_decoder->holds_frames_back()) {
        // Its frames come late: they follow the frames given before, from
        // the last restart on. A packet that does not decode is its own
        // duration of silence.
        const int64_t frames = decoded ? offered : p.frames;
        span s{m_continue_at, frames, decoded ? std::move(m_decoded) : std::vector<float>()};
        m_decoded.clear();
        m_continue_at += frames;
        m_decoded_to = std::max(m_decoded_to, m_continue_at);
        if (s.first + s.frames > m_held_from) m_spans.push_back(std::move(s));
        return noErr;
    }
    // The packet's frames go where its media time puts them, as many as its
    // duration holds; what the decoder did not give is silence.
    const int64_t take = std::min(offered, p.frames);
    if (decoded && p.frames - offered > kShortPacketFrames) warn_short(number, p, offered);
    // A copy of exactly what is kept: a packet shorter than its decoder's
    // output must not hold the whole output's storage.
    span s{p.first_frame, p.frames, std::vector<float>(m_decoded.begin(), m_decoded.begin() + take * m_channels)};
    m_decoded_to = std::max(m_decoded_to, p.first_frame + p.frames);
    if (p.first_frame + p.frames > m_held_from) m_spans.push_back(std::move(s));
    return noErr;
}

OSErr packet_frames::read(int64_t first, size_t count, float* dst) {
    std::fill(dst, dst + count * m_channels, 0.0f);
    const int64_t begin = std::max<int64_t>(first, 0);
    const int64_t end = std::min<int64_t>(first + int64_t(count), m_frame_count);
    if (begin >= end) return noErr;
    if (m_next < 0 || begin < m_held_from || begin > m_decoded_to + kDecodeForwardFrames) restart_at(begin);
    // Every pass takes at least one packet, and every packet decoded lasts at
    // least one frame: the passes are bounded by the frames asked for.
    while (m_decoded_to < end && m_next < m_packet_count) {
        const OSErr err = decode_next();
        if (err != noErr) {
            m_next = -1;  // start afresh on the next read
            return err;
        }
    }
    for (const span& s : m_spans) {
        const int64_t held_end = s.first + int64_t(s.data.size() / m_channels);
        const int64_t a = std::max(begin, s.first), b = std::min(end, held_end);
        if (a >= b) continue;
        std::copy(s.data.begin() + (a - s.first) * m_channels, s.data.begin() + (b - s.first) * m_channels,
                  dst + size_t(a - first) * m_channels);
    }
    // Packets wholly behind the window kept for stepping back go.
    const int64_t keep_from = end - kKeepBehindFrames;
    while (!m_spans.empty() && m_spans.front().first + m_spans.front().frames <= keep_from) {
        m_held_from = m_spans.front().first + m_spans.front().frames;
        m_spans.pop_front();
    }
    return noErr;
}

}  // namespace qtrt::audio

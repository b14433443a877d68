// The frames of compressed sound: the media's packets decoded in order, each
// packet's frames placed where its media time says.
//
// Packets lie in the media in one of two ways. For most formats (AAC, Apple
// Lossless, MP3, AC-3, FLAC, Opus, ...) every media sample is one packet and
// its decode time and duration give its frames. Formats of constant packets
// (IMA 4:1, MACE, QDesign, PureVoice, GSM) count media samples in sample
// frames, as PCM does, when the sample table says so (every sample one time
// unit long): a chunk of n samples then holds n / frames-per-packet packets.
//
// Reading decodes forward from where the last read stopped; a read elsewhere
// resets the decoder a little before the place (its pre-roll) so that
// codecs whose frames overlap decode it as they would in order, and a read
// a little ahead decodes on to it with the same decoder. Decoded frames stay,
// packet by packet, in a window behind the latest read, for readers that
// step back a little (the resampler does). A packet keeps only the frames its
// decoder gave, never storage for the whole of its duration: the rest of a
// long packet is silence without memory. Packets that last less than one
// frame are not decoded, so that reading costs at most one packet per frame
// read.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "audio/compressed_description.h"
#include "audio/frame_reader.h"
#include "audio/packet_decoder.h"
#include "movie/model.h"

namespace qtrt::audio {

class packet_frames : public frame_reader {
public:
    // The media's frames, decoded; null with the reason in why when there is
    // no decoder for the format or the media holds no packet. The decoder's
    // channel count and rate come from the first packets that decode (the
    // description's when none does). track_id names the track in warnings.
    static std::unique_ptr<packet_frames> create(const media_model& media, const compressed_format& format,
                                                 media_reader reader, uint32_t track_id, std::string& why);

    uint32_t channels() const { return m_channels; }
    double sample_rate() const { return m_rate; }
    const std::vector<uint32_t>& decoder_labels() const { return m_decoder_labels; }
    int64_t frame_count() const { return m_frame_count; }

    OSErr read(int64_t first, size_t count, float* dst) override;
    // Says how many packets did not decode, when more did than were
    // reported one by one.
    ~packet_frames() override;

private:
    struct packet {
        uint64_t offset = 0;
        uint32_t size = 0;
        int64_t first_frame = 0;
        int64_t frames = 0;
        uint32_t data_ref_index = 0;
        uint64_t chunk_end = 0;  // where the packet's chunk ends in its data reference
        bool usable = false;     // of the first description (or an identical one)
    };
    // Chunks of a media of constant packets.
    struct constant_chunk {
        int64_t first_frame;
        uint32_t frames;
        int64_t first_packet;
        uint64_t offset;
        uint32_t description;  // from 1
    };

    // One packet's place on the frame line and the frames its decoder gave
    // (at most `frames`; the rest of the packet is silence).
    struct span {
        int64_t first;
        int64_t frames;
        std::vector<float> data;
    };

    packet_frames() = default;
    void build_constant_chunks(const media_model& media);
    bool probe(std::string& why);
    packet locate(int64_t number) const;
    int64_t packet_holding(int64_t frame) const;
    int64_t preroll_frames() const;
    void restart_at(int64_t frame);
    OSErr decode_next();
    bool decode_packet(const packet& p, const uint8_t* bytes, std::string& error);
    OSErr packet_bytes(const packet& p, const uint8_t*& bytes);
    void warn(int64_t number, const packet& p, const std::string& why, const char* instead);
    void warn_short(int64_t number, const packet& p, int64_t offered);
    std::string track_text() const;

    compressed_format m_format;
    uint32_t m_track_id = 0;
    std::unique_ptr<packet_decoder> m_decoder;
    media_reader m_reader;
    sample_table m_table;
    TimeScale m_media_scale = 1;
    std::vector<bool> m_usable;  // by description index - 1
    std::vector<uint32_t> m_data_refs;
    std::vector<constant_chunk> m_chunks;

    uint32_t m_channels = 0;
    double m_rate = 0.0;
    std::vector<uint32_t> m_decoder_labels;
    int64_t m_packet_count = 0;
    int64_t m_frame_count = 0;

    int64_t m_next = -1;  // the packet the decoder takes next; -1 before the first read
    int64_t m_held_from = 0;   // frames from here to m_decoded_to are in m_spans (or silence)
    int64_t m_decoded_to = 0;
    // Where the next decoded frame goes when the decoder holds frames back:
    // its output runs on from the last restart, frame after frame.
    int64_t m_continue_at = 0;
    std::deque<span> m_spans;
    std::vector<float> m_decoded;
    std::vector<uint8_t> m_window;  // media bytes read ahead
    uint32_t m_window_ref = 0;
    uint64_t m_window_offset = 0;
    uint32_t m_warnings = 0;
    int64_t m_failed_packets = 0;   // packets that did not decode or whose decoder concealed errors
    int64_t m_decoded_packets = 0;  // packets handed to the decoder
    bool m_warned_short = false;
    bool m_warned_restart = false;
    bool m_restarted = false;  // a read has started the decoder once
};

}  // namespace qtrt::audio

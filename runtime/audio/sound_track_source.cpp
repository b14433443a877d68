#include "audio/sound_track_source.h"

#include "audio/audio_constants.h"
#include "audio/channel_layout.h"
#include "audio/compressed_description.h"
#include "audio/format_text.h"
#include "audio/packet_frames.h"
#include "audio/pcm_frames.h"
#include "audio/sound_warning.h"

namespace qtrt::audio {

using qt_format::atom_reader;

namespace {

std::vector<uint32_t> layout_labels(const sample_description_entry& entry, uint32_t channels) {
    sound_description_fields fields;
    atom_reader chan;
    if (read_sound_description_fields(entry.bytes.data(), entry.bytes.size(), fields) != sound_parse_result::ok ||
        !find_sound_extension(entry.bytes.data(), fields, kAtomChannelLayout, chan))
        return {};
    return labels_from_channel_layout(chan, channels);
}

}  // namespace

bool sound_track_source::create(const media_model& media, media_reader reader, sound_track_source& out,
                                uint32_t track_id, std::string* why) {
    out = sound_track_source{};
    std::string reason;
    if (!why) why = &reason;
    if (media.descriptions.empty()) {
        *why = "it has no sound description";
        return false;
    }
    const sample_description_entry& first = media.descriptions.front();
    if (parse_sound_description(first.bytes.data(), first.bytes.size(), out.m_format) != sound_parse_result::ok) {
        *why = "its sound description is malformed";
        return false;
    }
    std::vector<uint32_t> decoder_labels;
    if (out.m_format.decodable) {
        out.m_frame_count = media.samples.count();
        out.m_reader = std::make_shared<pcm_frames>(media, out.m_format, std::move(reader));
    } else {
        compressed_format compressed;
        switch (parse_compressed_description(first.bytes.data(), first.bytes.size(), compressed)) {
        case compressed_parse_result::not_compressed:
            *why = "no decoder handles the format '" + format_text(first.format) + "'";
            return false;
        case compressed_parse_result::broken:
            *why = "its '" + format_text(first.format) + "' description lacks a usable decoder configuration";
            return false;
        case compressed_parse_result::ok:
            break;
        }
        std::unique_ptr<packet_frames> frames =
            packet_frames::create(media, compressed, std::move(reader), track_id, *why);
        if (!frames) return false;
        out.m_format.channels = frames->channels();
        out.m_format.sample_rate = frames->sample_rate();
        out.m_format.bits_per_channel = compressed.bits_per_channel;
        out.m_format.decodable = true;
        out.m_frame_count = frames->frame_count();
        decoder_labels = frames->decoder_labels();
        out.m_reader = std::move(frames);
    }
    out.m_labels = layout_labels(first, out.m_format.channels);
    if (out.m_labels.empty()) out.m_labels = default_channel_labels(out.m_format.channels, decoder_labels);
    return true;
}

OSErr sound_track_source::read_frames(int64_t first, size_t count, float* dst) const {
    return m_reader->read(first, count, dst);
}

}  // namespace qtrt::audio

// A compressed sound description reduced to what a decoder needs: which
// codec, its configuration bytes, and how packets lie in the media.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "quicktime/mac_types.h"

namespace qtrt::audio {

enum class sound_codec : uint8_t {
    aac,
    apple_lossless,
    ima4,
    mp3,
    mace3,
    mace6,
    qdesign2,
    qdesign,
    pure_voice,
    gsm,
    amr_narrowband,
    amr_wideband,
    ac3,
    enhanced_ac3,
    flac,
    opus,
    ima_wav,
    ms_adpcm,
};

struct compressed_format {
    sound_codec codec = sound_codec::aac;
    OSType format = 0;
    uint32_t channels = 0;  // as the description states them
    double sample_rate = 0.0;
    // The source's sample depth: the Apple Lossless configuration's, else the
    // description's sample size (16 when it gives none).
    uint32_t bits_per_channel = 16;
    // Packets of a constant size: frames and bytes (all channels) of each.
    // The media's samples are then sample frames, as for PCM. Both 0 when
    // every media sample is one packet.
    uint32_t frames_per_packet = 0;
    uint32_t bytes_per_packet = 0;
    // Bits of one coded sample, for decoders that need it (the ADPCM of the
    // WAV layout: 4); 0 when the decoder does not.
    uint32_t coded_bits = 0;
    // What the decoder is configured with: the AudioSpecificConfig of AAC,
    // the Apple Lossless atom, FLAC's STREAMINFO, an OpusHead, or the
    // contents of the 'wave' atom for QDesign.
    std::vector<uint8_t> config;
};

enum class compressed_parse_result {
    ok,
    not_compressed,  // a format no decoder here knows (PCM included)
    broken,          // a known format whose configuration is missing or malformed
};

// Recognises the compressed formats this runtime decodes: 'mp4a' (its 'esds'
// among the extensions or in 'wave'; MPEG-4 and MPEG-2 AAC, MP3, AC-3 and
// E-AC-3 by object type), 'alac', 'ima4', '.mp3', 'ms\0\x55', 'ms\0\x11',
// 'ms\0\x02', 'MAC3',
// 'MAC6', 'QDM2', 'QDMC', 'Qclp', 'agsm', 'samr', 'sawb', 'ac-3', 'ec-3', 'fLaC'
// and 'Opus'.
compressed_parse_result parse_compressed_description(const uint8_t* data, size_t size, compressed_format& out);

// The data formats above with their codecs, in a fixed order.
struct compressed_format_entry {
    OSType format;
    sound_codec codec;
};
std::vector<compressed_format_entry> compressed_formats();

}  // namespace qtrt::audio

// A sound sample description reduced to what decoding needs: how one stored
// sample frame is laid out and how its samples become floating point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/atom_reader.h"
#include "quicktime/mac_types.h"

namespace qtrt::audio {

enum class sample_coding : uint8_t {
    signed_int,    // two's complement
    offset_binary, // unsigned, zero at half scale
    floating,      // IEEE 754, 4 or 8 bytes
    mu_law,        // G.711, one byte
    a_law,         // G.711, one byte
};

struct sound_format {
    OSType format = 0;
    uint32_t channels = 0;
    double sample_rate = 0.0;
    // Significant bits of a sample as the description states them (16 for
    // the G.711 formats, whose samples expand to 16 bits).
    uint32_t bits_per_channel = 0;
    // Stored size of one channel's sample, and of one frame of all channels.
    uint32_t bytes_per_sample = 0;
    uint32_t bytes_per_frame = 0;
    sample_coding coding = sample_coding::signed_int;
    bool little_endian = false;
    // Integer samples narrower than their container sit in its high bits;
    // otherwise in its low bits.
    bool aligned_high = true;
    // False for compressed formats this runtime cannot decode.
    bool decodable = false;
};

enum class sound_parse_result {
    ok,
    truncated,      // the description ends inside its fixed fields
    invalid,        // no or over 64 channels, a rate outside 1 Hz .. 1 MHz, an unknown version
};

// The fields of a stored sound description (versions 0, 1 and 2) and where
// its extension atoms lie.
struct sound_description_fields {
    OSType format = 0;
    uint16_t version = 0;
    int16_t compression_id = 0;
    uint32_t channels = 0;
    uint32_t sample_size = 0;        // bits; version 2: constBitsPerChannel
    double sample_rate = 0.0;
    uint32_t frames_per_packet = 0;  // version 1: samples per packet; version 2: LPCM frames per packet
    uint32_t bytes_per_packet = 0;   // version 1: of one channel; version 2: of all channels
    uint32_t bytes_per_frame = 0;    // version 1: a packet of all channels
    uint32_t lpcm_flags = 0;         // version 2
    size_t extensions_offset = 0;    // the extension atoms lie in [extensions_offset, extensions_end)
    size_t extensions_end = 0;
};

// Reads the fields of a sound sample description as stored in the movie:
// big-endian, starting with its size and data format.
sound_parse_result read_sound_description_fields(const uint8_t* data, size_t size, sound_description_fields& out);

// The contents of the first extension atom of the type, looked for among the
// extensions and then inside their 'wave' atom. False when there is none.
bool find_sound_extension(const uint8_t* data, const sound_description_fields& fields, OSType type,
                          qt_format::atom_reader& body);

// Parses a sound sample description as stored in the movie. Versions 0, 1
// and 2 are read; endianness comes from an 'enda' atom inside a 'wave' atom
// (or among the extensions directly) and, for 'lpcm', from the format flags.
sound_parse_result parse_sound_description(const uint8_t* data, size_t size, sound_format& out);

}  // namespace qtrt::audio

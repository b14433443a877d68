// Sound sample descriptions, versions 0, 1 and 2, of the QuickTime file
// format: fixed fields, then extension atoms.
#include <cstring>

#include "audio/audio_constants.h"
#include "audio/sound_description.h"
#include "format/atom_walk.h"

namespace qtrt::audio {

using qt_format::atom_reader;
using qt_format::atom;
using qt_format::next_atom;

namespace {

constexpr size_t kGeneralHeaderSize = 16;  // size, format, reserved, data ref index
constexpr size_t kVersion2StructSize = 72;
constexpr uint32_t kMaxChannels = 64;
constexpr double kMaxSampleRate = 1.0e6;

bool read_fixed_fields(atom_reader& r, sound_description_fields& f) {
    uint16_t revision = 0, channels16 = 0, sample_size16 = 0, compression_id = 0, packet_size = 0;
    uint32_t vendor = 0, rate_fixed = 0;
    if (!r.read_u16(f.version) || !r.read_u16(revision) || !r.read_u32(vendor) ||
        !r.read_u16(channels16) || !r.read_u16(sample_size16) || !r.read_u16(compression_id) ||
        !r.read_u16(packet_size) || !r.read_u32(rate_fixed))
        return false;
    f.channels = channels16;
    f.sample_size = sample_size16;
    f.compression_id = int16_t(compression_id);
    f.sample_rate = rate_fixed / 65536.0;
    f.extensions_offset = r.position();

    if (f.version == 1) {
        uint32_t bytes_per_sample = 0;
        if (!r.read_u32(f.frames_per_packet) || !r.read_u32(f.bytes_per_packet) ||
            !r.read_u32(f.bytes_per_frame) || !r.read_u32(bytes_per_sample))
            return false;
        f.extensions_offset = r.position();
    } else if (f.version == 2) {
        // The version 0 fields hold fixed values; the real ones follow.
        uint32_t struct_size = 0, channels = 0, always_7f = 0, bits = 0;
        uint64_t rate_bits = 0;
        const bool read = r.read_u32(struct_size) && r.read_u64(rate_bits);
        std::memcpy(&f.sample_rate, &rate_bits, sizeof rate_bits);
        if (!read || !r.read_u32(channels) || !r.read_u32(always_7f) || !r.read_u32(bits) ||
            !r.read_u32(f.lpcm_flags) || !r.read_u32(f.bytes_per_packet) ||
            !r.read_u32(f.frames_per_packet))
            return false;
        f.channels = channels;
        f.sample_size = bits;
        f.extensions_offset = struct_size > kVersion2StructSize ? struct_size : kVersion2StructSize;
    }
    return true;
}

// The atom of the type among the atoms of r, descending once into 'wave'.
bool find_atom_in(atom_reader r, OSType type, int depth, atom_reader& body) {
    atom a;
    bool malformed = false;
    atom_reader wave;
    bool has_wave = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == type) {
            body = a.body;
            return true;
        }
        if (a.type == kAtomWave && depth == 0 && !has_wave) {
            wave = a.body;
            has_wave = true;
        }
    }
    return has_wave && find_atom_in(wave, type, depth + 1, body);
}

uint32_t fixed_width_bits(OSType format) {
    switch (format) {
    case kFormatIn24: return 24;
    case kFormatIn32: return 32;
    case kFloat32Format: return 32;
    case kFormatFl64: return 64;
    default: return 0;
    }
}

bool supported_integer_bits(uint32_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Fills coding, widths and endianness for the format; answers whether the
// runtime can decode it.
bool describe_coding(OSType format, const sound_description_fields& f, bool enda_little, sound_format& out) {
    uint32_t bits = f.sample_size;
    // Version 1 keeps 16 in the sample size of uncompressed sound and gives
    // the width of one sample as its bytes per packet (one channel's), when
    // that agrees with its bytes per frame.
    if (f.version == 1 && f.bytes_per_packet >= 1 && f.bytes_per_packet <= 4 &&
        f.bytes_per_frame == f.bytes_per_packet * f.channels)
        bits = f.bytes_per_packet * 8;
    // A format of 0 is 8-bit 'raw ' or 16-bit 'twos' by its sample size.
    if (format == kFormatUnspecified) format = bits == 8 ? kFormatRaw : kFormatTwos;
    switch (format) {
    case kFormatTwos:
    case kFormatSowt:
        out.coding = sample_coding::signed_int;
        out.little_endian = format == kFormatSowt || enda_little;
        break;
    case kFormatRaw:
    case kFormatNone:
        // 8-bit samples of these formats are offset binary; 'NONE' with 16
        // bits is the big-endian signed form of uncompressed sound.
        out.coding = (format == kFormatNone && bits == 16) ? sample_coding::signed_int
                                                           : sample_coding::offset_binary;
        out.little_endian = false;
        if (bits != 8 && bits != 16) return false;
        break;
    case kFormatIn24:
    case kFormatIn32:
        out.coding = sample_coding::signed_int;
        out.little_endian = enda_little;
        bits = fixed_width_bits(format);
        break;
    case kFloat32Format:
    case kFormatFl64:
        out.coding = sample_coding::floating;
        out.little_endian = enda_little;
        bits = fixed_width_bits(format);
        break;
    case kFormatUlaw:
    case kFormatAlaw:
        out.coding = format == kFormatUlaw ? sample_coding::mu_law : sample_coding::a_law;
        out.bits_per_channel = 16;
        out.bytes_per_sample = 1;
        return true;
    case kFormatLpcm: {
        if (f.version != 2) return false;
        const uint32_t flags = f.lpcm_flags;
        out.little_endian = !(flags & kAudioFormatFlagIsBigEndian);
        out.aligned_high = (flags & kAudioFormatFlagIsAlignedHigh) || (flags & kAudioFormatFlagIsPacked);
        uint32_t container = (bits + 7) / 8;
        if (f.frames_per_packet == 1 && f.bytes_per_packet != 0 && f.channels != 0) {
            if (f.bytes_per_packet % f.channels != 0) return false;
            container = f.bytes_per_packet / f.channels;
        }
        // Non-interleaved storage is the same as interleaved only with one
        // frame per packet.
        if ((flags & kAudioFormatFlagIsNonInterleaved) && f.frames_per_packet != 1) return false;
        if (flags & kAudioFormatFlagIsFloat) {
            out.coding = sample_coding::floating;
            if (!((bits == 32 && container == 4) || (bits == 64 && container == 8))) return false;
        } else {
            out.coding = (flags & kAudioFormatFlagIsSignedInteger) ? sample_coding::signed_int
                                                                   : sample_coding::offset_binary;
            if (bits == 0 || container == 0 || container > 4 || bits > container * 8) return false;
        }
        out.bits_per_channel = bits;
        out.bytes_per_sample = container;
        return true;
    }
    default:
        return false;
    }
    if (out.coding != sample_coding::floating && !supported_integer_bits(bits)) return false;
    out.bits_per_channel = bits;
    out.bytes_per_sample = bits / 8;
    return true;
}

}  // namespace

sound_parse_result read_sound_description_fields(const uint8_t* data, size_t size, sound_description_fields& out) {
    out = sound_description_fields{};
    atom_reader r(data, size);
    uint32_t declared_size = 0;
    if (!r.read_u32(declared_size) || !r.read_u32(out.format) ||
        !r.skip(kGeneralHeaderSize - 8) || !read_fixed_fields(r, out))
        return sound_parse_result::truncated;
    if (out.version > 2) return sound_parse_result::invalid;
    if (out.channels == 0 || out.channels > kMaxChannels ||
        !(out.sample_rate >= 1.0 && out.sample_rate <= kMaxSampleRate))
        return sound_parse_result::invalid;
    out.extensions_end =
        declared_size >= out.extensions_offset && declared_size <= size ? declared_size : size;
    if (out.extensions_offset > out.extensions_end) out.extensions_offset = out.extensions_end;
    return sound_parse_result::ok;
}

bool find_sound_extension(const uint8_t* data, const sound_description_fields& f, OSType type, atom_reader& body) {
    if (f.extensions_offset >= f.extensions_end) return false;
    return find_atom_in(atom_reader(data + f.extensions_offset, f.extensions_end - f.extensions_offset), type, 0,
                        body);
}

sound_parse_result parse_sound_description(const uint8_t* data, size_t size, sound_format& out) {
    out = sound_format{};
    sound_description_fields f;
    const sound_parse_result result = read_sound_description_fields(data, size, f);
    if (result != sound_parse_result::ok) return result;

    bool enda_little = false;
    atom_reader enda;
    uint16_t value = 0;
    if (find_sound_extension(data, f, kAtomEnda, enda) && enda.read_u16(value)) enda_little = value != 0;

    out.format = f.format;
    out.channels = f.channels;
    out.sample_rate = f.sample_rate;
    out.decodable = describe_coding(f.format, f, enda_little, out);
    if (out.decodable) out.bytes_per_frame = out.bytes_per_sample * out.channels;
    else out.bits_per_channel = f.sample_size;
    return sound_parse_result::ok;
}

}  // namespace qtrt::audio

// Sound sample descriptions, versions 0, 1 and 2, of the QuickTime file
// format: fixed fields, then extension atoms.
#include <cstring>

#include "audio/audio_constants.h"
#include "audio/sound_format.h"
#include "movie/atom_reader.h"

namespace qtrt::audio {
namespace {

constexpr size_t kGeneralHeaderSize = 16;  // size, format, reserved, data ref index
constexpr size_t kVersion2StructSize = 72;
constexpr uint32_t kMaxChannels = 64;
constexpr double kMaxSampleRate = 1.0e6;

struct raw_fields {
    uint16_t version = 0;
    uint32_t channels = 0;
    uint32_t sample_size = 0;
    double sample_rate = 0.0;
    uint32_t lpcm_flags = 0;
    uint32_t bytes_per_packet = 0;
    uint32_t frames_per_packet = 0;
    size_t extensions_offset = 0;
};

bool read_fixed_fields(atom_reader& r, raw_fields& f) {
    uint16_t revision = 0, channels16 = 0, sample_size16 = 0, compression_id = 0, packet_size = 0;
    uint32_t vendor = 0, rate_fixed = 0;
    r.read_u16(f.version);
    r.read_u16(revision);
    r.read_u32(vendor);
    r.read_u16(channels16);
    r.read_u16(sample_size16);
    r.read_u16(compression_id);
    r.read_u16(packet_size);
    r.read_u32(rate_fixed);
    if (r.failed()) return false;
    f.channels = channels16;
    f.sample_size = sample_size16;
    f.sample_rate = rate_fixed / 65536.0;
    f.extensions_offset = r.position();

    if (f.version == 1) {
        uint32_t samples_per_packet = 0, bytes_per_packet = 0, bytes_per_frame = 0, bytes_per_sample = 0;
        r.read_u32(samples_per_packet);
        r.read_u32(bytes_per_packet);
        r.read_u32(bytes_per_frame);
        r.read_u32(bytes_per_sample);
        if (r.failed()) return false;
        f.frames_per_packet = samples_per_packet;
        f.bytes_per_packet = bytes_per_packet;
        f.extensions_offset = r.position();
    } else if (f.version == 2) {
        // The version 0 fields hold fixed values; the real ones follow.
        uint32_t struct_size = 0, channels = 0, always_7f = 0, bits = 0;
        r.read_u32(struct_size);
        uint64_t rate_bits = 0;
        r.read_u64(rate_bits);
        std::memcpy(&f.sample_rate, &rate_bits, sizeof rate_bits);
        r.read_u32(channels);
        r.read_u32(always_7f);
        r.read_u32(bits);
        r.read_u32(f.lpcm_flags);
        r.read_u32(f.bytes_per_packet);
        r.read_u32(f.frames_per_packet);
        if (r.failed()) return false;
        f.channels = channels;
        f.sample_size = bits;
        f.extensions_offset = struct_size > kVersion2StructSize ? struct_size : kVersion2StructSize;
    }
    return true;
}

// Looks for 'enda' among the atoms of r, descending into 'wave'. Answers
// true and sets little_endian when found.
bool find_endianness(atom_reader r, int depth, bool& little_endian) {
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == kAtomEnda) {
            uint16_t value = 0;
            if (!a.body.read_u16(value)) return false;
            little_endian = value != 0;
            return true;
        }
        if (a.type == kAtomWave && depth == 0 && find_endianness(a.body, depth + 1, little_endian)) return true;
    }
    return false;
}

uint32_t fixed_width_bits(OSType format) {
    switch (format) {
    case kFormatIn24: return 24;
    case kFormatIn32: return 32;
    case kFormatFl32: return 32;
    case kFormatFl64: return 64;
    default: return 0;
    }
}

bool supported_integer_bits(uint32_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Fills coding, widths and endianness for the format; answers whether the
// runtime can decode it.
bool describe_coding(OSType format, const raw_fields& f, bool enda_little, sound_format& out) {
    uint32_t bits = f.sample_size;
    switch (format) {
    case kFormatTwos:
    case kFormatSowt:
        out.coding = sample_coding::signed_int;
        out.little_endian = format == kFormatSowt || enda_little;
        if (bits != 8 && bits != 16) return false;
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
    case kFormatFl32:
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

sound_parse_result parse_sound_description(const uint8_t* data, size_t size, sound_format& out) {
    out = sound_format{};
    atom_reader r(data, size);
    uint32_t declared_size = 0, format = 0;
    r.read_u32(declared_size);
    r.read_u32(format);
    r.skip(kGeneralHeaderSize - 8);
    raw_fields f;
    if (r.failed() || !read_fixed_fields(r, f)) return sound_parse_result::truncated;
    if (f.version > 2) return sound_parse_result::invalid;
    if (f.channels == 0 || f.channels > kMaxChannels || !(f.sample_rate >= 1.0 && f.sample_rate <= kMaxSampleRate))
        return sound_parse_result::invalid;

    const size_t end = declared_size >= f.extensions_offset && declared_size <= size ? declared_size : size;
    bool enda_little = false;
    if (f.extensions_offset < end)
        find_endianness(atom_reader(data + f.extensions_offset, end - f.extensions_offset), 0, enda_little);

    out.format = format;
    out.channels = f.channels;
    out.sample_rate = f.sample_rate;
    out.decodable = describe_coding(format, f, enda_little, out);
    if (out.decodable) out.bytes_per_frame = out.bytes_per_sample * out.channels;
    else out.bits_per_channel = f.sample_size;
    return sound_parse_result::ok;
}

}  // namespace qtrt::audio

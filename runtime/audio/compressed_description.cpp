// Compressed sound descriptions: the codec behind the data format and the
// configuration its decoder needs, from the description's extension atoms.
#include <algorithm>
#include <iterator>

#include "audio/audio_constants.h"
#include "audio/compressed_description.h"
#include "audio/sound_description.h"

namespace qtrt::audio {

using qt_format::atom_reader;

namespace {

// Largest constant packet accepted; the largest known (QDesign at 48 kHz
// stereo) is a few kilobytes.
constexpr uint32_t kMaxConstantPacketBytes = 65536;
constexpr size_t kAppleLosslessConfigSize = 24;
constexpr size_t kFlacStreamInfoSize = 34;

// MPEG-4 descriptor tags (ISO/IEC 14496-1) and object types of the
// DecoderConfigDescriptor.
constexpr uint8_t kEsDescriptorTag = 0x03;
constexpr uint8_t kDecoderConfigTag = 0x04;
constexpr uint8_t kDecoderSpecificInfoTag = 0x05;
constexpr uint8_t kObjectMpeg4Audio = 0x40;
constexpr uint8_t kObjectMpeg2AacMain = 0x66;
constexpr uint8_t kObjectMpeg2AacLowComplexity = 0x67;
constexpr uint8_t kObjectMpeg2AacScalable = 0x68;
constexpr uint8_t kObjectMpeg2Audio = 0x69;
constexpr uint8_t kObjectMpeg1Audio = 0x6B;
constexpr uint8_t kObjectAc3 = 0xA5;
constexpr uint8_t kObjectEnhancedAc3 = 0xA6;

// Formats by data format, with the constant packet layout a version 0
// description implies (version 1 states its own).
struct format_row {
    OSType format;
    sound_codec codec;
    uint32_t frames_per_packet;
    uint32_t bytes_per_channel_packet;
};

constexpr format_row k_formats[] = {
    {kFormatAac, sound_codec::aac, 0, 0},
    {kFormatAppleLossless, sound_codec::apple_lossless, 0, 0},
    {kFormatIma4, sound_codec::ima4, 64, 34},
    {kFormatMp3, sound_codec::mp3, 0, 0},
    {kFormatMp3WaveTag, sound_codec::mp3, 0, 0},
    {kFormatMace3, sound_codec::mace3, 6, 2},
    {kFormatMace6, sound_codec::mace6, 6, 1},
    {kFormatQDesign2, sound_codec::qdesign2, 0, 0},
    {kFormatQDesign, sound_codec::qdesign, 0, 0},
    {kFormatPureVoice, sound_codec::pure_voice, 160, 35},
    {kFormatGsm, sound_codec::gsm, 160, 33},
    {kFormatAmrNarrowband, sound_codec::amr_narrowband, 0, 0},
    // AMR wideband as narrowband: each media sample is one packet of whole
    // frames (the sample description's 'damr' frames per sample), its
    // duration the frames it holds.
    {kFormatAmrWideband, sound_codec::amr_wideband, 0, 0},
    {kFormatAc3, sound_codec::ac3, 0, 0},
    {kFormatEnhancedAc3, sound_codec::enhanced_ac3, 0, 0},
    {kFormatFlac, sound_codec::flac, 0, 0},
    {kFormatOpus, sound_codec::opus, 0, 0},
    // The ADPCM of the WAV layout has no packet of its own: its WAVEFORMATEX
    // or a version 1 description states it.
    {kFormatImaWav, sound_codec::ima_wav, 0, 0},
    {kFormatMsAdpcm, sound_codec::ms_adpcm, 0, 0},
};

const format_row* find_format(OSType format) {
    for (const format_row& row : k_formats)
        if (row.format == format) return &row;
    return nullptr;
}

// Formats whose media samples are sample frames in a version 0 description.
bool constant_packets(sound_codec codec) {
    switch (codec) {
    case sound_codec::ima4:
    case sound_codec::mace3:
    case sound_codec::mace6:
    case sound_codec::qdesign2:
    case sound_codec::qdesign:
    case sound_codec::pure_voice:
    case sound_codec::gsm:
    case sound_codec::ima_wav:
    case sound_codec::ms_adpcm:
        return true;
    default:
        return false;
    }
}

void take(atom_reader r, std::vector<uint8_t>& out) {
    const uint8_t* p = r.current();
    if (p) out.assign(p, p + r.remaining());
}

// An MPEG-4 descriptor header: tag and a length of up to four 7-bit groups.
bool read_descriptor(atom_reader& r, uint8_t& tag, atom_reader& body) {
    uint32_t length = 0;
    if (!r.read_u8(tag)) return false;
    for (int i = 0; i < 4; ++i) {
        uint8_t b = 0;
        if (!r.read_u8(b)) return false;
        length = length << 7 | (b & 0x7F);
        if (!(b & 0x80)) break;
    }
    if (length > r.remaining()) return false;
    body = r.sub(length);
    return !r.failed();
}

// The 'esds' contents: version and flags, then an ES_Descriptor holding the
// DecoderConfigDescriptor and, in it, the DecoderSpecificInfo.
bool parse_esds(atom_reader r, uint8_t& object_type, std::vector<uint8_t>& config) {
    uint32_t version_flags = 0;
    uint8_t tag = 0;
    atom_reader es;
    if (!r.read_u32(version_flags) || !read_descriptor(r, tag, es) || tag != kEsDescriptorTag) return false;
    uint16_t es_id = 0;
    uint8_t flags = 0, url_length = 0;
    // ES_ID and flags, then the fields the flags announce: dependsOn_ES_ID,
    // a URL, OCR_ES_Id.
    const bool read = es.read_u16(es_id) && es.read_u8(flags) &&
                      (!(flags & 0x80) || es.skip(2)) &&
                      (!(flags & 0x40) || (es.read_u8(url_length) && es.skip(url_length))) &&
                      (!(flags & 0x20) || es.skip(2));
    atom_reader dc;
    if (!read || !read_descriptor(es, tag, dc) || tag != kDecoderConfigTag) return false;
    if (!dc.read_u8(object_type) || !dc.skip(12)) return false;  // stream type, buffer size, bit rates
    atom_reader info;
    config.clear();
    if (dc.remaining() > 0 && read_descriptor(dc, tag, info) && tag == kDecoderSpecificInfoTag) take(info, config);
    return true;
}

compressed_parse_result configure_mp4a(const uint8_t* data, const sound_description_fields& f,
                                       compressed_format& out) {
    atom_reader esds;
    uint8_t object_type = 0;
    if (!find_sound_extension(data, f, kAtomEsds, esds) || !parse_esds(esds, object_type, out.config))
        return compressed_parse_result::broken;
    switch (object_type) {
    case kObjectMpeg4Audio:
    case kObjectMpeg2AacMain:
    case kObjectMpeg2AacLowComplexity:
    case kObjectMpeg2AacScalable:
        out.codec = sound_codec::aac;
        // Raw AAC packets cannot be decoded without their AudioSpecificConfig.
        return out.config.empty() ? compressed_parse_result::broken : compressed_parse_result::ok;
    case kObjectMpeg2Audio:
    case kObjectMpeg1Audio:
        out.codec = sound_codec::mp3;
        break;
    case kObjectAc3:
        out.codec = sound_codec::ac3;
        break;
    case kObjectEnhancedAc3:
        out.codec = sound_codec::enhanced_ac3;
        break;
    default:
        return compressed_parse_result::not_compressed;
    }
    out.config.clear();
    return compressed_parse_result::ok;
}

// The decoder takes the whole atom: size, 'alac', version and flags, then
// the 24-byte ALACSpecificConfig. A QuickTime 'wave' may hold the atom, and
// an MP4 sample entry holds it among its own children.
compressed_parse_result configure_alac(const uint8_t* data, const sound_description_fields& f,
                                       compressed_format& out) {
    atom_reader alac;
    if (!find_sound_extension(data, f, kAtomAlac, alac) || alac.remaining() < 4 + kAppleLosslessConfigSize)
        return compressed_parse_result::broken;
    const uint8_t* p = alac.current();
    const uint32_t size = uint32_t(8 + 4 + kAppleLosslessConfigSize);
    out.config = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size), 'a', 'l', 'a', 'c'};
    out.config.insert(out.config.end(), p, p + 4 + kAppleLosslessConfigSize);
    // ALACSpecificConfig: frame length (4), compatible version (1), bit depth (1), ...
    const uint8_t bit_depth = p[4 + 5];
    if (bit_depth == 0 || bit_depth > 32) return compressed_parse_result::broken;
    out.bits_per_channel = bit_depth;
    return compressed_parse_result::ok;
}

// 'dfLa': version and flags, then FLAC metadata blocks, STREAMINFO first.
compressed_parse_result configure_flac(const uint8_t* data, const sound_description_fields& f,
                                       compressed_format& out) {
    atom_reader dfla;
    uint32_t version_flags = 0, block_header = 0;
    if (!find_sound_extension(data, f, kAtomFlacConfig, dfla) || !dfla.read_u32(version_flags) ||
        !dfla.read_u32(block_header))
        return compressed_parse_result::broken;
    const uint32_t type = (block_header >> 24) & 0x7F, length = block_header & 0xFFFFFF;
    if (type != 0 || length < kFlacStreamInfoSize || dfla.remaining() < kFlacStreamInfoSize)
        return compressed_parse_result::broken;
    const uint8_t* p = dfla.current();
    out.config.assign(p, p + kFlacStreamInfoSize);
    return compressed_parse_result::ok;
}

// 'dOps' (big-endian fields) becomes the OpusHead the decoder reads
// (little-endian, "OpusHead", version 1).
compressed_parse_result configure_opus(const uint8_t* data, const sound_description_fields& f,
                                       compressed_format& out) {
    atom_reader dops;
    uint8_t version = 0, channels = 0, family = 0;
    uint16_t pre_skip = 0;
    uint32_t rate = 0;
    int16_t gain = 0;
    if (!find_sound_extension(data, f, kAtomOpusConfig, dops)) return compressed_parse_result::broken;
    if (!dops.read_u8(version) || !dops.read_u8(channels) || !dops.read_u16(pre_skip) ||
        !dops.read_u32(rate) || !dops.read_i16(gain) || !dops.read_u8(family) || version != 0 ||
        channels == 0)
        return compressed_parse_result::broken;
    static const char kMagic[] = "OpusHead";
    out.config.assign(kMagic, kMagic + 8);
    const uint16_t g = uint16_t(gain);
    const uint8_t head[] = {1,
                            channels,
                            uint8_t(pre_skip),
                            uint8_t(pre_skip >> 8),
                            uint8_t(rate),
                            uint8_t(rate >> 8),
                            uint8_t(rate >> 16),
                            uint8_t(rate >> 24),
                            uint8_t(g),
                            uint8_t(g >> 8),
                            family};
    out.config.insert(out.config.end(), std::begin(head), std::end(head));
    if (family != 0) {  // stream count, coupled count, one mapping byte per channel
        if (dops.remaining() < size_t(2) + channels) return compressed_parse_result::broken;
        const uint8_t* p = dops.current();
        out.config.insert(out.config.end(), p, p + 2 + channels);
    }
    return compressed_parse_result::ok;
}

// QDesign decoders look for the 'frma' atom and their parameter atoms in the
// contents of 'wave'.
compressed_parse_result configure_qdesign(const uint8_t* data, const sound_description_fields& f,
                                          compressed_format& out) {
    atom_reader wave;
    if (!find_sound_extension(data, f, kAtomWave, wave)) return compressed_parse_result::broken;
    take(wave, out.config);
    return out.config.empty() ? compressed_parse_result::broken : compressed_parse_result::ok;
}

// The ADPCM formats of the WAV layout: the WAVEFORMATEX (little-endian) in an
// atom named as the data format, in 'wave' or among the extensions, gives the
// block (packet) size and the bits per sample; a version 1 description gives
// the block otherwise. Frames per block follow from the block: a header of 4
// (IMA) or 7 (Microsoft) bytes per channel holds 1 or 2 frames, every other
// byte two 4-bit samples.
compressed_parse_result configure_wav_adpcm(const uint8_t* data, const sound_description_fields& f,
                                            compressed_format& out) {
    const bool ima = out.codec == sound_codec::ima_wav;
    const uint32_t header = ima ? 4 : 7, header_frames = ima ? 1 : 2;
    uint32_t block = out.bytes_per_packet, bits = 4;
    atom_reader wfex;
    if (find_sound_extension(data, f, f.format, wfex) && wfex.remaining() >= 16) {
        const uint8_t* p = wfex.current();
        const uint32_t block_align = uint32_t(p[12]) | uint32_t(p[13]) << 8;
        const uint32_t bits_per_sample = uint32_t(p[14]) | uint32_t(p[15]) << 8;
        if (block_align > 0) block = block_align;
        if (bits_per_sample > 0) bits = bits_per_sample;
    }
    if (bits != 4 || f.channels == 0 || block <= header * f.channels || block > kMaxConstantPacketBytes)
        return compressed_parse_result::broken;
    out.bytes_per_packet = block;
    out.frames_per_packet = header_frames + (block - header * f.channels) * 2 / f.channels;
    out.coded_bits = bits;
    return compressed_parse_result::ok;
}

// Where the packets lie: a version 1 description states the frames and bytes
// of a packet; version 0 relies on the format's own. Only formats of constant
// packets use them: the others store one packet per media sample.
bool set_packet_layout(const format_row& row, const sound_description_fields& f, compressed_format& out) {
    if (!constant_packets(row.codec)) return true;
    uint32_t frames = row.frames_per_packet;
    uint64_t bytes = uint64_t(row.bytes_per_channel_packet) * f.channels;
    if (f.version == 1 && f.frames_per_packet > 0 && f.bytes_per_frame > 0) {
        frames = f.frames_per_packet;
        bytes = f.bytes_per_frame;
    }
    const bool wav_layout = row.codec == sound_codec::ima_wav || row.codec == sound_codec::ms_adpcm;
    if (!wav_layout && (frames == 0 || bytes == 0 || bytes > kMaxConstantPacketBytes)) return false;
    out.frames_per_packet = frames;
    out.bytes_per_packet = uint32_t(bytes);
    return true;
}

}  // namespace

std::vector<compressed_format_entry> compressed_formats() {
    std::vector<compressed_format_entry> formats;
    for (const format_row& row : k_formats) formats.push_back({row.format, row.codec});
    return formats;
}

compressed_parse_result parse_compressed_description(const uint8_t* data, size_t size, compressed_format& out) {
    out = compressed_format{};
    sound_description_fields f;
    if (read_sound_description_fields(data, size, f) != sound_parse_result::ok)
        return compressed_parse_result::broken;
    const format_row* row = find_format(f.format);
    if (!row) return compressed_parse_result::not_compressed;
    out.codec = row->codec;
    out.format = f.format;
    out.channels = f.channels;
    out.sample_rate = f.sample_rate;
    if (f.sample_size > 0 && f.sample_size <= 32) out.bits_per_channel = f.sample_size;
    if (!set_packet_layout(*row, f, out)) return compressed_parse_result::broken;
    switch (row->codec) {
    case sound_codec::aac:
        return configure_mp4a(data, f, out);
    case sound_codec::apple_lossless:
        return configure_alac(data, f, out);
    case sound_codec::flac:
        return configure_flac(data, f, out);
    case sound_codec::opus:
        return configure_opus(data, f, out);
    case sound_codec::qdesign2:
    case sound_codec::qdesign:
        return configure_qdesign(data, f, out);
    case sound_codec::ima_wav:
    case sound_codec::ms_adpcm:
        return configure_wav_adpcm(data, f, out);
    default:
        return compressed_parse_result::ok;
    }
}

}  // namespace qtrt::audio

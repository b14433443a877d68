#include "importer/data_format.h"

#include <algorithm>
#include <iterator>

#include "importer/image_description.h"
#include "importer/qt_constants.h"
#include "lib/kolmbase/bytestream.h"

namespace ns_movie_apple_qt {

namespace {

// The codec types published as they are.
const uint32_t kUnchanged[] = {
    qt_fourcc("2Vuy"), qt_fourcc("2vuy"), qt_fourcc("AV1x"), qt_fourcc("AVDJ"), qt_fourcc("AVUI"),
    qt_fourcc("AVd1"), qt_fourcc("AVdn"), qt_fourcc("AVdv"), qt_fourcc("AVmp"), qt_fourcc("WRAW"),
    qt_fourcc("ai12"), qt_fourcc("ai13"), qt_fourcc("ai15"), qt_fourcc("ai16"), qt_fourcc("ai1p"),
    qt_fourcc("ai1q"), qt_fourcc("ai52"), qt_fourcc("ai53"), qt_fourcc("ai55"), qt_fourcc("ai56"),
    qt_fourcc("ai5p"), qt_fourcc("ai5q"), qt_fourcc("ap4h"), qt_fourcc("apch"), qt_fourcc("apcn"),
    qt_fourcc("apco"), qt_fourcc("apcs"), qt_fourcc("dvh2"), qt_fourcc("dvh3"), qt_fourcc("dvh5"),
    qt_fourcc("dvh6"), qt_fourcc("dvhp"), qt_fourcc("dvhq"), qt_fourcc("h263"), qt_fourcc("h264"),
    qt_fourcc("hdv1"), qt_fourcc("hdv2"), qt_fourcc("hdv3"), qt_fourcc("hdv4"), qt_fourcc("hdv5"),
    qt_fourcc("hdv6"), qt_fourcc("hdv7"), qt_fourcc("hdv_"), qt_fourcc("mp1v"), qt_fourcc("mp2v"),
    qt_fourcc("mp4v"), qt_fourcc("mv40"), qt_fourcc("mv42"), qt_fourcc("mx3n"), qt_fourcc("mx3p"),
    qt_fourcc("mx4n"), qt_fourcc("mx4p"), qt_fourcc("mx5n"), qt_fourcc("mx5p"), qt_fourcc("rle "),
    qt_fourcc("v210"), qt_fourcc("xd59"), qt_fourcc("xd5a"), qt_fourcc("xd5b"), qt_fourcc("xd5c"),
    qt_fourcc("xd5d"), qt_fourcc("xd5e"), qt_fourcc("xd5f"), qt_fourcc("xdcm"), qt_fourcc("xdv1"),
    qt_fourcc("xdv2"), qt_fourcc("xdv3"), qt_fourcc("xdv4"), qt_fourcc("xdv5"), qt_fourcc("xdv6"),
    qt_fourcc("xdv7"), qt_fourcc("xdv8"), qt_fourcc("xdv9"), qt_fourcc("xdva"), qt_fourcc("xdvb"),
    qt_fourcc("xdvc"), qt_fourcc("xdvd"), qt_fourcc("xdve"), qt_fourcc("xdvf"), qt_fourcc("xdv_"),
};

struct renamed {
    uint32_t codec;
    uint32_t format;
};

const renamed kRenamed[] = {
    {qt_fourcc("avc1"), qt_fourcc("h264")},
    {qt_fourcc("mpeg"), qt_fourcc("mp2v")},
    // A codec type of 32, as old uncompressed movies store it.
    {0x00000020, qt_fourcc("ar32")},
};

constexpr uint32_t kCodecRaw = qt_fourcc("raw ");

struct variant_row {
    uint32_t compression_id;
    uint32_t variant;
};

const variant_row kDnxhdVariants[] = {
    {1235, qt_fourcc("dn10")}, {1241, qt_fourcc("dn10")}, {1250, qt_fourcc("dn10")},
    {1237, qt_fourcc("dn8s")}, {1242, qt_fourcc("dn8s")}, {1244, qt_fourcc("dn8s")},
    {1252, qt_fourcc("dn8s")}, {1238, qt_fourcc("dn8h")}, {1243, qt_fourcc("dn8h")},
    {1251, qt_fourcc("dn8h")}, {1253, qt_fourcc("dn8l")},
};

constexpr uint32_t kAres = qt_fourcc("ARES");
// The compression ID lies 16 bytes into the atom, 8 into its payload.
constexpr size_t kAresIdOffset = 8;
constexpr size_t kAresMinPayload = 12;

struct field_row {
    uint32_t codec;
    unsigned mode;
};

const field_row kFieldModes[] = {
    {qt_fourcc("dvc "), 2}, {qt_fourcc("dvcp"), 2}, {qt_fourcc("dvpp"), 2}, {qt_fourcc("dvcn"), 2},
    {qt_fourcc("dv5n"), 2}, {qt_fourcc("dv5p"), 2}, {qt_fourcc("dvn_"), 2}, {qt_fourcc("dvp_"), 2},
    {qt_fourcc("mx3n"), 1}, {qt_fourcc("mx3p"), 1}, {qt_fourcc("mx4n"), 1}, {qt_fourcc("mx4p"), 1},
    {qt_fourcc("mx5n"), 1}, {qt_fourcc("mx5p"), 1}, {qt_fourcc("xdv2"), 1}, {qt_fourcc("xdv3"), 1},
    {qt_fourcc("xdvb"), 1}, {qt_fourcc("xdvc"), 1}, {qt_fourcc("xdv1"), 3}, {qt_fourcc("xdv4"), 3},
    {qt_fourcc("xdv5"), 3}, {qt_fourcc("xdv7"), 3}, {qt_fourcc("xdv8"), 3}, {qt_fourcc("xdv9"), 3},
    {qt_fourcc("xdva"), 3}, {qt_fourcc("xdvd"), 3}, {qt_fourcc("xdve"), 3}, {qt_fourcc("xdvf"), 3},
};

}  // namespace

uint32_t map_video_codec(uint32_t codec, int depth) {
    if (std::find(std::begin(kUnchanged), std::end(kUnchanged), codec) != std::end(kUnchanged))
        return codec;
    for (const renamed& row : kRenamed)
        if (row.codec == codec) return row.format;
    if (codec == kCodecRaw) {
        if (depth == 32) return qt_fourcc("ar32");
        if (depth == 24) return qt_fourcc("rg24");
        return kCodecRaw;
    }
    return kFormatQuickTime;
}

bool is_avc_codec(uint32_t codec) { return codec == kCodecAvc1 || codec == kFormatH264; }

uint32_t apply_avc_profile(uint32_t format, bool has_profile, uint8_t profile) {
    if (!has_profile) return format;
    if (profile == 110 || profile == 122 || profile == 144) return kFormatH264High;
    return format;
}

uint32_t dnxhd_variant(const uint8_t* description, size_t size) {
    const uint8_t* payload = nullptr;
    size_t payload_size = 0;
    if (!image_description::find_extension(description, size, kAres, payload, payload_size))
        return 0;
    if (payload_size < kAresMinPayload) return 0;
    kolmbase::bytestream::rd atom(payload + kAresIdOffset, payload_size - kAresIdOffset);
    uint32_t compression_id = 0;
    if (!atom.u32be(compression_id)) return 0;
    for (const variant_row& row : kDnxhdVariants)
        if (row.compression_id == compression_id) return row.variant;
    return 0;
}

uint32_t map_audio_format(uint32_t format) {
    return format == kFloat32Format ? qt_fourcc("f32b") : format;
}

unsigned default_field_mode(uint32_t codec) {
    for (const field_row& row : kFieldModes)
        if (row.codec == codec) return row.mode;
    return 0;
}

}  // namespace ns_movie_apple_qt

#include "importer/data_format.h"

#include <algorithm>
#include <iterator>

#include "importer/image_description.h"
#include "lib/kolmbase/bytestream.h"

namespace ns_movie_apple_qt {

namespace {

// The codec types published as they are.
const uint32_t kUnchanged[] = {
    fourcc("2Vuy"), fourcc("2vuy"), fourcc("AV1x"), fourcc("AVDJ"), fourcc("AVUI"),
    fourcc("AVd1"), fourcc("AVdn"), fourcc("AVdv"), fourcc("AVmp"), fourcc("WRAW"),
    fourcc("ai12"), fourcc("ai13"), fourcc("ai15"), fourcc("ai16"), fourcc("ai1p"),
    fourcc("ai1q"), fourcc("ai52"), fourcc("ai53"), fourcc("ai55"), fourcc("ai56"),
    fourcc("ai5p"), fourcc("ai5q"), fourcc("ap4h"), fourcc("apch"), fourcc("apcn"),
    fourcc("apco"), fourcc("apcs"), fourcc("dvh2"), fourcc("dvh3"), fourcc("dvh5"),
    fourcc("dvh6"), fourcc("dvhp"), fourcc("dvhq"), fourcc("h263"), fourcc("h264"),
    fourcc("hdv1"), fourcc("hdv2"), fourcc("hdv3"), fourcc("hdv4"), fourcc("hdv5"),
    fourcc("hdv6"), fourcc("hdv7"), fourcc("hdv_"), fourcc("mp1v"), fourcc("mp2v"),
    fourcc("mp4v"), fourcc("mv40"), fourcc("mv42"), fourcc("mx3n"), fourcc("mx3p"),
    fourcc("mx4n"), fourcc("mx4p"), fourcc("mx5n"), fourcc("mx5p"), fourcc("rle "),
    fourcc("v210"), fourcc("xd59"), fourcc("xd5a"), fourcc("xd5b"), fourcc("xd5c"),
    fourcc("xd5d"), fourcc("xd5e"), fourcc("xd5f"), fourcc("xdcm"), fourcc("xdv1"),
    fourcc("xdv2"), fourcc("xdv3"), fourcc("xdv4"), fourcc("xdv5"), fourcc("xdv6"),
    fourcc("xdv7"), fourcc("xdv8"), fourcc("xdv9"), fourcc("xdva"), fourcc("xdvb"),
    fourcc("xdvc"), fourcc("xdvd"), fourcc("xdve"), fourcc("xdvf"), fourcc("xdv_"),
};

struct renamed {
    uint32_t codec;
    uint32_t format;
};

const renamed kRenamed[] = {
    {fourcc("avc1"), fourcc("h264")},
    {fourcc("mpeg"), fourcc("mp2v")},
    // A codec type of 32, as old uncompressed movies store it.
    {0x00000020, fourcc("ar32")},
};

constexpr uint32_t kCodecRaw = fourcc("raw ");

struct variant_row {
    uint32_t compression_id;
    uint32_t variant;
};

const variant_row kDnxhdVariants[] = {
    {1235, fourcc("dn10")}, {1241, fourcc("dn10")}, {1250, fourcc("dn10")},
    {1237, fourcc("dn8s")}, {1242, fourcc("dn8s")}, {1244, fourcc("dn8s")},
    {1252, fourcc("dn8s")}, {1238, fourcc("dn8h")}, {1243, fourcc("dn8h")},
    {1251, fourcc("dn8h")}, {1253, fourcc("dn8l")},
};

constexpr uint32_t kAres = fourcc("ARES");
// The compression ID lies 16 bytes into the atom, 8 into its payload.
constexpr size_t kAresIdOffset = 8;
constexpr size_t kAresMinPayload = 12;

struct field_row {
    uint32_t codec;
    unsigned mode;
};

const field_row kFieldModes[] = {
    {fourcc("dvc "), 2}, {fourcc("dvcp"), 2}, {fourcc("dvpp"), 2}, {fourcc("dvcn"), 2},
    {fourcc("dv5n"), 2}, {fourcc("dv5p"), 2}, {fourcc("dvn_"), 2}, {fourcc("dvp_"), 2},
    {fourcc("mx3n"), 1}, {fourcc("mx3p"), 1}, {fourcc("mx4n"), 1}, {fourcc("mx4p"), 1},
    {fourcc("mx5n"), 1}, {fourcc("mx5p"), 1}, {fourcc("xdv2"), 1}, {fourcc("xdv3"), 1},
    {fourcc("xdvb"), 1}, {fourcc("xdvc"), 1}, {fourcc("xdv1"), 3}, {fourcc("xdv4"), 3},
    {fourcc("xdv5"), 3}, {fourcc("xdv7"), 3}, {fourcc("xdv8"), 3}, {fourcc("xdv9"), 3},
    {fourcc("xdva"), 3}, {fourcc("xdvd"), 3}, {fourcc("xdve"), 3}, {fourcc("xdvf"), 3},
};

}  // namespace

uint32_t map_video_codec(uint32_t codec, int depth) {
    if (std::find(std::begin(kUnchanged), std::end(kUnchanged), codec) != std::end(kUnchanged))
        return codec;
    for (const renamed& row : kRenamed)
        if (row.codec == codec) return row.format;
    if (codec == kCodecRaw) {
        if (depth == 32) return fourcc("ar32");
        if (depth == 24) return fourcc("rg24");
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

unsigned default_field_mode(uint32_t codec) {
    for (const field_row& row : kFieldModes)
        if (row.codec == codec) return row.mode;
    return 0;
}

}  // namespace ns_movie_apple_qt

#include "support/hostile_sound.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace test_movie {
namespace {

bytes read_movie(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t get_u32(const bytes& file, uint64_t at) {
    return uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 | uint32_t(file[at + 2]) << 8 | file[at + 3];
}

const std::vector<uint32_t> kStbl = {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("minf"),
                                     fourcc("stbl")};

std::vector<uint32_t> stbl_path(uint32_t table) {
    std::vector<uint32_t> path = kStbl;
    path.push_back(table);
    return path;
}

// Replaces the body of the atom at the path, fixing the sizes of the atoms
// that hold it. The movies here keep 'moov' after 'mdat', so no chunk
// offset moves.
bool replace_body(bytes& file, const std::vector<uint32_t>& path, const bytes& body) {
    std::vector<int64_t> at;  // the atoms of the path, outermost first
    for (size_t level = 1; level <= path.size(); ++level) {
        at.push_back(find_atom(file, std::vector<uint32_t>(path.begin(), path.begin() + long(level))));
        if (at.back() < 0) return false;
    }
    const uint64_t inner = uint64_t(at.back()), old_size = get_u32(file, inner);
    const int64_t delta = int64_t(body.size()) + 8 - int64_t(old_size);
    file.erase(file.begin() + long(inner) + 8, file.begin() + long(inner + old_size));
    file.insert(file.begin() + long(inner) + 8, body.begin(), body.end());
    for (int64_t a : at) patch_u32(file, uint64_t(a), uint32_t(int64_t(get_u32(file, uint64_t(a))) + delta));
    return true;
}

// A table atom's body: version and flags, the entry count, the entries.
bytes table(const std::vector<std::vector<uint32_t>>& entries, uint32_t count_field) {
    bytes body;
    put_u32(body, 0);
    put_u32(body, count_field);
    for (const std::vector<uint32_t>& e : entries)
        for (uint32_t v : e) put_u32(body, v);
    return body;
}

// The offset of the last occurrence of the four characters inside the atom
// at the path, or -1.
int64_t last_inside(const bytes& file, const std::vector<uint32_t>& path, const char (&type)[5]) {
    const int64_t at = find_atom(file, path);
    if (at < 0) return -1;
    const auto begin = file.begin() + at, end = begin + get_u32(file, uint64_t(at));
    const auto it = std::find_end(begin, end, type, type + 4);
    return it == end ? -1 : int64_t(it - file.begin());
}

// aac_51 holds six AAC packets: 'stts' (5 x 1024, 1 x 704) at 24 kHz.
bytes aac_first_packet_lasting(const bytes& aac, uint32_t units) {
    bytes file = aac;
    if (!replace_body(file, stbl_path(fourcc("stts")), table({{1, units}, {5, 1024}}, 2))) return {};
    return file;
}

bytes aac_time_scale_one(const bytes& aac) {
    bytes file = aac;
    const int64_t mdhd = find_atom(file, {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("mdhd")});
    if (mdhd < 0) return {};
    patch_u32(file, uint64_t(mdhd) + 20, 1);
    return file;
}

bytes aac_edit_rate(const bytes& aac, uint32_t rate) {
    bytes file = aac;
    const int64_t elst = find_atom(file, {fourcc("moov"), fourcc("trak"), fourcc("edts"), fourcc("elst")});
    if (elst < 0) return {};
    patch_u32(file, uint64_t(elst) + 24, rate);
    return file;
}

// One second of media (time scale 10^9) in 10^9 packets, all a copy of the
// first: 250,000 chunks of 4,000 packets over the same 4,000 copies, which
// follow the media data.
bytes aac_billion_packets(const bytes& aac) {
    bytes file = aac;
    const int64_t mdhd = find_atom(file, {fourcc("moov"), fourcc("trak"), fourcc("mdia"), fourcc("mdhd")});
    const int64_t stco = find_atom(file, stbl_path(fourcc("stco")));
    const int64_t stsz = find_atom(file, stbl_path(fourcc("stsz")));
    const int64_t mdat = find_atom(file, {fourcc("mdat")});
    if (mdhd < 0 || stco < 0 || stsz < 0 || mdat < 0) return {};
    patch_u32(file, uint64_t(mdhd) + 20, 1000000000);
    patch_u32(file, uint64_t(mdhd) + 24, 1000000000);
    const uint32_t first_offset = get_u32(file, uint64_t(stco) + 16), first_size = get_u32(file, uint64_t(stsz) + 20);
    const uint64_t mdat_size = get_u32(file, uint64_t(mdat));
    bytes media(file.begin() + mdat + 8, file.begin() + long(mdat + mdat_size));
    const uint32_t copies_at = uint32_t(mdat + mdat_size);
    for (int i = 0; i < 4000; ++i) media.insert(media.end(), file.begin() + first_offset, file.begin() + first_offset + first_size);
    bytes offsets;
    put_u32(offsets, 0);
    put_u32(offsets, 250000);
    for (int i = 0; i < 250000; ++i) put_u32(offsets, copies_at);
    bytes sizes;
    put_u32(sizes, 0);
    put_u32(sizes, first_size);
    put_u32(sizes, 1000000000);
    if (!replace_body(file, stbl_path(fourcc("stts")), table({{1000000000, 1}}, 1)) ||
        !replace_body(file, stbl_path(fourcc("stsc")), table({{1, 4000, 1}}, 1)) ||
        !replace_body(file, stbl_path(fourcc("stsz")), sizes) ||
        !replace_body(file, stbl_path(fourcc("stco")), offsets) || !replace_body(file, {fourcc("mdat")}, media))
        return {};
    return file;
}

// Edits of one movie time unit each that jump between the media's start and
// a place `apart` frames in: the first five packets (5,120 frames) repeated
// to make a media long enough.
bytes aac_jumping_edits(const bytes& aac, uint32_t count, uint32_t apart) {
    bytes file = aac;
    const int64_t stsz = find_atom(file, stbl_path(fourcc("stsz")));
    const int64_t stco = find_atom(file, stbl_path(fourcc("stco")));
    const int64_t mdat = find_atom(file, {fourcc("mdat")});
    if (stsz < 0 || stco < 0 || mdat < 0) return {};
    const uint32_t repeats = apart / 5120 + 2, first_offset = get_u32(file, uint64_t(stco) + 16);
    std::vector<uint32_t> sizes;
    uint32_t five = 0;
    for (int i = 0; i < 5; ++i) five += sizes.emplace_back(get_u32(file, uint64_t(stsz) + 20 + 4 * i));
    const uint64_t mdat_size = get_u32(file, uint64_t(mdat));
    bytes media(file.begin() + mdat + 8, file.begin() + long(mdat + mdat_size));
    const uint32_t copies_at = uint32_t(mdat + mdat_size);
    std::vector<std::vector<uint32_t>> size_entries;
    for (uint32_t r = 0; r < repeats; ++r) {
        media.insert(media.end(), file.begin() + first_offset, file.begin() + first_offset + five);
        for (uint32_t size : sizes) size_entries.push_back({size});
    }
    bytes size_table;
    put_u32(size_table, 0);
    put_u32(size_table, 0);
    put_u32(size_table, repeats * 5);
    for (const std::vector<uint32_t>& e : size_entries) put_u32(size_table, e[0]);
    std::vector<std::vector<uint32_t>> edits;
    for (uint32_t i = 0; i < count; ++i) edits.push_back({1, i % 2 ? apart : 0u, 0x10000});
    if (!replace_body(file, stbl_path(fourcc("stts")), table({{repeats * 5, 1024}}, 1)) ||
        !replace_body(file, stbl_path(fourcc("stsc")), table({{1, repeats * 5, 1}}, 1)) ||
        !replace_body(file, stbl_path(fourcc("stsz")), size_table) ||
        !replace_body(file, stbl_path(fourcc("stco")), table({{copies_at}}, 1)) ||
        !replace_body(file, {fourcc("moov"), fourcc("trak"), fourcc("edts"), fourcc("elst")}, table(edits, count)) ||
        !replace_body(file, {fourcc("mdat")}, media))
        return {};
    return file;
}

// ac3_stereo stores seven 384-byte packets; each is read as 128 bytes.
bytes ac3_cut_to_a_third(const bytes& ac3) {
    bytes file = ac3;
    const int64_t stsz = find_atom(file, stbl_path(fourcc("stsz")));
    if (stsz < 0) return {};
    patch_u32(file, uint64_t(stsz) + 12, get_u32(file, uint64_t(stsz) + 12) / 3);
    return file;
}

// The STREAMINFO in 'dfLa' claims blocks of 16 frames at most, 8 kHz, mono.
bytes flac_broken_config(const bytes& flac) {
    bytes file = flac;
    const int64_t dfla = last_inside(file, kStbl, "dfLa");
    if (dfla < 0) return {};
    const uint64_t info = uint64_t(dfla) + 4 + 4 + 4;  // type, version and flags, block header
    file[info] = 0, file[info + 1] = 16, file[info + 2] = 0, file[info + 3] = 16;  // block sizes
    file[info + 10] = 0x01, file[info + 11] = 0xF4, file[info + 12] = 0x00;       // 8000 Hz, mono, 4 bits
    return file;
}

// he_aac's AudioSpecificConfig with an explicit 96 kHz core rate.
bytes he_aac_at_96khz(const bytes& he) {
    bytes file = he;
    const int64_t esds = last_inside(file, kStbl, "esds");
    if (esds < 0) return {};
    uint64_t at = uint64_t(esds) + 4 + 4;  // type, version and flags
    // Descriptor tag, then a length of 7-bit groups.
    const auto enter = [&](uint8_t tag) {
        if (at >= file.size() || file[at] != tag) return false;
        ++at;
        while (at < file.size() && (file[at++] & 0x80)) {
        }
        return true;
    };
    if (!enter(0x03)) return {};
    at += 3;  // ES_ID, flags (none set)
    if (!enter(0x04)) return {};
    at += 13;  // object type, stream type, buffer size, bit rates
    if (!enter(0x05) || at + 5 > file.size()) return {};
    // Object type (5 bits) LC, then the frequency index (4 bits): 0, 96 kHz
    // in place of 22050 Hz; the explicit SBR extension follows unchanged.
    file[at] = uint8_t(file[at] & 0xF8);
    file[at + 1] = uint8_t(file[at + 1] & 0x7F);
    return file;
}

// alac_24's ALACSpecificConfig with another sample rate (its last field).
bytes alac_rate(const bytes& alac, uint32_t rate) {
    bytes file = alac;
    const int64_t inner = last_inside(file, kStbl, "alac");
    if (inner < 0) return {};
    patch_u32(file, uint64_t(inner) + 4 + 4 + 20, rate);
    return file;
}

// PCM tracks at 96 kHz and at 1 Hz side by side.
bytes one_hertz_beside_96khz() {
    movie_plan plan;
    plan.add_sound(kTwos, 1, 16, 96000).add_samples(96000, 2, 1).samples_per_chunk = 9600;
    plan.add_sound(kTwos, 1, 16, 1).add_samples(2, 2, 1);
    plan.tracks[1].time_scale = 1;
    return build_movie(plan).contiguous();
}

}  // namespace

std::vector<named_movie> hostile_sound_movies(const std::string& data_dir) {
    const std::string dir = data_dir + "/compressed/";
    const bytes aac = read_movie(dir + "aac_51.mov"), alac = read_movie(dir + "alac_24.mov");
    const auto made = [](const bytes& source, bytes file) { return source.empty() ? bytes() : file; };
    const std::string silence = "the rest plays as silence", left_out = "is left out: ";
    return {
        {"AacPacketOf2To31Units", made(aac, aac_first_packet_lasting(aac, 0x80000064)), silence},
        {"AacPacketOf80MillionUnits", made(aac, aac_first_packet_lasting(aac, 80000000)), silence},
        {"AacTimeScaleOne", made(aac, aac_time_scale_one(aac)), silence},
        {"AacEditRateOneIn65536", made(aac, aac_edit_rate(aac, 1)), ""},
        {"AacBillionPackets", made(aac, aac_billion_packets(aac)), ""},
        {"Aac100000NearJumpingEdits", made(aac, aac_jumping_edits(aac, 100000, 3072)), ""},
        {"Aac10000FarJumpingEdits", made(aac, aac_jumping_edits(aac, 10000, 1000000)), ""},
        {"Ac3PacketsCutToAThird", ac3_cut_to_a_third(read_movie(dir + "ac3_stereo.mov")), left_out},
        {"FlacBrokenStreamInfo", flac_broken_config(read_movie(dir + "flac_stereo.mov")), left_out},
        {"HeAacExplicit96kHz", he_aac_at_96khz(read_movie(dir + "he_aac.mov")), left_out},
        {"AlacCookieOf1Hz", made(alac, alac_rate(alac, 1)), "its sample rate, 1 Hz"},
        {"AlacCookieOf2100MHz", made(alac, alac_rate(alac, 2100000000)), "its sample rate, 2100000000 Hz"},
        {"PcmOf1HzBeside96kHz", one_hertz_beside_96khz(), "its sample rate, 1 Hz"},
    };
}

}  // namespace test_movie

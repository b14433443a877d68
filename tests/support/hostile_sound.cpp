#include "support/hostile_sound.h"

#include <algorithm>

namespace test_movie {
namespace {

using path_type = std::vector<uint32_t>;

const path_type kMdhd = atom_path("moov trak mdia mdhd");
const path_type kElst = atom_path("moov trak edts elst");

path_type stbl_path(const std::string& table) {
    return atom_path("moov trak mdia minf stbl " + table);
}

// The file with the bodies of the atoms at the paths replaced and the sizes of
// the atoms that hold them fixed, or empty when one is missing. The movies
// here keep 'moov' after 'mdat', so no chunk offset moves.
bytes replaced(bytes file, const std::vector<std::pair<path_type, bytes>>& bodies) {
    for (const auto& [path, body] : bodies) {
        std::vector<int64_t> at;  // the atoms of the path, outermost first
        for (size_t level = 1; level <= path.size(); ++level) {
            at.push_back(find_atom(file, path_type(path.begin(), path.begin() + long(level))));
            if (at.back() < 0) return {};
        }
        const uint64_t inner = uint64_t(at.back()), old_size = get_u32(file, inner);
        const int64_t delta = int64_t(body.size()) + 8 - int64_t(old_size);
        file.erase(file.begin() + long(inner) + 8, file.begin() + long(inner + old_size));
        file.insert(file.begin() + long(inner) + 8, body.begin(), body.end());
        for (int64_t a : at)
            patch_u32(file, uint64_t(a), uint32_t(int64_t(get_u32(file, uint64_t(a))) + delta));
    }
    return file;
}

// The file with the 32-bit field `offset` bytes into the atom at `at` set to
// value, or empty when there is no atom.
bytes patched(bytes file, int64_t at, uint64_t offset, uint32_t value) {
    if (at < 0) return {};
    patch_u32(file, uint64_t(at) + offset, value);
    return file;
}

// The offset of the last occurrence of the four characters inside the sample
// descriptions, or -1.
int64_t last_description(const bytes& file, const char (&type)[5]) {
    const int64_t at = find_atom(file, stbl_path("stsd"));
    if (at < 0) return -1;
    const auto begin = file.begin() + at, end = begin + get_u32(file, uint64_t(at));
    const auto it = std::find_end(begin, end, type, type + 4);
    return it == end ? -1 : int64_t(it - file.begin());
}

// The body of the media data atom at mdat with `count` copies of the `size`
// bytes at `from` appended.
bytes with_copies(const bytes& file, int64_t mdat, uint32_t from, uint32_t size, uint32_t count) {
    bytes media(file.begin() + mdat + 8, file.begin() + mdat + get_u32(file, uint64_t(mdat)));
    for (uint32_t i = 0; i < count; ++i)
        media.insert(media.end(), file.begin() + from, file.begin() + from + size);
    return media;
}

// One second of media (time scale 2 * 10^9) in 2 * 10^9 packets (the most a
// track's 32-bit sample numbers reach), all a copy of the first: 125,000
// chunks of 16,000 packets over the same 16,000 copies, which follow the
// media data. Passed over one by one, the packets shorter than a sound frame
// would take half a minute.
bytes aac_billions_of_packets(const bytes& aac) {
    const int64_t mdhd = find_atom(aac, kMdhd), stco = find_atom(aac, stbl_path("stco"));
    const int64_t stsz = find_atom(aac, stbl_path("stsz")), mdat = find_atom(aac, {fourcc("mdat")});
    if (mdhd < 0 || stco < 0 || stsz < 0 || mdat < 0) return {};
    const uint32_t first_size = get_u32(aac, uint64_t(stsz) + 20), count = 2000000000u;
    bytes offsets = be({0, 125000});
    for (int i = 0; i < 125000; ++i)
        put_u32(offsets, uint32_t(mdat + get_u32(aac, uint64_t(mdat))));
    return replaced(
        patched(patched(aac, mdhd, 20, count), mdhd, 24, count),
        {{stbl_path("stts"), be({0, 1, count, 1})},
         {stbl_path("stsc"), be({0, 1, 1, 16000, 1})},
         {stbl_path("stsz"), be({0, first_size, count})},
         {stbl_path("stco"), offsets},
         {{fourcc("mdat")},
          with_copies(aac, mdat, get_u32(aac, uint64_t(stco) + 16), first_size, 16000)}});
}

// Edits of one movie time unit each that jump between the media's start and
// a place `apart` frames in: the first five packets (5,120 frames) repeated
// to make a media long enough.
bytes aac_jumping_edits(const bytes& aac, uint32_t count, uint32_t apart) {
    const int64_t stsz = find_atom(aac, stbl_path("stsz")), mdat = find_atom(aac, {fourcc("mdat")});
    const int64_t stco = find_atom(aac, stbl_path("stco"));
    if (stsz < 0 || stco < 0 || mdat < 0) return {};
    const uint32_t repeats = apart / 5120 + 2;
    uint32_t five = 0;
    for (int i = 0; i < 5; ++i) five += get_u32(aac, uint64_t(stsz) + 20 + 4 * i);
    bytes sizes = be({0, 0, repeats * 5}), edits = be({0, count});
    for (uint32_t r = 0; r < repeats; ++r)
        sizes.insert(sizes.end(), aac.begin() + stsz + 20, aac.begin() + stsz + 40);
    for (uint32_t i = 0; i < count; ++i) put_bytes(edits, be({1, i % 2 ? apart : 0u, 0x10000}));
    return replaced(aac,
                    {{stbl_path("stts"), be({0, 1, repeats * 5, 1024})},
                     {stbl_path("stsc"), be({0, 1, 1, repeats * 5, 1})},
                     {stbl_path("stsz"), sizes},
                     {stbl_path("stco"), be({0, 1, uint32_t(mdat + get_u32(aac, uint64_t(mdat)))})},
                     {kElst, edits},
                     {{fourcc("mdat")},
                      with_copies(aac, mdat, get_u32(aac, uint64_t(stco) + 16), five, repeats)}});
}

// The STREAMINFO in 'dfLa' (after the atom's type, version and flags and the
// block header) claims blocks of 16 frames at most, 8 kHz, mono.
bytes flac_broken_config(const bytes& flac) {
    const int64_t dfla = last_description(flac, "dfLa");
    const bytes file = patched(flac, dfla, 12, 0x00100010);  // the least and most frames in a block
    // The last byte of the largest frame's size kept, then 8000 Hz, mono and
    // the top bit of the bits per sample cleared.
    return patched(file, dfla, 21,
                   uint32_t(file.empty() ? 0 : file[uint64_t(dfla) + 21]) << 24 | 0x01F400);
}

// he_aac's AudioSpecificConfig with an explicit 96 kHz core rate.
bytes he_aac_at_96khz(const bytes& he) {
    bytes file = he;
    const int64_t esds = last_description(file, "esds");
    if (esds < 0) return {};
    uint64_t at = uint64_t(esds) + 4 + 4;  // type, version and flags
    // A descriptor's tag and its length in 7-bit groups, then `skip` bytes.
    const auto enter = [&](uint8_t tag, uint64_t skip) {
        if (at >= file.size() || file[at++] != tag) return false;
        while (at < file.size() && (file[at++] & 0x80)) {
        }
        at += skip;
        return true;
    };
    // The ES descriptor's ID and flags (none set); the decoder configuration's
    // object type, stream type, buffer size and bit rates; the decoder's own.
    if (!enter(0x03, 3) || !enter(0x04, 13) || !enter(0x05, 0) || at + 5 > file.size()) return {};
    // Object type (5 bits) LC, then the frequency index (4 bits): 0, 96 kHz
    // in place of 22050 Hz; the explicit SBR extension follows unchanged.
    file[at] = uint8_t(file[at] & 0xF8);
    file[at + 1] = uint8_t(file[at + 1] & 0x7F);
    return file;
}

// PCM tracks at 96 kHz and at 1 Hz side by side.
bytes one_hertz_beside_96khz() {
    movie_plan plan;
    plan.add_sound(kTwos, 1, 16, 96000).add_samples(96000, 2, 1).samples_per_chunk = 9600;
    plan.add_sound(kTwos, 1, 16, 1).add_samples(2, 2, 1);
    return build_movie(plan).contiguous();
}

}  // namespace

std::vector<named_movie> hostile_sound_movies(const std::string& data_dir) {
    const std::string dir = data_dir + "/compressed/";
    const bytes aac = read_bytes(dir + "aac_51.mov"), alac = read_bytes(dir + "alac_24.mov");
    const bytes ac3 = read_bytes(dir + "ac3_stereo.mov");
    const std::string silence = "the rest plays as silence", left_out = "is left out: ";
    // aac_51 holds six AAC packets: 'stts' (5 x 1024, 1 x 704) at 24 kHz.
    const auto first_packet_lasting = [&](uint32_t units) {
        return replaced(aac, {{stbl_path("stts"), be({0, 2, 1, units, 5, 1024})}});
    };
    // ac3_stereo stores seven 384-byte packets; each is read as 128 bytes.
    const int64_t ac3_stsz = find_atom(ac3, stbl_path("stsz"));
    const uint32_t ac3_size = ac3_stsz < 0 ? 0 : get_u32(ac3, uint64_t(ac3_stsz) + 12);
    // alac_24's ALACSpecificConfig with another sample rate (its last field).
    const int64_t alac_config = last_description(alac, "alac");
    return {
        {"AacPacketOf2To31Units", first_packet_lasting(0x80000064), silence},
        {"AacPacketOf80MillionUnits", first_packet_lasting(80000000), silence},
        {"AacTimeScaleOne", patched(aac, find_atom(aac, kMdhd), 20, 1), silence},
        {"AacEditRateOneIn65536", patched(aac, find_atom(aac, kElst), 24, 1), ""},
        {"AacTwoBillionPackets", aac_billions_of_packets(aac), ""},
        {"Aac100000NearJumpingEdits", aac_jumping_edits(aac, 100000, 3072), ""},
        {"Aac10000FarJumpingEdits", aac_jumping_edits(aac, 10000, 1000000), ""},
        {"Ac3PacketsCutToAThird", patched(ac3, ac3_stsz, 12, ac3_size / 3), left_out},
        {"FlacBrokenStreamInfo", flac_broken_config(read_bytes(dir + "flac_stereo.mov")), left_out},
        {"HeAacExplicit96kHz", he_aac_at_96khz(read_bytes(dir + "he_aac.mov")), left_out},
        {"AlacCookieOf1Hz", patched(alac, alac_config, 4 + 4 + 20, 1), "its sample rate, 1 Hz"},
        {"AlacCookieOf2100MHz", patched(alac, alac_config, 4 + 4 + 20, 2100000000),
         "its sample rate, 2100000000 Hz"},
        {"PcmOf1HzBeside96kHz", one_hertz_beside_96khz(), "its sample rate, 1 Hz"},
    };
}

}  // namespace test_movie

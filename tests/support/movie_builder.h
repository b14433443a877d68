// Writes QuickTime movies for tests and benchmarks: tracks with chosen samples
// (sizes, durations, composition offsets, sync and partial-sync flags,
// dependency flags), several sample descriptions per track, image description
// extensions, edit lists, time code tracks, sound tracks, the movie atom
// before or after the media data, 64-bit atom sizes and 'co64' offsets,
// 'alis' data references; and the helpers to break the result on purpose.
//
//   test_movie::movie_plan movie;
//   test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
//   video.add_samples(10, 1000, 100);  // 10 samples of 1000 bytes, 100 units each
//   test_movie::write_movie(movie, path);
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace test_movie {

constexpr uint32_t fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

constexpr uint32_t kVide = fourcc("vide");
constexpr uint32_t kSoun = fourcc("soun");
constexpr uint32_t kTmcd = fourcc("tmcd");
constexpr uint32_t kAvc1 = fourcc("avc1");
constexpr uint32_t kTwos = fourcc("twos");
constexpr uint32_t kSowt = fourcc("sowt");

using bytes = std::vector<uint8_t>;

// Big-endian writing: be({fourcc("mdat"), {size, 8}}) is a 32-bit field and
// a 64-bit one.
struct field {
    field(uint64_t v, int n = 4) : value(v), size(n) {}
    uint64_t value;
    int size;  // in bytes
};
bytes be(std::initializer_list<field> fields);
inline void put_bytes(bytes& out, const bytes& data) {
    out.insert(out.end(), data.begin(), data.end());
}
inline void put_u8(bytes& out, uint8_t v) { put_bytes(out, be({field(v, 1)})); }
inline void put_u16(bytes& out, uint16_t v) { put_bytes(out, be({field(v, 2)})); }
inline void put_u32(bytes& out, uint32_t v) { put_bytes(out, be({v})); }
inline void put_u64(bytes& out, uint64_t v) { put_bytes(out, be({field(v, 8)})); }
// An atom: 32-bit size, type, payload.
bytes atom(uint32_t type, const bytes& payload);

// Sample description entries (as stored in 'stsd').
struct extension {
    uint32_t type;
    bytes payload;  // the atom's contents without its header
};
bytes image_description(uint32_t codec, int16_t width, int16_t height, int16_t depth = 24,
                        const std::vector<extension>& extensions = {});
// Sound description version 0 (or 1 with the four extra fields for
// compressed formats; the extension atoms follow).
bytes sound_description(uint32_t format, uint16_t channels, uint16_t bits, uint32_t sample_rate,
                        uint16_t version = 0, const std::vector<extension>& extensions = {});
bytes time_code_description(int32_t flags, int32_t time_scale, int32_t frame_duration,
                            uint8_t frames, const std::string& reel_name = "");
// A 'dref' entry: version 0, the flags (1: the movie's own file) and the
// reference's bytes.
bytes data_reference_entry(uint32_t type, uint32_t flags, const bytes& data);
// The payload of a 'name' or other text user data item: length, language,
// text.
bytes user_data_text(const std::string& text, uint16_t language = 0);
// Extension payloads.
inline bytes pasp(uint32_t h_spacing, uint32_t v_spacing) { return be({h_spacing, v_spacing}); }
bytes clap(uint32_t width_n, uint32_t width_d, uint32_t height_n, uint32_t height_d);
inline bytes fiel(uint8_t count, uint8_t ordering) { return bytes{count, ordering}; }

struct sample {
    uint32_t size = 0;
    uint32_t duration = 0;
    int32_t composition_offset = 0;
    bool sync = true;
    bool partial_sync = false;
    uint8_t dependency = 0;    // its 'sdtp' byte; written when a sample has one
    uint32_t description = 1;  // from 1
    bytes data;                // empty: a pattern (sample_pattern_byte)
};

// The byte at position i of a sample without data of its own.
inline uint8_t sample_pattern_byte(uint32_t track_id, uint32_t sample_index, uint32_t i) {
    return uint8_t(track_id * 31 + sample_index * 7 + i);
}

struct edit {
    int64_t duration;    // movie time scale
    int64_t media_time;  // -1: empty edit
    int32_t rate = 0x10000;
};

// Where a track's media data lies: in the movie's file ('url ' or 'alis' self
// reference), or in a file of its own beside the movie (external_name), named
// by a relative 'url ' or by an alias record.
enum class data_ref_kind { url_self, alias_self, url_external, alias_external };

struct track_plan {
    uint32_t handler = kVide;
    uint32_t id = 0;  // 0: numbered 1, 2, ... in order
    bool enabled = true;
    int16_t volume = 0x100;  // 8.8, written for sound tracks (others have 0)
    int32_t time_scale = 600;
    int32_t width = 0;  // 16.16
    int32_t height = 0;
    std::vector<bytes> descriptions;
    std::vector<sample> samples;
    bool has_edits = false;
    std::vector<edit> edits;
    uint32_t samples_per_chunk = 1;
    bool constant_size = false;     // one 'stsz' size for all samples (they must agree)
    uint8_t compact_size_bits = 0;  // 4, 8 or 16: sizes in a 'stz2' of that field size
    data_ref_kind data_ref = data_ref_kind::url_self;
    std::string external_name;  // the file of the external kinds
    // When not empty: the 'dref' entries as given (data_reference_entry), in
    // place of the one data_ref makes; the media data stays in the movie.
    std::vector<bytes> data_ref_entries;
    std::vector<uint32_t> time_code_refs;  // 'tref'/'tmcd' track IDs

    // Appends count samples of equal size and duration (sync unless told).
    track_plan& add_samples(uint32_t count, uint32_t size, uint32_t duration, bool sync = true) {
        samples.insert(samples.end(), count, sample{size, duration, 0, sync, false, 0, 1, {}});
        return *this;
    }
    track_plan& add_edit(int64_t duration, int64_t media_time, int32_t rate = 0x10000) {
        has_edits = true;
        edits.push_back({duration, media_time, rate});
        return *this;
    }
};

using user_data_entry = extension;  // a 'udta' item

// A movie in fragments: each track's first samples_in_movie samples stay in
// the movie atom (which comes first and holds 'mvex'), the others follow in
// 'moof' atoms of samples_per_fragment samples of every track, each followed
// by an 'mdat' with their bytes.
struct fragment_plan {
    uint32_t samples_per_fragment = 0;  // 0: the movie is written whole
    uint32_t samples_in_movie = 0;
    // How a track fragment finds its data: an explicit base offset in 'tfhd'
    // and run offsets from it, the 'moof' as base (default-base-is-moof), or
    // the first fragment's explicit base with the others following on (no
    // offsets: each track fragment's data follows the one before).
    enum class data_base { explicit_offset, moof, chained };
    data_base base = data_base::moof;
    // What every sample of a track shares (duration, size, flags; a first
    // sample whose flags differ gets first-sample flags) goes into 'trex'
    // rather than into each sample's entry.
    bool defaults_in_trex = false;
    bool trun_version1 = false;
    bool with_tfdt = true;
    bool with_mvex = true;           // false: 'mvex' left out (defaults then go into 'tfhd')
    bool unknown_durations = false;  // 'mvhd', 'tkhd', 'mdhd' durations all ones
    int64_t mehd = -1;               // movie time scale; -1: no 'mehd'
};

struct movie_plan {
    int32_t time_scale = 600;
    fragment_plan fragments;
    std::vector<track_plan> tracks;
    std::vector<user_data_entry> user_data;
    bool movie_first = false;       // 'moov' before 'mdat'
    bool version1_headers = false;  // 'mvhd', 'tkhd', 'mdhd', 'elst' version 1
    bool large_mdat = false;        // 64-bit 'mdat' size
    bool force_co64 = false;
    uint64_t media_gap = 0;  // zero bytes at the start of the media data (sparse on disk)

    track_plan& add_video(uint32_t codec, int16_t width, int16_t height,
                          const std::vector<extension>& extensions = {});
    track_plan& add_sound(uint32_t format, uint16_t channels, uint16_t bits, uint32_t sample_rate);
    // A time code track with one sample per entry of counters (each frames_per_sample
    // frames long).
    track_plan& add_time_code(int32_t flags, int32_t time_scale, int32_t frame_duration,
                              uint8_t frames, const std::string& reel_name,
                              const std::vector<int32_t>& counters, uint32_t frames_per_sample);
};

// A movie file as pieces: bytes at offsets; what lies between is zero.
struct movie_file {
    struct piece {
        uint64_t offset;
        bytes data;
    };
    std::vector<piece> pieces;
    uint64_t size = 0;
    // Media data files beside the movie, by name.
    std::vector<std::pair<std::string, bytes>> externals;

    // The whole file in memory (only for files that fit).
    bytes contiguous() const;
};

movie_file build_movie(const movie_plan& plan);
// Writes the file, leaving holes where nothing is written (sparse where the
// file system allows), and the external media data files in its folder.
// False when a file cannot be written.
bool write_movie(const movie_plan& plan, const std::string& path);

// One sync sample, then count - 1 that depend on it, one unit each, at time
// scale 1000, shown by `edits` edits of 1 ms alternating between the last two
// frames: each edit's run decodes the whole group again.
movie_plan long_group(uint32_t count, uint32_t edits);
bool write_bytes(const bytes& data, const std::string& path);
// The file's bytes; empty when it cannot be read.
bytes read_bytes(const std::string& path);

// Breaking a movie on purpose: the offset of the first atom of a path of
// types ("moov", "trak", "mdia", ...) in a contiguous file, or -1; the offset
// is the atom's header. Nested searches look inside the previous atom's body
// (sample description entries and other non-atom contents are not entered).
int64_t find_atom(const bytes& file, const std::vector<uint32_t>& path);
// The types of such a path, written "moov trak tkhd".
std::vector<uint32_t> atom_path(const std::string& types);
uint32_t get_u32(const bytes& file, uint64_t offset);
void patch_u32(bytes& file, uint64_t offset, uint32_t value);

}  // namespace test_movie

#include "file_survey.h"

#include <cstring>
#include <fstream>
#include <new>

#include "format/atom_types.h"
#include "format/atom_walk.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/mac_types.h"

namespace ruv_import {

namespace {

using namespace qt_format::atom_types;

using qt_format::atom_reader;
using qt_format::atom_status;

// The movie file's bytes, read directly.
class source_bytes : public qt_format::byte_source {
public:
    explicit source_bytes(const std::string& path)
        : m_file(path, std::ios::binary | std::ios::ate) {
        m_ok = bool(m_file);
        m_size = m_ok ? uint64_t(m_file.tellg()) : 0;
    }
    bool ok() const { return m_ok; }
    uint64_t size() const { return m_size; }
    // count bytes at offset; false when they are not all there.
    [[nodiscard]] bool read(uint64_t offset, size_t count, uint8_t* out) override {
        if (!m_ok || offset > m_size || count > m_size - offset) return false;
        m_file.clear();
        m_file.seekg(std::streamoff(offset));
        m_file.read(reinterpret_cast<char*>(out), std::streamsize(count));
        return bool(m_file);
    }

private:
    std::ifstream m_file;
    bool m_ok = false;
    uint64_t m_size = 0;
};

// Atoms a movie file may start with.
constexpr uint32_t kFirstAtoms[] = {qt_fourcc("ftyp"), qt_fourcc("moov"), qt_fourcc("mdat"),
                                    qt_fourcc("free"), qt_fourcc("skip"), qt_fourcc("wide"),
                                    qt_fourcc("pnot"), qt_fourcc("uuid")};

bool starts_a_movie_file(uint32_t type) {
    for (uint32_t t : kFirstAtoms)
        if (t == type) return true;
    return false;
}

// Atoms looked at, at most, in the file's top level: a broken file of tiny
// atoms costs no more than this.
constexpr int kMaxTopLevelAtoms = 10000;

// A movie atom larger than this is not read for the check: its tables are
// then taken as whole.
constexpr uint64_t kMaxMovieAtomRead = 64u << 20;

// The file's top level up to the movie atom: why there is no whole one
// (problem), or the movie atom's header.
struct top_level {
    std::string problem;
    bool found = false;
    qt_format::atom_header movie;
};

top_level walk_top_level(source_bytes& source) {
    top_level result;
    if (source.size() == 0) {
        result.problem = "the file is empty";
        return result;
    }
    const unsigned long long size = source.size();
    uint64_t offset = 0;
    for (int n = 0; n < kMaxTopLevelAtoms; ++n) {
        qt_format::atom_header h;
        // A header that cannot be read whole ends the walk; one whose size
        // is below its header's is impossible; one past the file's end is
        // still an atom, cut short.
        const atom_status read = qt_format::decode_atom_header(source, offset, source.size(), h);
        if (read == atom_status::end_of_parent || read == atom_status::unreadable ||
            read == atom_status::no_large_size)
            break;
        if (n == 0 && (read == atom_status::size_below_header || !starts_a_movie_file(h.type))) {
            result.problem = "not a QuickTime movie (no movie atom)";
            return result;
        }
        if (read == atom_status::size_below_header) {
            result.problem = kolmbase::string_with_format(
                "no movie atom; the atom at byte %llu has an impossible size",
                static_cast<unsigned long long>(offset));
            return result;
        }
        if (read == atom_status::past_parent) {
            result.problem =
                h.type == MovieAID
                    ? kolmbase::string_with_format("movie atom cut short at byte %llu", size)
                    : kolmbase::string_with_format(
                          "no movie atom; the file ends at byte %llu inside its '%s' atom", size,
                          kolmbase::string_with_fourcc(h.type).c_str());
            return result;
        }
        if (h.type == MovieAID) {
            result.found = true;
            result.movie = h;
            return result;
        }
        offset = h.end();
    }
    result.problem = "no movie atom";
    return result;
}

// The body of the first child of a type; a failed reader when none.
atom_reader child(const atom_reader& container, uint32_t type) {
    atom_reader body;
    return qt_format::find_child(container, type, body) ? body : atom_reader().sub(1);
}

// The count field of a full atom: after version and flags, skip bytes, then
// 32 bits. 0 when the atom is missing or short.
uint32_t table_count(atom_reader body, size_t skip) {
    uint32_t count = 0;
    if (!body.failed() && body.skip(4 + skip) && body.read_u32(count)) return count;
    return 0;
}

struct track_tables {
    uint32_t id = 0;
    uint32_t handler = 0;
    uint32_t media_time_scale = 0;
    bool has_media = false;
    bool has_sample_table = false;
    uint32_t samples = 0;
    uint32_t chunks = 0;
    uint32_t sample_to_chunk_runs = 0;
    bool enabled = false;
    uint32_t format = 0;
    uint32_t channels = 0;
};

// The data format and channel count of the first sound description. After
// the entry's size: the format, 6 reserved bytes, the data reference index,
// the version, 6 bytes, then the channel count of 16 bits; version 2 gives it
// again in 32 bits, 22 bytes further on.
void read_sound_description(const atom_reader& table, track_tables& t) {
    atom_reader descriptions = child(table, kAtomStsd);
    uint32_t count = 0, size = 0;
    if (descriptions.failed() || !descriptions.skip(4) || !descriptions.read_u32(count) ||
        count == 0 || !descriptions.read_u32(size) || size < 8)
        return;
    atom_reader entry = descriptions.sub(size - 4);
    uint16_t version = 0, channels = 0;
    if (!entry.read_u32(t.format) || !entry.skip(8) || !entry.read_u16(version) ||
        !entry.skip(6) || !entry.read_u16(channels))
        return;
    t.channels = channels;
    uint32_t channels32 = 0;
    if (version == 2 && entry.skip(22) && entry.read_u32(channels32)) t.channels = channels32;
}

track_tables read_track(const atom_reader& track) {
    track_tables t;
    atom_reader header = child(track, kAtomTkhd);
    uint8_t version = 0;
    // After version and flags, two times of 4 bytes (8 in version 1), then the ID.
    uint32_t flags = 0;
    uint32_t id = 0;
    if (header.read_u8(version) && header.read_u24(flags) && header.skip(2 * qt_format::time_field_size(version)) &&
        header.read_u32(id))
        t.id = id;
    t.enabled = (flags & 1) != 0;

    const atom_reader media = child(track, kAtomMdia);
    t.has_media = !media.failed();
    atom_reader handler = child(media, kAtomHdlr);
    // After version, flags and component type.
    uint32_t handler_type = 0;
    if (!handler.failed() && handler.skip(8) && handler.read_u32(handler_type))
        t.handler = handler_type;
    atom_reader media_header = child(media, kAtomMdhd);
    // After version and flags, two times of 4 bytes (8 in version 1), then the scale.
    uint32_t scale = 0;
    if (media_header.read_u8(version) && media_header.skip(3 + 2 * qt_format::time_field_size(version)) &&
        media_header.read_u32(scale))
        t.media_time_scale = scale;

    const atom_reader table = child(child(media, kAtomMinf), kAtomStbl);
    t.has_sample_table = !table.failed();
    if (!t.has_sample_table) return t;
    const atom_reader sizes = child(table, kAtomStsz);
    t.samples = table_count(sizes.failed() ? child(table, kAtomStz2) : sizes, 4);
    const atom_reader offsets = child(table, kAtomStco);
    t.chunks = table_count(offsets.failed() ? child(table, kAtomCo64) : offsets, 0);
    t.sample_to_chunk_runs = table_count(child(table, kAtomStsc), 0);
    if (t.handler == SoundMediaType) read_sound_description(table, t);
    return t;
}

// Why a track's tables describe nothing that can be read; "" when they look
// whole.
std::string table_problem(const track_tables& t) {
    if (!t.has_media) return "it has no media";
    if (!t.has_sample_table) return "it has no sample table";
    if (t.samples > 0 && t.chunks == 0) return "its chunk offset table is empty";
    if (t.samples > 0 && t.sample_to_chunk_runs == 0) return "its sample-to-chunk table is empty";
    return "";
}

}  // namespace

std::string movie_atom_problem(const std::string& path) {
    source_bytes source(path);
    return source.ok() ? walk_top_level(source).problem : "";
}

std::vector<file_track> file_tracks(const std::string& path) {
    std::vector<file_track> tracks;
    source_bytes source(path);
    if (!source.ok()) return tracks;
    const top_level top = walk_top_level(source);
    const uint64_t size = top.found ? top.movie.body_size() : 0;
    if (!top.found || size > kMaxMovieAtomRead) return tracks;
    std::vector<uint8_t> movie;
    try {
        movie.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return tracks;
    }
    if (!source.read(top.movie.body(), movie.size(), movie.data())) return tracks;

    atom_reader children(movie.data(), movie.size());
    qt_format::atom a;
    bool malformed = false;
    while (qt_format::next_atom(children, a, malformed)) {
        if (a.type != kAtomTrak) continue;
        const track_tables t = read_track(a.body);
        tracks.push_back(file_track{t.id, t.handler, t.media_time_scale, table_problem(t),
                                    t.enabled, t.format, t.channels});
    }
    return tracks;
}

}  // namespace ruv_import

#include "importer/movie_file_check.h"

#include <fstream>

#include "datahandler/CMStreamDataRef.h"
#include "importer/config.h"
#include "lib/kolmbase/bytestream.h"
#include "lib/kolmbase/strings.h"

namespace ns_movie_apple_qt {

namespace {

constexpr uint32_t fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

constexpr uint32_t kMovie = fourcc("moov");
constexpr uint32_t kTrack = fourcc("trak");
constexpr uint32_t kTrackHeader = fourcc("tkhd");
constexpr uint32_t kMedia = fourcc("mdia");
constexpr uint32_t kHandler = fourcc("hdlr");
constexpr uint32_t kMediaHeader = fourcc("mdhd");
constexpr uint32_t kMediaInformation = fourcc("minf");
constexpr uint32_t kSampleTable = fourcc("stbl");
constexpr uint32_t kSampleSizes = fourcc("stsz");
constexpr uint32_t kCompactSampleSizes = fourcc("stz2");
constexpr uint32_t kSampleToChunk = fourcc("stsc");
constexpr uint32_t kChunkOffsets = fourcc("stco");
constexpr uint32_t kChunkOffsets64 = fourcc("co64");

// Atoms a movie file may start with.
constexpr uint32_t kFirstAtoms[] = {fourcc("ftyp"), fourcc("moov"), fourcc("mdat"), fourcc("free"),
                                    fourcc("skip"), fourcc("wide"), fourcc("pnot"), fourcc("uuid")};

bool starts_a_movie_file(uint32_t type) {
    for (uint32_t t : kFirstAtoms)
        if (t == type) return true;
    return false;
}

// Atoms looked at, at most, inside one container: a broken file of tiny
// atoms costs no more than this.
constexpr int kMaxAtomsWalked = 10000;

// The bytes of the movie's source, as the settings name it.
class source_reader {
public:
    source_reader() {
        const config& settings = config::instance();
        if (settings.source_kind() == config::source_data_ref) {
            m_ref = settings.data_ref();
            const int64_t size = m_ref ? m_ref->size() : -1;
            m_ok = size >= 0;
            m_size = m_ok ? uint64_t(size) : 0;
        } else if (settings.source_kind() == config::source_path && settings.path()) {
            std::string path = settings.path();
            const std::string scheme = "file://";
            if (path.compare(0, scheme.size(), scheme) == 0) path.erase(0, scheme.size());
            m_file.open(path, std::ios::binary | std::ios::ate);
            m_ok = bool(m_file);
            m_size = m_ok ? uint64_t(m_file.tellg()) : 0;
        }
    }

    bool ok() const { return m_ok; }
    uint64_t size() const { return m_size; }

    // count bytes at offset; false when they are not all there.
    bool read(uint64_t offset, void* out, size_t count) {
        if (!m_ok || offset > m_size || count > m_size - offset) return false;
        if (m_ref) {
            return m_ref->seek(int64_t(offset), 0) == int64_t(offset) &&
                   m_ref->read(static_cast<unsigned char*>(out), int64_t(count)) == int64_t(count);
        }
        m_file.clear();
        m_file.seekg(std::streamoff(offset));
        m_file.read(static_cast<char*>(out), std::streamsize(count));
        return bool(m_file);
    }

private:
    bool m_ok = false;
    uint64_t m_size = 0;
    std::ifstream m_file;
    CMDataRef* m_ref = nullptr;
};

struct atom_header {
    uint32_t type = 0;
    uint64_t body = 0;  // where its contents start
    uint64_t end = 0;   // where it ends, as its size says
};

enum class atom_read { ok, none, impossible };

// The atom at offset in a container ending at limit: none when fewer than 8
// bytes remain, impossible when its size is below its header's.
atom_read read_atom(source_reader& source, uint64_t offset, uint64_t limit, atom_header& h) {
    uint8_t bytes[16];
    if (limit < offset || limit - offset < 8 || !source.read(offset, bytes, 8))
        return atom_read::none;
    kolmbase::bytestream::rd r(bytes, 8);
    uint32_t size32 = 0;
    r.u32be(size32);
    r.u32be(h.type);
    uint64_t size = size32, header = 8;
    if (size32 == 1) {
        if (limit - offset < 16 || !source.read(offset + 8, bytes + 8, 8)) return atom_read::none;
        kolmbase::bytestream::rd wide(bytes + 8, 8);
        wide.u64be(size);
        header = 16;
    } else if (size32 == 0) {
        size = limit - offset;
    }
    if (size < header) return atom_read::impossible;
    h.body = offset + header;
    h.end = size > UINT64_MAX - offset ? UINT64_MAX : offset + size;
    return atom_read::ok;
}

// The first child of a type inside [begin, end).
bool find_child(source_reader& source, uint64_t begin, uint64_t end, uint32_t type,
                atom_header& found) {
    uint64_t offset = begin;
    for (int n = 0; n < kMaxAtomsWalked; ++n) {
        atom_header h;
        if (read_atom(source, offset, end, h) != atom_read::ok || h.end > end) return false;
        if (h.type == type) {
            found = h;
            return true;
        }
        offset = h.end;
    }
    return false;
}

// The 32-bit big-endian value at offset; 0 when it cannot be read.
uint32_t read_u32(source_reader& source, uint64_t offset) {
    uint8_t bytes[4];
    uint32_t value = 0;
    if (source.read(offset, bytes, 4)) kolmbase::bytestream::rd(bytes, 4).u32be(value);
    return value;
}

// The whole movie atom of the source.
bool find_movie_atom(source_reader& source, atom_header& movie) {
    return source.ok() && find_child(source, 0, source.size(), kMovie, movie);
}

// Why a track's tables describe nothing that can be read; "" when they look
// whole.
std::string table_problem(source_reader& source, const atom_header& track) {
    atom_header media, information, table, sizes, chunks;
    if (!find_child(source, track.body, track.end, kMedia, media)) return "it has no media";
    if (!find_child(source, media.body, media.end, kMediaInformation, information) ||
        !find_child(source, information.body, information.end, kSampleTable, table))
        return "it has no sample table";
    uint32_t samples = 0;
    if (find_child(source, table.body, table.end, kSampleSizes, sizes) ||
        find_child(source, table.body, table.end, kCompactSampleSizes, sizes))
        samples = read_u32(source, sizes.body + 8);  // after version, flags and one field
    const bool has_chunks = find_child(source, table.body, table.end, kChunkOffsets, chunks) ||
                            find_child(source, table.body, table.end, kChunkOffsets64, chunks);
    if (samples > 0 && (!has_chunks || read_u32(source, chunks.body + 4) == 0))
        return "its chunk offset table is empty";
    atom_header to_chunk;
    if (samples > 0 && (!find_child(source, table.body, table.end, kSampleToChunk, to_chunk) ||
                        read_u32(source, to_chunk.body + 4) == 0))
        return "its sample-to-chunk table is empty";
    return "";
}

}  // namespace

std::string fourcc_text(uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((code >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

std::string movie_atom_problem() {
    source_reader source;
    if (!source.ok()) return "";
    if (source.size() == 0) return "the file is empty";
    const unsigned long long size = source.size();
    uint64_t offset = 0;
    for (int n = 0; n < kMaxAtomsWalked; ++n) {
        atom_header h;
        const atom_read result = read_atom(source, offset, source.size(), h);
        if (result == atom_read::none) break;
        if (n == 0 && (result != atom_read::ok || !starts_a_movie_file(h.type)))
            return "not a QuickTime movie (no movie atom)";
        if (result == atom_read::impossible)
            return kolmbase::string_with_format(
                "no movie atom; the atom at byte %llu has an impossible size",
                static_cast<unsigned long long>(offset));
        if (h.end > source.size()) {
            if (h.type == kMovie)
                return kolmbase::string_with_format("movie atom cut short at byte %llu", size);
            return kolmbase::string_with_format(
                "no movie atom; the file ends at byte %llu inside its '%s' atom", size,
                fourcc_text(h.type).c_str());
        }
        if (h.type == kMovie) return "";
        offset = h.end;
    }
    return "no movie atom";
}

size_t file_track_count() {
    source_reader source;
    atom_header movie;
    if (!find_movie_atom(source, movie)) return 0;
    size_t count = 0;
    uint64_t offset = movie.body;
    for (int n = 0; n < kMaxAtomsWalked; ++n) {
        atom_header h;
        if (read_atom(source, offset, movie.end, h) != atom_read::ok || h.end > movie.end) break;
        if (h.type == kTrack) ++count;
        offset = h.end;
    }
    return count;
}

std::vector<file_track> file_tracks() {
    std::vector<file_track> tracks;
    source_reader source;
    atom_header movie;
    if (!find_movie_atom(source, movie)) return tracks;
    uint64_t offset = movie.body;
    for (int n = 0; n < kMaxAtomsWalked; ++n) {
        atom_header h;
        if (read_atom(source, offset, movie.end, h) != atom_read::ok || h.end > movie.end) break;
        offset = h.end;
        if (h.type != kTrack) continue;
        file_track t;
        atom_header header, media, handler;
        if (find_child(source, h.body, h.end, kTrackHeader, header)) {
            uint8_t version = 0;
            source.read(header.body, &version, 1);
            // After version and flags, two times of 4 bytes (8 in version 1).
            t.id = read_u32(source, header.body + (version == 1 ? 20 : 12));
        }
        atom_header media_header;
        if (find_child(source, h.body, h.end, kMedia, media) &&
            find_child(source, media.body, media.end, kHandler, handler))
            t.handler = read_u32(source, handler.body + 8);  // after version, flags, component type
        if (find_child(source, h.body, h.end, kMedia, media) &&
            find_child(source, media.body, media.end, kMediaHeader, media_header)) {
            uint8_t version = 0;
            source.read(media_header.body, &version, 1);
            // After version and flags, two times of 4 bytes (8 in version 1).
            t.media_time_scale = read_u32(source, media_header.body + (version == 1 ? 20 : 12));
        }
        t.problem = table_problem(source, h);
        tracks.push_back(t);
    }
    return tracks;
}

}  // namespace ns_movie_apple_qt

#include "movie_edits.h"

#include <cstdint>
#include <limits>

#include "quicktime/mac_types.h"

namespace ruv_import {

namespace {

constexpr uint32_t kMoov = qt_fourcc("moov");
constexpr uint32_t kMvhd = qt_fourcc("mvhd");
constexpr uint32_t kTrak = qt_fourcc("trak");
constexpr uint32_t kTkhd = qt_fourcc("tkhd");
constexpr uint32_t kMdia = qt_fourcc("mdia");
constexpr uint32_t kMdhd = qt_fourcc("mdhd");
constexpr uint32_t kHdlr = qt_fourcc("hdlr");
constexpr uint32_t kEdts = qt_fourcc("edts");
constexpr uint32_t kElst = qt_fourcc("elst");
constexpr uint32_t kMinf = qt_fourcc("minf");
constexpr uint32_t kStbl = qt_fourcc("stbl");
constexpr uint32_t kStts = qt_fourcc("stts");
constexpr uint32_t kCtts = qt_fourcc("ctts");
constexpr uint32_t kStss = qt_fourcc("stss");

// Samples looked at to find where the first shown frame decodes from.
constexpr uint64_t kMaxSamplesLooked = 10u * 1000 * 1000;

// A movie atom larger than this is not read (the check is then skipped).
constexpr uint64_t kMaxMovieAtom = 64u * 1024 * 1024;

// Big-endian reading inside [position, end) of a byte range; a read past
// the end fails the reader, and every later read fails too.
class byte_reader {
public:
    byte_reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool failed() const { return m_failed; }
    size_t remaining() const { return m_failed ? 0 : m_size - m_position; }
    bool skip(size_t count) {
        if (remaining() < count) {
            m_failed = true;
            return false;
        }
        m_position += count;
        return true;
    }
    uint64_t read(size_t bytes) {
        if (remaining() < bytes) {
            m_failed = true;
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i) v = v << 8 | m_data[m_position++];
        return v;
    }
    byte_reader sub(size_t count) {
        if (remaining() < count) {
            m_failed = true;
            return byte_reader(nullptr, 0);
        }
        byte_reader inner(m_data + m_position, count);
        m_position += count;
        return inner;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_failed = false;
};

// The body of the next atom, its type in type; a failed reader at the end
// or on a size that does not fit.
byte_reader next_atom(byte_reader& in, uint32_t& type) {
    uint64_t size = in.read(4);
    type = uint32_t(in.read(4));
    uint64_t header = 8;
    if (size == 1) {
        size = in.read(8);
        header = 16;
    } else if (size == 0) {
        size = in.remaining() + header;
    }
    if (in.failed() || size < header || size - header > in.remaining()) {
        in.skip(in.remaining() + 1);
        return byte_reader(nullptr, 0);
    }
    return in.sub(size_t(size - header));
}

// The body of the first child atom of the type; a failed reader without one.
byte_reader child(byte_reader in, uint32_t wanted) {
    while (in.remaining() >= 8) {
        uint32_t type = 0;
        byte_reader body = next_atom(in, type);
        if (in.failed()) break;
        if (type == wanted) return body;
    }
    byte_reader none(nullptr, 0);
    none.skip(1);
    return none;
}

// Version 0 and 1 headers: version byte, flags, then times of 32 or 64 bits.
uint64_t read_time(byte_reader& in, bool version1) { return in.read(version1 ? 8 : 4); }

// Durations from the file added without overflow: a track the runtime
// refused may hold any value, and a sum past 2^63 stays at the largest.
constexpr int64_t kLongest = std::numeric_limits<int64_t>::max();
void add_duration(int64_t& sum, uint64_t duration) {
    sum = duration >= uint64_t(kLongest - sum) ? kLongest : sum + int64_t(duration);
}

// All ones: the writer did not know the duration (a movie in fragments).
bool unknown_time(uint64_t time, bool version1) {
    return time == (version1 ? ~0ull : 0xFFFFFFFFull);
}

void read_edits(byte_reader elst, uint32_t media_scale, uint64_t media_duration,
                uint32_t movie_scale, track_time_line& track) {
    track.media_scale = media_scale;
    track.media_duration = media_duration;
    if (elst.failed()) {
        // No edit list: the media plays once from movie time 0, for as long
        // as its header says, when it says.
        track.shows_media = media_scale != 0 && media_duration != ~0ull;
        if (media_scale != 0) {
            const double end = double(media_duration) * movie_scale / media_scale;
            track.end = end < double(kLongest) ? int64_t(end) : kLongest;
        }
        if (track.shows_media) track.edits.push_back({0, track.end, 0, 1.0});
        return;
    }
    const bool version1 = elst.read(1) == 1;
    elst.skip(3);
    const uint64_t count = elst.read(4);
    const size_t entry = version1 ? 20 : 12;
    for (uint64_t i = 0; i < count && elst.remaining() >= entry; ++i) {
        const uint64_t duration = read_time(elst, version1);
        const int64_t media_time =
            version1 ? int64_t(elst.read(8)) : int64_t(int32_t(uint32_t(elst.read(4))));
        const double rate = double(int32_t(uint32_t(elst.read(4)))) / 65536.0;
        track.edits.push_back(
            {track.end, int64_t(std::min<uint64_t>(duration, kLongest)), media_time, rate});
        if (media_time == -1 && !track.shows_media) add_duration(track.leading_empty, duration);
        if (media_time != -1 && duration > 0) track.shows_media = true;
        add_duration(track.end, duration);
    }
}

// The decode time of the sync sample the frame shown at media time `shown`
// decodes from: the last sync sample decoded at or before it that is itself
// shown at or before it, else the first sync sample looked at.
void find_sync_start(byte_reader stbl, int64_t shown, track_time_line& track) {
    byte_reader stts = child(stbl, kStts);
    byte_reader ctts = child(stbl, kCtts);
    byte_reader stss = child(stbl, kStss);
    stts.skip(4);
    uint64_t stts_left = stts.read(4);
    ctts.skip(4);
    uint64_t ctts_entries = ctts.read(4);
    stss.skip(4);
    uint64_t stss_left = stss.read(4);
    const bool all_sync = stss.failed();
    uint64_t next_sync = 0;
    uint64_t run = 0, delta = 0, offset_run = 0;
    int64_t offset = 0, decode = 0;
    bool found = false;
    for (uint64_t number = 1; number <= kMaxSamplesLooked && decode <= shown; ++number) {
        while (run == 0 && stts_left > 0 && !stts.failed()) {
            run = stts.read(4);
            delta = stts.read(4);
            --stts_left;
        }
        if (run == 0 || stts.failed()) break;
        while (offset_run == 0 && ctts_entries > 0 && !ctts.failed()) {
            offset_run = ctts.read(4);
            offset = int64_t(int32_t(uint32_t(ctts.read(4))));
            --ctts_entries;
        }
        while (!all_sync && stss_left > 0 && next_sync < number && !stss.failed()) {
            next_sync = stss.read(4);
            --stss_left;
        }
        const bool sync = all_sync || next_sync == number;
        const int64_t display = decode + (offset_run > 0 ? offset : 0);
        if (sync && (!found || display <= shown)) {
            track.sync_start = decode;
            found = true;
        }
        --run;
        if (offset_run > 0) --offset_run;
        decode += int64_t(delta);
    }
    track.has_sync_start = found;
}

bool read_track(byte_reader trak, uint32_t movie_scale, track_time_line& track) {
    byte_reader tkhd = child(trak, kTkhd);
    const bool tkhd_version1 = tkhd.read(1) == 1;
    track.enabled = (tkhd.read(3) & 1) != 0;
    // The track ID after the creation and modification times; a header too
    // short for it still gives the flags.
    const size_t id_at = tkhd_version1 ? 16 : 8;
    if (tkhd.remaining() >= id_at + 4) {
        tkhd.skip(id_at);
        track.id = uint32_t(tkhd.read(4));
    }
    byte_reader mdia = child(trak, kMdia);
    byte_reader mdhd = child(mdia, kMdhd);
    const bool version1 = mdhd.read(1) == 1;
    mdhd.skip(3 + (version1 ? 16 : 8));
    const uint32_t media_scale = uint32_t(mdhd.read(4));
    uint64_t media_duration = read_time(mdhd, version1);
    if (unknown_time(media_duration, version1)) media_duration = ~0ull;
    byte_reader hdlr = child(mdia, kHdlr);
    hdlr.skip(8);
    track.handler = uint32_t(hdlr.read(4));
    if (tkhd.failed() || mdhd.failed() || hdlr.failed()) return false;
    read_edits(child(child(trak, kEdts), kElst), media_scale, media_duration, movie_scale, track);
    byte_reader stbl = child(child(mdia, kMinf), kStbl);
    if (!stbl.failed()) {
        for (const movie_edit& e : track.edits) {
            if (e.media_time < 0 || e.duration <= 0) continue;
            find_sync_start(stbl, e.media_time, track);
            break;
        }
    }
    return true;
}

struct atom_header {
    uint32_t type = 0;
    int64_t body = 0;  // stream offset of the body
    int64_t end = 0;   // stream offset after the atom
};

// The header of the atom at `at`, which must end by `end` (-1: the stream's
// end, unknown).
bool read_atom_header(Ruv::CM::RStream& stream, int64_t at, int64_t end, atom_header& h) {
    uint8_t bytes[16];
    if (stream.lseek(at, 0) != at || stream.read(bytes, 8) != 8) return false;
    byte_reader in(bytes, 8);
    uint64_t size = in.read(4);
    h.type = uint32_t(in.read(4));
    uint64_t header_size = 8;
    if (size == 1) {
        if (stream.read(bytes + 8, 8) != 8) return false;
        byte_reader large(bytes + 8, 8);
        size = large.read(8);
        header_size = 16;
    } else if (size == 0 && end >= 0) {
        size = uint64_t(end - at);
    }
    if (size < header_size || size > uint64_t(std::numeric_limits<int64_t>::max() - at))
        return false;
    h.body = at + int64_t(header_size);
    h.end = at + int64_t(size);
    return end < 0 || h.end <= end;
}

void put_u32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (24 - 8 * i));
}

// Copies, with their headers, the atoms of [at, end) that the time line
// reads: at level 0 (the movie atom's body) the movie header and the tracks,
// at level 1 a track's header, its edits and its media, at level 2 the edit
// list, the media header and the handler. A track, its edits and its media
// are rebuilt from what they keep; everything else, the sample tables above
// all, which grow with the movie's length, is skipped unread, but for the
// timing and sync tables (levels 3 and 4 below the media) with_samples.
bool copy_time_line_atoms(Ruv::CM::RStream& stream, int64_t at, int64_t end, int level,
                          bool with_samples, std::vector<uint8_t>& out) {
    while (at + 8 <= end) {
        atom_header h;
        if (!read_atom_header(stream, at, end, h)) return false;
        const bool container =
            (level == 0 && h.type == kTrak) ||
            (level == 1 && (h.type == kMdia || h.type == kEdts)) ||
            (with_samples && ((level == 2 && h.type == kMinf) || (level == 3 && h.type == kStbl)));
        const bool leaf = level == 0   ? h.type == kMvhd
                          : level == 1 ? h.type == kTkhd
                          : level == 2 ? h.type == kMdhd || h.type == kHdlr || h.type == kElst
                                       : level == 4 && (h.type == kStts || h.type == kCtts ||
                                                        h.type == kStss);
        if (container || leaf) {
            const uint64_t body = uint64_t(h.end - h.body);
            if (out.size() + 8 > kMaxMovieAtom || (leaf && body > kMaxMovieAtom - out.size() - 8))
                return false;
            const size_t start = out.size();
            out.resize(start + 8);
            put_u32(out, start + 4, h.type);
            if (container) {
                if (!copy_time_line_atoms(stream, h.body, h.end, level + 1, with_samples, out))
                    return false;
            } else {
                out.resize(out.size() + size_t(body));
                if (stream.lseek(h.body, 0) != h.body ||
                    stream.read(out.data() + start + 8, int64_t(body)) != int64_t(body))
                    return false;
            }
            put_u32(out, start, uint32_t(out.size() - start));
        }
        at = h.end;
    }
    return true;
}

// The movie atom's body as the time line reads it (copy_time_line_atoms).
bool read_movie_atom(Ruv::CM::RStream& stream, bool with_samples, std::vector<uint8_t>& moov) {
    const int64_t file_size = stream.size();
    for (int64_t at = 0; file_size < 0 || at + 8 <= file_size;) {
        atom_header h;
        if (!read_atom_header(stream, at, file_size, h)) return false;
        if (h.type == kMoov)
            return copy_time_line_atoms(stream, h.body, h.end, 0, with_samples, moov);
        at = h.end;
    }
    return false;
}

}  // namespace

bool read_movie_time_line(Ruv::CM::RStream& stream, movie_time_line& out, bool with_samples) {
    std::vector<uint8_t> moov;
    if (!read_movie_atom(stream, with_samples, moov)) return false;
    byte_reader movie(moov.data(), moov.size());
    byte_reader mvhd = child(movie, kMvhd);
    const bool version1 = mvhd.read(1) == 1;
    mvhd.skip(3 + (version1 ? 16 : 8));
    out.time_scale = uint32_t(mvhd.read(4));
    const uint64_t duration = read_time(mvhd, version1);
    if (mvhd.failed() || out.time_scale == 0) return false;
    if (!unknown_time(duration, version1) && duration <= uint64_t(INT64_MAX))
        out.duration = int64_t(duration);
    while (movie.remaining() >= 8) {
        uint32_t type = 0;
        byte_reader body = next_atom(movie, type);
        if (movie.failed()) break;
        if (type != kTrak) continue;
        track_time_line track;
        if (read_track(body, out.time_scale, track)) out.tracks.push_back(track);
    }
    return true;
}

}  // namespace ruv_import

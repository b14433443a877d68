#include "movie_edits.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "format/atom_types.h"
#include "format/atom_walk.h"
#include "format/time_scale.h"
#include "quicktime/mac_types.h"

namespace ruv_import {

namespace {

using namespace qt_format::atom_types;

using qt_format::atom_reader;

// Samples looked at to find where the first shown frame decodes from.
constexpr uint64_t kMaxSamplesLooked = 10u * 1000 * 1000;

// A movie atom larger than this is not read (the check is then skipped).
constexpr uint64_t kMaxMovieAtom = 64u * 1024 * 1024;

// Fields are read in a group and the reader checked once after it: a read
// past the end gives 0 and fails the reader, which every later read finds.
uint8_t u8(atom_reader& in) {
    uint8_t v = 0;
    return in.read_u8(v) ? v : 0;
}
uint32_t u24(atom_reader& in) {
    uint32_t v = 0;
    return in.read_u24(v) ? v : 0;
}
uint32_t u32(atom_reader& in) {
    uint32_t v = 0;
    return in.read_u32(v) ? v : 0;
}

// The body of the first child atom of the type; a failed reader without one.
atom_reader child(atom_reader in, uint32_t wanted) {
    atom_reader body;
    return qt_format::find_child(in, wanted, body) ? body : atom_reader().sub(1);
}

// Durations from the file added without overflow: a track the runtime
// refused may hold any value, and a sum past 2^63 stays at the largest.
constexpr int64_t kLongest = std::numeric_limits<int64_t>::max();
void add_duration(int64_t& sum, uint64_t duration) {
    sum = duration >= uint64_t(kLongest - sum) ? kLongest : sum + int64_t(duration);
}

// A movie's or a media's header ('mvhd', 'mdhd'): after version and flags,
// the creation and modification times, then the time scale and the
// duration, both times and the duration 32 bits long in version 0 and 64 in
// version 1. A duration of all ones: the writer did not know it (a movie in
// fragments).
struct time_header {
    uint32_t scale = 0;
    uint64_t duration = 0;
    bool duration_known = false;

    bool parse(atom_reader r) {
        uint8_t version = 0;
        uint32_t flags = 0;
        if (!qt_format::read_version_flags(r, version, flags) ||
            !r.skip(2 * qt_format::time_field_size(version)) || !r.read_u32(scale) ||
            !qt_format::read_time_field(r, version, duration))
            return false;
        duration_known = !qt_format::time_unknown(version, duration);
        return true;
    }
};

void read_edits(atom_reader elst, uint32_t media_scale, uint64_t media_duration,
                uint32_t movie_scale, track_time_line& track) {
    track.media_scale = media_scale;
    track.media_duration = media_duration;
    if (elst.failed()) {
        // No edit list: the media plays once from movie time 0, for as long
        // as its header says, when it says.
        track.shows_media = media_scale != 0 && media_duration != ~0ull;
        if (media_scale != 0)
            track.end = qt_format::scale_time(int64_t(std::min<uint64_t>(media_duration, kLongest)),
                                         movie_scale, media_scale);
        if (track.shows_media) track.edits.push_back({0, track.end, 0, 1.0});
        return;
    }
    const uint8_t version = u8(elst);
    const uint64_t count = elst.skip(3) ? u32(elst) : 0;
    const size_t entry = 2 * qt_format::time_field_size(version) + 4;
    for (uint64_t i = 0; i < count && elst.remaining() >= entry; ++i) {
        uint64_t duration = 0;
        int64_t media_time = 0;
        if (!qt_format::read_time_field(elst, version, duration) ||
            !qt_format::read_time_field(elst, version, media_time))
            break;
        const double rate = double(int32_t(u32(elst))) / 65536.0;
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
void find_sync_start(atom_reader stbl, int64_t shown, track_time_line& track) {
    atom_reader stts = child(stbl, kAtomStts);
    atom_reader ctts = child(stbl, kAtomCtts);
    atom_reader stss = child(stbl, kAtomStss);
    uint64_t stts_left = stts.skip(4) ? u32(stts) : 0;
    uint64_t ctts_entries = ctts.skip(4) ? u32(ctts) : 0;
    uint64_t stss_left = stss.skip(4) ? u32(stss) : 0;
    const bool all_sync = stss.failed();
    uint64_t next_sync = 0;
    uint64_t run = 0, delta = 0, offset_run = 0;
    int64_t offset = 0, decode = 0;
    bool found = false;
    for (uint64_t number = 1; number <= kMaxSamplesLooked && decode <= shown; ++number) {
        while (run == 0 && stts_left > 0 && !stts.failed()) {
            run = u32(stts);
            delta = u32(stts);
            --stts_left;
        }
        if (run == 0 || stts.failed()) break;
        while (offset_run == 0 && ctts_entries > 0 && !ctts.failed()) {
            offset_run = u32(ctts);
            offset = int64_t(int32_t(u32(ctts)));
            --ctts_entries;
        }
        while (!all_sync && stss_left > 0 && next_sync < number && !stss.failed()) {
            next_sync = u32(stss);
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

bool read_track(atom_reader trak, uint32_t movie_scale, track_time_line& track) {
    atom_reader tkhd = child(trak, kAtomTkhd);
    const uint8_t tkhd_version = u8(tkhd);
    track.enabled = (u24(tkhd) & 1) != 0;
    // The track ID after the creation and modification times; a header too
    // short for it still gives the flags.
    const size_t id_at = 2 * qt_format::time_field_size(tkhd_version);
    if (tkhd.remaining() >= id_at + 4 && tkhd.skip(id_at)) track.id = u32(tkhd);
    atom_reader mdia = child(trak, kAtomMdia);
    time_header media;
    const bool has_media_header = media.parse(child(mdia, kAtomMdhd));
    atom_reader hdlr = child(mdia, kAtomHdlr);
    track.handler = hdlr.skip(8) ? u32(hdlr) : 0;
    if (tkhd.failed() || !has_media_header || hdlr.failed()) return false;
    read_edits(child(child(trak, kAtomEdts), kAtomElst), media.scale,
               media.duration_known ? media.duration : ~0ull, movie_scale, track);
    atom_reader stbl = child(child(mdia, kAtomMinf), kAtomStbl);
    if (!stbl.failed()) {
        for (const movie_edit& e : track.edits) {
            if (e.media_time < 0 || e.duration <= 0) continue;
            find_sync_start(stbl, e.media_time, track);
            break;
        }
    }
    return true;
}

// The movie file's stream, read by position.
class stream_source : public qt_format::byte_source {
public:
    explicit stream_source(Ruv::CM::RStream& stream) : m_stream(stream) {}
    [[nodiscard]] bool read(uint64_t offset, size_t count, uint8_t* out) override {
        const int64_t at = int64_t(offset);
        return offset <= uint64_t(std::numeric_limits<int64_t>::max()) &&
               m_stream.lseek(at, 0) == at && m_stream.read(out, int64_t(count)) == int64_t(count);
    }

private:
    Ruv::CM::RStream& m_stream;
};

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
bool copy_time_line_atoms(stream_source& source, uint64_t at, uint64_t end, int level,
                          bool with_samples, std::vector<uint8_t>& out) {
    qt_format::child_atoms children(source, at, end);
    qt_format::atom_header h;
    while (children.next(h)) {
        const bool container =
            (level == 0 && h.type == kAtomTrak) ||
            (level == 1 && (h.type == kAtomMdia || h.type == kAtomEdts)) ||
            (with_samples && ((level == 2 && h.type == kAtomMinf) || (level == 3 && h.type == kAtomStbl)));
        const bool leaf = level == 0   ? h.type == kAtomMvhd
                          : level == 1 ? h.type == kAtomTkhd
                          : level == 2 ? h.type == kAtomMdhd || h.type == kAtomHdlr || h.type == kAtomElst
                                       : level == 4 && (h.type == kAtomStts || h.type == kAtomCtts ||
                                                        h.type == kAtomStss);
        if (!container && !leaf) continue;
        const uint64_t body = h.body_size();
        if (out.size() + 8 > kMaxMovieAtom || (leaf && body > kMaxMovieAtom - out.size() - 8))
            return false;
        const size_t start = out.size();
        out.resize(start + 8);
        put_u32(out, start + 4, h.type);
        if (container) {
            if (!copy_time_line_atoms(source, h.body(), h.end(), level + 1, with_samples, out))
                return false;
        } else {
            out.resize(out.size() + size_t(body));
            if (!source.read(h.body(), size_t(body), out.data() + start + 8)) return false;
        }
        put_u32(out, start, uint32_t(out.size() - start));
    }
    return !children.failed();
}

// The movie atom's body as the time line reads it (copy_time_line_atoms). A
// stream whose size is not known is walked until a read fails.
bool read_movie_atom(Ruv::CM::RStream& stream, bool with_samples, std::vector<uint8_t>& moov) {
    const int64_t file_size = stream.size();
    stream_source source(stream);
    qt_format::child_atoms top(
        source, 0, uint64_t(file_size < 0 ? std::numeric_limits<int64_t>::max() : file_size));
    qt_format::atom_header h;
    while (top.next(h)) {
        if (h.type == MovieAID)
            return copy_time_line_atoms(source, h.body(), h.end(), 0, with_samples, moov);
    }
    return false;
}

}  // namespace

bool read_movie_time_line(Ruv::CM::RStream& stream, movie_time_line& out, bool with_samples) {
    std::vector<uint8_t> moov;
    if (!read_movie_atom(stream, with_samples, moov)) return false;
    atom_reader movie(moov.data(), moov.size());
    time_header header;
    const bool has_header = header.parse(child(movie, kAtomMvhd));
    out.time_scale = header.scale;
    if (!has_header || out.time_scale == 0) return false;
    if (header.duration_known && header.duration <= uint64_t(INT64_MAX))
        out.duration = int64_t(header.duration);
    qt_format::atom a;
    bool malformed = false;
    while (qt_format::next_atom(movie, a, malformed)) {
        if (a.type != kAtomTrak) continue;
        track_time_line track;
        if (read_track(a.body, out.time_scale, track)) out.tracks.push_back(track);
    }
    return true;
}

}  // namespace ruv_import

#include "movie/movie_parser.h"

#include <algorithm>
#include <limits>
#include <new>

#include "format/atom_walk.h"
#include "format/atom_types.h"
#include "movie/data_handler_source.h"
#include "movie/fragment_parser.h"
#include "movie/sample_table_builder.h"
#include "movie/track_durations.h"

namespace qtrt {

using namespace qt_format::atom_types;

using qt_format::atom_reader;
using qt_format::atom;
using qt_format::next_atom;
using qt_format::read_time_field;
using qt_format::read_version_flags;
using qt_format::time_field_size;
using qt_format::time_unknown;

namespace {

// The largest movie atom read into memory.
constexpr uint64_t kMaxMovieAtomSize = uint64_t(1) << 30;

bool parse_user_data(atom_reader r, std::vector<user_data_item>& items) {
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        user_data_item item;
        item.type = a.type;
        item.data.assign(a.body.current(), a.body.current() + a.body.remaining());
        items.push_back(std::move(item));
    }
    return !malformed;
}

// A header's duration, 32-bit in version 0 and 64-bit in version 1. All
// ones means the writer did not know it (a movie in fragments): 0, so that it
// comes from the samples.
bool read_duration(atom_reader& r, uint8_t version, int64_t& duration) {
    uint64_t value = 0;
    if (!read_time_field(r, version, value)) return false;
    duration = time_unknown(version, value) ? 0 : int64_t(value);
    return true;
}

// The times shared by 'mvhd' and 'mdhd': creation and modification times
// (skipped), the time scale and the duration.
bool read_scale_and_duration(atom_reader& r, uint8_t version, uint32_t& scale, int64_t& duration) {
    const bool read = r.skip(2 * time_field_size(version)) && r.read_u32(scale);
    return read_duration(r, version, duration) && read;
}

bool parse_mvhd(atom_reader r, movie_model& movie) {
    uint8_t version = 0;
    uint32_t flags = 0, scale = 0;
    if (!read_version_flags(r, version, flags)) return false;
    const bool read = read_scale_and_duration(r, version, scale, movie.duration) &&
                      r.read_i32(movie.preferred_rate) && r.read_i16(movie.preferred_volume) &&
                      r.skip(10 + 36 + 24) && r.read_u32(movie.next_track_id);
    movie.time_scale = TimeScale(scale);
    return read && movie.time_scale > 0 && movie.duration >= 0;
}

bool parse_tkhd(atom_reader r, track_model& track) {
    uint8_t version = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, version, flags)) return false;
    track.enabled = (flags & 1) != 0;
    bool read = r.skip(2 * time_field_size(version)) && r.read_u32(track.id) && r.skip(4);
    read = read_duration(r, version, track.duration) && read;
    read = read && r.skip(8) && r.read_i16(track.layer) && r.read_i16(track.alternate_group) &&
           r.read_i16(track.volume) && r.skip(2 + 36) && r.read_i32(track.width) &&
           r.read_i32(track.height);
    return read && track.duration >= 0;
}

bool parse_elst(atom_reader r, std::vector<edit_entry>& edits) {
    uint8_t version = 0;
    uint32_t flags = 0, count = 0;
    if (!read_version_flags(r, version, flags) || !r.read_u32(count)) return false;
    const size_t entry_size = 2 * time_field_size(version) + 4;
    if (count > r.remaining() / entry_size) return false;
    edits.reserve(count);
    int64_t total = 0;
    bool read = true;
    for (uint32_t i = 0; i < count; ++i) {
        edit_entry e;
        uint64_t duration = 0;
        read = read && read_time_field(r, version, duration) &&
               read_time_field(r, version, e.media_time);
        e.track_duration = int64_t(duration);
        read = read && r.read_i32(e.rate);
        if (e.track_duration < 0 || e.media_time < -1 ||
            e.track_duration > std::numeric_limits<int64_t>::max() - total)
            return false;
        total += e.track_duration;
        edits.push_back(e);
    }
    return read;
}

bool parse_tref(atom_reader r, std::vector<track_reference>& refs) {
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        track_reference ref;
        ref.type = a.type;
        uint32_t id = 0;
        while (a.body.read_u32(id)) ref.track_ids.push_back(id);
        refs.push_back(std::move(ref));
    }
    return !malformed;
}

bool parse_mdhd(atom_reader r, media_model& media) {
    uint8_t version = 0;
    uint32_t flags = 0, scale = 0;
    if (!read_version_flags(r, version, flags)) return false;
    const bool read = read_scale_and_duration(r, version, scale, media.duration) &&
                      r.read_u16(media.language);
    media.time_scale = TimeScale(scale);
    return read && media.time_scale > 0 && media.duration >= 0;
}

// The handler's subtype: the media type in 'mdia', the data reference type in
// 'minf'.
bool parse_hdlr(atom_reader r, OSType& subtype) {
    uint8_t version = 0;
    uint32_t flags = 0, component_type = 0;
    return read_version_flags(r, version, flags) && r.read_u32(component_type) &&
           r.read_u32(subtype);
}

bool parse_dref(atom_reader r, std::vector<data_reference>& refs) {
    uint8_t version = 0;
    uint32_t flags = 0, count = 0;
    if (!read_version_flags(r, version, flags) || !r.read_u32(count)) return false;
    if (count > r.remaining() / 12) return false;
    for (uint32_t i = 0; i < count; ++i) {
        atom a;
        bool malformed = false;
        if (!next_atom(r, a, malformed)) return false;
        data_reference ref;
        ref.type = a.type;
        uint8_t entry_version = 0;
        if (!read_version_flags(a.body, entry_version, ref.flags)) return false;
        ref.data.assign(a.body.current(), a.body.current() + a.body.remaining());
        refs.push_back(std::move(ref));
    }
    return true;
}

bool parse_stsd(atom_reader r, std::vector<sample_description_entry>& entries) {
    uint8_t version = 0;
    uint32_t flags = 0, count = 0;
    if (!read_version_flags(r, version, flags) || !r.read_u32(count)) return false;
    if (count > r.remaining() / 16) return false;
    entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* start = r.current();
        uint32_t size = 0;
        if (!r.read_u32(size) || size < 16 || size - 4 > r.remaining()) return false;
        atom_reader entry = r.sub(size - 4);
        sample_description_entry e;
        // Entries hold at least 16 bytes: these reads cannot fail.
        if (!entry.read_u32(e.format) || !entry.skip(6) || !entry.read_u16(e.data_ref_index))
            return false;
        e.bytes.assign(start, start + size);
        entries.push_back(std::move(e));
    }
    return !r.failed();
}

OSErr parse_stbl(atom_reader r, media_model& media) {
    stbl_tables tables;
    bool has_stsd = false;
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        stbl_tables::table* slot = nullptr;
        switch (a.type) {
        case kAtomStsd:
            if (!parse_stsd(a.body, media.descriptions)) return invalidMedia;
            has_stsd = true;
            break;
        case kAtomStts: slot = &tables.stts; break;
        case kAtomCtts: slot = &tables.ctts; break;
        case kAtomStss: slot = &tables.stss; break;
        case kAtomStps: slot = &tables.stps; break;
        case kAtomSdtp: slot = &tables.sdtp; break;
        case kAtomStsc: slot = &tables.stsc; break;
        case kAtomStsz: slot = &tables.stsz; break;
        case kAtomStz2: slot = &tables.stz2; break;
        case kAtomStco: slot = &tables.stco; break;
        case kAtomCo64: slot = &tables.co64; break;
        default: break;  // 'cslg' and others: the offsets themselves give the range
        }
        if (slot && !slot->present) {
            slot->present = true;
            slot->body = a.body;
        }
    }
    if (malformed || !has_stsd) return invalidMedia;
    return sample_table_builder::build(tables, uint32_t(media.descriptions.size()), media.samples);
}

OSErr parse_minf(atom_reader r, media_model& media) {
    atom a;
    bool malformed = false;
    bool has_stbl = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == kAtomHdlr) {
            if (!parse_hdlr(a.body, media.handler_subtype)) return invalidMedia;
        } else if (a.type == kAtomDinf) {
            atom d;
            bool bad = false;
            while (next_atom(a.body, d, bad))
                if (d.type == kAtomDref && !parse_dref(d.body, media.data_refs)) return invalidMedia;
            if (bad) return invalidMedia;
        } else if (a.type == kAtomStbl && !has_stbl) {
            OSErr err = parse_stbl(a.body, media);
            if (err != noErr) return err;
            has_stbl = true;
        }
    }
    return malformed ? invalidMedia : noErr;
}

OSErr parse_mdia(atom_reader r, media_model& media) {
    atom a;
    bool malformed = false;
    bool has_mdhd = false, has_hdlr = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == kAtomMdhd) {
            if (!parse_mdhd(a.body, media)) return invalidMedia;
            has_mdhd = true;
        } else if (a.type == kAtomHdlr && !has_hdlr) {
            if (!parse_hdlr(a.body, media.handler_type)) return invalidMedia;
            has_hdlr = true;
        } else if (a.type == kAtomMinf) {
            OSErr err = parse_minf(a.body, media);
            if (err != noErr) return err;
        }
    }
    if (malformed || !has_mdhd || !has_hdlr) return invalidMedia;
    // Every description must name an existing data reference.
    for (const sample_description_entry& d : media.descriptions)
        if (d.data_ref_index == 0 || d.data_ref_index > media.data_refs.size()) return badDataRefIndex;
    return noErr;
}

OSErr parse_trak(atom_reader r, track_model& track) {
    atom a;
    bool malformed = false;
    bool has_tkhd = false, has_mdia = false, has_edits = false;
    while (next_atom(r, a, malformed)) {
        switch (a.type) {
        case kAtomTkhd:
            if (!parse_tkhd(a.body, track)) return invalidTrack;
            has_tkhd = true;
            break;
        case kAtomEdts: {
            atom e;
            bool bad = false;
            while (next_atom(a.body, e, bad)) {
                if (e.type == kAtomElst && !has_edits) {
                    if (!parse_elst(e.body, track.edits)) return invalidTrack;
                    has_edits = true;
                }
            }
            if (bad) return invalidTrack;
            break;
        }
        case kAtomTref:
            if (!parse_tref(a.body, track.references)) return invalidTrack;
            break;
        case kAtomMdia: {
            if (has_mdia) break;
            OSErr err = parse_mdia(a.body, track.media);
            if (err != noErr) return err;
            has_mdia = true;
            break;
        }
        case kAtomUdta:
            parse_user_data(a.body, track.user_data);
            break;
        default:
            break;
        }
    }
    if (malformed || !has_tkhd || !has_mdia) return invalidTrack;
    return noErr;
}

}  // namespace

OSErr read_movie_atom(data_handler& data, std::vector<uint8_t>& contents) {
    uint64_t size = 0;
    OSErr err = data.data_size(size);
    if (err != noErr) return err;
    data_handler_source source(data);
    qt_format::child_atoms top(source, 0, size);
    qt_format::atom_header h;
    while (top.next(h)) {
        if (h.type != MovieAID) continue;
        const uint64_t body = h.body_size();
        if (body > kMaxMovieAtomSize) return memFullErr;
        try {
            contents.resize(size_t(body));
        } catch (const std::bad_alloc&) {
            return memFullErr;
        }
        return data.read(h.body(), uint32_t(body), contents.data()) == noErr ? noErr
                                                                              : invalidMovie;
    }
    // A broken or truncated atom ends the walk; a broken movie atom is invalid.
    if (top.failed() && top.status() != qt_format::atom_status::unreadable &&
        top.error().path.back() == MovieAID)
        return invalidMovie;
    return noMovieFound;
}

OSErr parse_movie_atom(const uint8_t* contents, size_t size, movie_model& movie, data_handler* data,
                       std::string* warning) {
    atom_reader r(contents, size);
    atom a;
    bool malformed = false;
    bool has_mvhd = false;
    std::vector<atom_reader> tracks;
    movie_extends extends;
    bool broken_extends = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == kAtomMvhd && !has_mvhd) {
            if (!parse_mvhd(a.body, movie)) return invalidMovie;
            has_mvhd = true;
        } else if (a.type == kAtomTrak) {
            tracks.push_back(a.body);
        } else if (a.type == kAtomUdta) {
            parse_user_data(a.body, movie.user_data);
        } else if (a.type == kAtomMvex && !extends.present && !broken_extends) {
            broken_extends = !parse_mvex(a.body, extends);
        }
    }
    if (malformed || !has_mvhd) return invalidMovie;
    for (const atom_reader& body : tracks) {
        track_model track;
        OSErr err = parse_trak(body, track);
        if (err != noErr) {
            movie.refused.push_back({track.id, err});
            continue;
        }
        movie.tracks.push_back(std::move(track));
    }
    // Fragments are read where 'mvex' announces them, and where the movie
    // atom holds no sample at all (writers that leave 'mvex' out).
    bool no_samples = !movie.tracks.empty();
    for (const track_model& track : movie.tracks)
        no_samples = no_samples && track.media.samples.count() == 0;
    std::vector<std::string> lines;
    if (broken_extends) {
        extends = movie_extends();
        lines.push_back(
            "its movie fragment defaults ('mvex') are malformed; the fragments are not read");
    } else if (data && (extends.present || no_samples)) {
        OSErr err = read_movie_fragments(*data, extends, movie, lines);
        if (err != noErr) return err;
    }
    derive_durations(movie, extends.present, lines);
    if (warning) {
        for (const std::string& line : lines) *warning += (warning->empty() ? "" : "\n") + line;
    }
    return noErr;
}

}  // namespace qtrt

#include "movie/fragment_parser.h"

#include <algorithm>
#include <limits>
#include <new>

#include "audio/sound_description.h"
#include "format/atom_walk.h"
#include "movie/atom_types.h"
#include "movie/data_handler_source.h"
#include "movie/fragment_samples.h"

namespace qtrt {

using qt_format::atom_reader;
using qt_format::atom;
using qt_format::next_atom;
using qt_format::read_version_flags;

namespace {

// The largest 'moof' read into memory.
constexpr uint64_t kMaxFragmentAtomSize = uint64_t(1) << 28;

// 'tfhd' flags.
constexpr uint32_t kBaseDataOffset = 0x000001;
constexpr uint32_t kDescriptionIndex = 0x000002;
constexpr uint32_t kDefaultDuration = 0x000008;
constexpr uint32_t kDefaultSize = 0x000010;
constexpr uint32_t kDefaultFlags = 0x000020;
constexpr uint32_t kDefaultBaseIsMoof = 0x020000;
// 'trun' flags.
constexpr uint32_t kDataOffset = 0x000001;
constexpr uint32_t kFirstSampleFlags = 0x000004;
constexpr uint32_t kSampleDuration = 0x000100;
constexpr uint32_t kSampleSize = 0x000200;
constexpr uint32_t kSampleFlags = 0x000400;
constexpr uint32_t kSampleDisplayOffset = 0x000800;

std::string number(uint64_t v) { return std::to_string(v); }

// The most track IDs named by fragments but missing from the movie that are
// told one by one.
constexpr size_t kMaxUnknownTracksTold = 4;

// Where the walk over the fragments stands, and why it stopped.
struct fragment_walk {
    uint64_t data_size = 0;
    uint32_t fragments = 0;  // 'moof' atoms read
    std::string stop;        // empty while every fragment so far was read whole
    fragment_table_budget budget;
    std::vector<uint32_t> unknown_tracks;  // named by fragments, not in the movie
};

// One track fragment's header with the track's defaults applied.
struct track_fragment {
    uint32_t track_id = 0;
    uint64_t base = 0;
    fragment_defaults defaults;
    bool has_decode_time = false;
    uint64_t decode_time = 0;
};

track_model* track_with_id(movie_model& movie, uint32_t id) {
    for (track_model& t : movie.tracks)
        if (t.id == id) return &t;
    return nullptr;
}

// A track that fragments add samples to.
struct track_state {
    track_model* track = nullptr;
    fragment_sample_appender samples;
    // For each description: the bytes of one frame when it is PCM sound
    // (QuickTime counts PCM sound one sample a frame), else 0.
    std::vector<uint32_t> pcm_frame_bytes;
    bool started = false;  // a fragment has added samples
    int64_t first_decode_time = 0;
    uint64_t without_duration = 0;  // samples whose run and defaults give no duration

    uint32_t pcm_frame(uint32_t description_index) const {
        return description_index >= 1 && description_index <= pcm_frame_bytes.size()
                   ? pcm_frame_bytes[description_index - 1]
                   : 0;
    }
};

// Where a track fragment's data is counted from when its 'tfhd' names no base:
// the 'moof' for the first track fragment of a 'moof' (and for every one
// marked default-base-is-moof), else where the data of the one before ended.
struct default_base {
    uint64_t moof = 0;
    uint64_t previous_end = 0;
    bool first = true;
};

bool parse_tfhd(atom_reader r, const movie_extends& extends, const default_base& base,
                track_fragment& out) {
    uint8_t version = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, version, flags) || !r.read_u32(out.track_id)) return false;
    for (const fragment_defaults& d : extends.tracks)
        if (d.track_id == out.track_id) out.defaults = d;
    out.base = base.first || (flags & kDefaultBaseIsMoof) ? base.moof : base.previous_end;
    return (!(flags & kBaseDataOffset) || r.read_u64(out.base)) &&
           (!(flags & kDescriptionIndex) || r.read_u32(out.defaults.description_index)) &&
           (!(flags & kDefaultDuration) || r.read_u32(out.defaults.duration)) &&
           (!(flags & kDefaultSize) || r.read_u32(out.defaults.size)) &&
           (!(flags & kDefaultFlags) || r.read_u32(out.defaults.flags));
}

bool parse_tfdt(atom_reader r, track_fragment& out) {
    uint8_t version = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, version, flags)) return false;
    bool read = false;
    if (version == 1) {
        read = r.read_u64(out.decode_time);
    } else {
        uint32_t t = 0;
        read = r.read_u32(t);
        out.decode_time = t;
    }
    out.has_decode_time =
        read && out.decode_time <= uint64_t(std::numeric_limits<int64_t>::max());
    return read;
}

// Reads one 'trun' and appends its samples (when the track is known) from
// offset on; offset moves to the end of their data. False with walk.stop set
// when the run is broken or a sample runs past the end of the file.
bool parse_trun(atom_reader r, const track_fragment& tf, track_state* state, uint64_t& offset,
                fragment_walk& walk) {
    track_model* track = state ? state->track : nullptr;
    uint8_t version = 0;
    uint32_t flags = 0, count = 0;
    const std::string where = "track " + number(tf.track_id) + ": ";
    if (!read_version_flags(r, version, flags) || !r.read_u32(count)) {
        walk.stop = where + "its sample run is cut short";
        return false;
    }
    if (flags & kDataOffset) {
        int32_t data_offset = 0;
        r.read_i32(data_offset);
        if (data_offset < 0 && uint64_t(-int64_t(data_offset)) > tf.base) {
            walk.stop = where + "a sample run starts before the start of the file";
            return false;
        }
        offset = tf.base + uint64_t(int64_t(data_offset));
    }
    uint32_t first_flags = tf.defaults.flags;
    const bool has_first_flags = (flags & kFirstSampleFlags) != 0;
    if (has_first_flags) r.read_u32(first_flags);
    const size_t entry_size = 4 * ((flags & kSampleDuration ? 1 : 0) + (flags & kSampleSize ? 1 : 0) +
                                   (flags & kSampleFlags ? 1 : 0) +
                                   (flags & kSampleDisplayOffset ? 1 : 0));
    // Every sample claims bytes: its entry here, or its media data in the file.
    const uint64_t claimed = entry_size > 0 ? r.remaining() / entry_size
                             : tf.defaults.size > 0 ? walk.data_size / tf.defaults.size
                                                    : 1;
    if (r.failed() || count > claimed) {
        walk.stop = where + "a sample run counts " + number(count) + " samples, more than its " +
                    (entry_size > 0 ? "entries hold" : "data can hold");
        return false;
    }
    if (track && (tf.defaults.description_index == 0 ||
                  tf.defaults.description_index > track->media.descriptions.size())) {
        walk.stop = where + "its fragments name sample description " +
                    number(tf.defaults.description_index) + ", which the track does not have";
        return false;
    }
    const uint32_t pcm_frame = state ? state->pcm_frame(tf.defaults.description_index) : 0;
    if (state) state->samples.begin_chunk(offset, tf.defaults.description_index);
    for (uint32_t i = 0; i < count;) {
        fragment_sample s;
        s.duration = tf.defaults.duration;
        s.size = tf.defaults.size;
        s.flags = i == 0 && has_first_flags ? first_flags : tf.defaults.flags;
        if (flags & kSampleDuration) r.read_u32(s.duration);
        if (flags & kSampleSize) r.read_u32(s.size);
        if (flags & kSampleFlags) {
            uint32_t f = 0;
            r.read_u32(f);
            if (!(i == 0 && has_first_flags)) s.flags = f;
        }
        // Offsets are signed in both versions, as for 'ctts'.
        if (flags & kSampleDisplayOffset) r.read_i32(s.display_offset);
        // Samples without entries are alike but for the first one's flags:
        // they are added together, so that their number costs no time.
        uint32_t alike = entry_size == 0 && !(i == 0 && has_first_flags) ? count - i : 1;
        const uint64_t room = walk.data_size - std::min(offset, walk.data_size);
        const uint64_t fit = s.size > 0 ? room / s.size : uint64_t(alike);
        // Those that lie within the file are kept.
        const bool cut = offset > walk.data_size || fit < alike;
        if (cut) alike = uint32_t(offset > walk.data_size ? 0 : fit);
        const uint32_t stored_size = s.size;
        // A PCM sample of several frames is that many samples of one frame
        // each, one time unit long: PCM time counts frames.
        uint64_t repeat = alike;
        if (pcm_frame > 0) {
            if (s.size < pcm_frame || s.size % pcm_frame != 0) {
                walk.stop = where + "sample " + number(i + 1) + " of " + number(count) +
                            " of a fragment holds " + number(s.size) +
                            (s.size == 1 ? " byte" : " bytes") + ", not a whole number of its " +
                            number(pcm_frame) + "-byte sound frames";
                return false;
            }
            repeat *= s.size / pcm_frame;
            s.size = pcm_frame;
            s.duration = 1;
        } else if (s.duration == 0 && state) {
            state->without_duration += alike;
        }
        if (state && (repeat > std::numeric_limits<uint32_t>::max() ||
                      !state->samples.add(s, uint32_t(repeat)))) {
            walk.stop = where + "its fragments hold more samples than the runtime can list (" +
                        number(fragment_sample_appender::kMaxListed) + " listed one by one, " +
                        number(fragment_table_budget::kMaxBytes >> 20) +
                        " MiB of tables for all fragments)";
            return false;
        }
        offset += uint64_t(s.size) * repeat;
        if (cut) {
            walk.stop = where + "sample " + number(i + alike + 1) + " of " + number(count) +
                        " of a fragment (" + number(stored_size) + " bytes at offset " +
                        number(offset) +
                        ") runs past the end of the file at byte " + number(walk.data_size);
            return false;
        }
        i += alike;
    }
    return true;
}

// Reads one 'traf'; base.previous_end becomes the end of its data.
bool parse_traf(atom_reader r, const movie_extends& extends, default_base& base,
                std::vector<track_state>& tracks, movie_model& movie, fragment_walk& walk) {
    track_fragment tf;
    atom a;
    bool malformed = false;
    bool has_header = false;
    track_state* state = nullptr;
    uint64_t offset = 0;
    bool broken = false;
    while (next_atom(r, a, malformed)) {
        if (a.type == kAtomTfhd && !has_header) {
            broken = !parse_tfhd(a.body, extends, base, tf);
            if (broken) break;
            has_header = true;
            offset = tf.base;
            track_model* track = track_with_id(movie, tf.track_id);
            for (track_state& s : tracks)
                if (s.track == track) state = &s;
            std::vector<uint32_t>& unknown = walk.unknown_tracks;
            if (!track && std::find(unknown.begin(), unknown.end(), tf.track_id) == unknown.end() &&
                unknown.size() <= kMaxUnknownTracksTold)
                unknown.push_back(tf.track_id);
        } else if (a.type == kAtomTfdt && has_header) {
            broken = !parse_tfdt(a.body, tf);
            if (broken) break;
            if (state && tf.has_decode_time && !state->pcm_frame(tf.defaults.description_index)) {
                if (!state->started && state->track->media.samples.count() == 0) {
                    state->first_decode_time = int64_t(tf.decode_time);
                } else {
                    state->samples.extend_to(int64_t(tf.decode_time) - state->first_decode_time);
                }
            }
        } else if (a.type == kAtomTrun && has_header) {
            if (!parse_trun(a.body, tf, state, offset, walk)) return false;
            if (state) state->started = true;
            base.previous_end = offset;
        }
    }
    if (malformed || broken || !has_header) {
        walk.stop = "a track fragment is malformed";
        return false;
    }
    return true;
}

bool parse_moof(atom_reader r, uint64_t moof_offset, const movie_extends& extends,
                std::vector<track_state>& tracks, movie_model& movie, fragment_walk& walk) {
    atom a;
    bool malformed = false;
    default_base base;
    base.moof = moof_offset;
    base.previous_end = moof_offset;
    while (next_atom(r, a, malformed)) {
        // Top-level atoms inside: the fragment's size takes in what follows it.
        if (a.type == kAtomMoof || a.type == kAtomMdat || a.type == MovieAID) {
            walk.stop = "it holds a '" + std::string(a.type == kAtomMoof   ? "moof"
                                                     : a.type == kAtomMdat ? "mdat"
                                                                           : "moov") +
                        "' atom (its size takes in the atoms after it)";
            return false;
        }
        if (a.type != kAtomTraf) continue;
        if (!parse_traf(a.body, extends, base, tracks, movie, walk)) return false;
        base.first = false;
    }
    if (malformed) {
        walk.stop = "the fragment is malformed";
        return false;
    }
    return true;
}

std::string fragment_at(uint64_t offset) { return "the movie fragment at offset " + number(offset); }

void read_fragments(data_handler& data, const movie_extends& extends, std::vector<track_state>& tracks,
                    movie_model& movie, fragment_walk& walk) {
    std::vector<uint8_t> contents;
    data_handler_source source(data);
    qt_format::child_atoms top(source, 0, walk.data_size);
    qt_format::atom_header h;
    while (top.next(h)) {
        if (h.type != kAtomMoof) continue;
        const uint64_t offset = h.offset;
        if (h.body_size() > kMaxFragmentAtomSize) {
            walk.stop = fragment_at(offset) + " is larger than " + number(kMaxFragmentAtomSize) +
                        " bytes";
            return;
        }
        contents.resize(size_t(h.body_size()));
        if (data.read(h.body(), uint32_t(contents.size()), contents.data()) != noErr) {
            walk.stop = fragment_at(offset) + " cannot be read";
            return;
        }
        const atom_reader moof(contents.data(), contents.size());
        if (!parse_moof(moof, offset, extends, tracks, movie, walk)) {
            walk.stop = fragment_at(offset) + ": " + walk.stop;
            return;
        }
        ++walk.fragments;
    }
    // A cut 'mdat' ends the walk quietly: its fragment's samples were checked
    // against the end.
    const qt_format::atom_status why = top.status();
    if ((why == qt_format::atom_status::size_below_header ||
         why == qt_format::atom_status::past_parent) &&
        top.error().path.back() == kAtomMoof)
        walk.stop = "the file ends at byte " + number(walk.data_size) + ", inside " +
                    fragment_at(top.error().offset);
}

}  // namespace

bool parse_mvex(atom_reader r, movie_extends& out) {
    out.present = true;
    atom a;
    bool malformed = false;
    while (next_atom(r, a, malformed)) {
        uint8_t version = 0;
        uint32_t flags = 0;
        // 'mehd' is left unread: the movie lasts as long as its longest
        // track, derived from the samples the fragments hold.
        if (a.type == kAtomTrex) {
            fragment_defaults d;
            if (!read_version_flags(a.body, version, flags) || !a.body.read_u32(d.track_id) ||
                !a.body.read_u32(d.description_index) || !a.body.read_u32(d.duration) ||
                !a.body.read_u32(d.size) || !a.body.read_u32(d.flags))
                return false;
            out.tracks.push_back(d);
        }
    }
    return !malformed;
}

OSErr read_movie_fragments(data_handler& data, const movie_extends& extends, movie_model& movie,
                           std::vector<std::string>& warnings) {
    fragment_walk walk;
    OSErr err = data.data_size(walk.data_size);
    if (err != noErr) return err;
    std::vector<track_state> tracks;
    tracks.reserve(movie.tracks.size());
    for (track_model& t : movie.tracks) {
        track_state state{
            &t, fragment_sample_appender(t.media.samples, walk.budget), {}, false, 0, 0};
        for (const sample_description_entry& d : t.media.descriptions) {
            audio::sound_format format;
            const bool pcm = t.media.handler_type == SoundMediaType &&
                             audio::parse_sound_description(d.bytes.data(), d.bytes.size(), format) ==
                                 audio::sound_parse_result::ok &&
                             format.decodable;
            state.pcm_frame_bytes.push_back(pcm ? format.bytes_per_frame : 0);
        }
        tracks.push_back(std::move(state));
    }
    try {
        read_fragments(data, extends, tracks, movie, walk);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    std::vector<std::string> lines;
    for (track_state& s : tracks) {
        s.samples.finish();
        s.track->media.fragmented = s.started;
        s.track->media.fragment_start = s.first_decode_time;
        if (s.without_duration > 0)
            lines.push_back("track " + number(s.track->id) + ": " + number(s.without_duration) +
                            " samples of its movie fragments last no time (neither their runs nor "
                            "the track's defaults give a duration)");
    }
    for (size_t i = 0; i < walk.unknown_tracks.size(); ++i)
        lines.push_back(i < kMaxUnknownTracksTold
                            ? "movie fragments name track " + number(walk.unknown_tracks[i]) +
                                  ", which the movie does not have; their samples are left out"
                            : "movie fragments name further tracks the movie does not have");
    if (!walk.stop.empty()) {
        lines.push_back(walk.stop + "; the samples before it are read");
    } else if (walk.fragments == 0 && extends.present) {
        // Nothing to play, and no other way for the user to learn why.
        bool empty = true;
        for (const track_model& t : movie.tracks) empty = empty && t.media.samples.count() == 0;
        if (empty && !movie.tracks.empty())
            lines.push_back("the movie atom announces movie fragments ('mvex') but the file holds "
                            "none, and no samples (a recording that stopped before its first "
                            "fragment)");
    }
    warnings.insert(warnings.end(), lines.begin(), lines.end());
    return noErr;
}

}  // namespace qtrt

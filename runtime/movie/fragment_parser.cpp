#include "movie/fragment_parser.h"

#include <algorithm>
#include <limits>
#include <new>

#include "audio/sound_description.h"
#include "format/atom_walk.h"
#include "format/atom_types.h"
#include "movie/data_handler_source.h"
#include "movie/fragment_error.h"
#include "movie/sample_appender.h"
#include "movie/track_fragment_atoms.h"

namespace qtrt {

using namespace qt_format::atom_types;

using qt_format::atom_reader;
using qt_format::atom;
using qt_format::next_atom;
using qt_format::read_version_flags;

namespace {

// The largest 'moof' read into memory.
constexpr uint64_t kMaxFragmentAtomSize = uint64_t(1) << 28;

std::string number(uint64_t v) { return std::to_string(v); }

// The most track IDs named by fragments but missing from the movie that are
// told one by one.
constexpr size_t kMaxUnknownTracksTold = 4;

// Where the walk over the fragments stands, and why it stopped.
struct fragment_walk {
    uint64_t data_size = 0;
    uint32_t fragments = 0;  // 'moof' atoms read
    std::string stop;        // empty while every fragment so far was read whole
    fragment_error error;    // what stopped the reading inside a fragment
    append_budget budget;
    std::vector<uint32_t> unknown_tracks;  // named by fragments, not in the movie
};

// One track fragment's header with the track's defaults applied.
struct track_fragment {
    uint32_t track_id = 0;
    uint64_t base = 0;
    fragment_defaults defaults;
};

track_model* track_with_id(movie_model& movie, uint32_t id) {
    for (track_model& t : movie.tracks)
        if (t.id == id) return &t;
    return nullptr;
}

// A track that fragments add samples to.
struct track_state {
    track_model* track = nullptr;
    sample_table::appender samples;
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

// The header's fields over the track's defaults ('trex') and base.
track_fragment fragment_of(const track_fragment_header& h, const movie_extends& extends,
                           const default_base& base) {
    using f = track_fragment_header;
    track_fragment tf;
    tf.track_id = h.track_id;
    for (const fragment_defaults& d : extends.tracks)
        if (d.track_id == h.track_id) tf.defaults = d;
    tf.base = base.first || (h.flags & f::kDefaultBaseIsMoof) ? base.moof : base.previous_end;
    if (h.flags & f::kBaseDataOffset) tf.base = h.base_data_offset;
    if (h.flags & f::kDescriptionIndex) tf.defaults.description_index = h.description_index;
    if (h.flags & f::kDefaultDuration) tf.defaults.duration = h.default_duration;
    if (h.flags & f::kDefaultSize) tf.defaults.size = h.default_size;
    if (h.flags & f::kDefaultFlags) tf.defaults.flags = h.default_flags;
    return tf;
}

bool stopped(fragment_error& e, fragment_error::reason why) {
    e.why = why;
    return false;
}

// A sample of the run: its entry's fields, else the fragment's defaults.
appended_sample sample_of(const track_run& run, const track_run_entry& entry,
                          const fragment_defaults& defaults, bool first) {
    appended_sample s;
    s.duration = run.has(track_run::kSampleDuration) ? entry.duration : defaults.duration;
    s.size = run.has(track_run::kSampleSize) ? entry.size : defaults.size;
    s.flags = run.has(track_run::kSampleFlags) ? entry.flags : defaults.flags;
    if (first && run.has_first_sample_flags()) s.flags = run.first_sample_flags;
    s.display_offset = entry.display_offset;
    return s;
}

// Checks a parsed 'trun' against its fragment, the track and the file, and
// appends its samples (when the movie has the track) from offset on; offset
// moves to the end of their data. False with walk.error set when the run is
// broken or a sample runs past the end of the file.
bool append_run(track_run& run, trun_parse parsed, const track_fragment& tf, track_state* state,
                uint64_t& offset, fragment_walk& walk) {
    using why = fragment_error::reason;
    fragment_error& e = walk.error;
    e.track_id = tf.track_id;
    if (parsed == trun_parse::cut_short) return stopped(e, why::run_cut_short);
    if (run.has_data_offset) {
        if (run.data_offset < 0 && uint64_t(-int64_t(run.data_offset)) > tf.base)
            return stopped(e, why::run_before_file);
        offset = tf.base + uint64_t(int64_t(run.data_offset));
    }
    const uint32_t count = run.sample_count;
    e.count = count;
    // Every sample claims bytes: its entry (parse_trun bounds their count),
    // or its media data in the file.
    const uint64_t claimed = run.entry_size > 0     ? count
                             : tf.defaults.size > 0 ? walk.data_size / tf.defaults.size
                                                    : 1;
    if (parsed != trun_parse::ok || count > claimed)
        return stopped(e,
                       run.entry_size > 0 ? why::run_count_over_entries : why::run_count_over_data);
    const uint32_t description = tf.defaults.description_index;
    const track_model* track = state ? state->track : nullptr;
    if (track && (description == 0 || description > track->media.descriptions.size())) {
        e.bound = description;
        return stopped(e, why::unknown_description);
    }
    const uint32_t pcm_frame = state ? state->pcm_frame(description) : 0;
    if (state) state->samples.begin_chunk(offset, description);
    for (uint32_t i = 0; i < count;) {
        track_run_entry entry;
        if (run.entry_size > 0 && !run.read_entry(entry))
            return stopped(e, why::run_count_over_entries);
        appended_sample s = sample_of(run, entry, tf.defaults, i == 0);
        // Samples without entries are alike but for the first one's flags:
        // they are added together, so that their number costs no time.
        const bool own_flags = i == 0 && run.has_first_sample_flags();
        uint32_t alike = run.entry_size == 0 && !own_flags ? count - i : 1;
        const uint64_t room = walk.data_size - std::min(offset, walk.data_size);
        const uint64_t fit = s.size > 0 ? room / s.size : uint64_t(alike);
        // Those that lie within the file are kept.
        const bool cut = offset > walk.data_size || fit < alike;
        if (cut) alike = uint32_t(offset > walk.data_size ? 0 : fit);
        e.sample = i + 1;
        e.size = s.size;
        // A PCM sample of several frames is that many samples of one frame
        // each, one time unit long: PCM time counts frames.
        uint64_t repeat = alike;
        if (pcm_frame > 0) {
            e.bound = pcm_frame;
            if (s.size < pcm_frame || s.size % pcm_frame != 0)
                return stopped(e, why::pcm_partial_frame);
            repeat *= s.size / pcm_frame;
            s.size = pcm_frame;
            s.duration = 1;
        } else if (s.duration == 0 && state) {
            state->without_duration += alike;
        }
        if (state && (repeat > std::numeric_limits<uint32_t>::max() ||
                      !state->samples.add(s, uint32_t(repeat))))
            return stopped(e, why::too_many_samples);
        offset += uint64_t(s.size) * repeat;
        if (cut) {
            e.sample = i + alike + 1;
            e.offset = offset;
            e.bound = walk.data_size;
            return stopped(e, why::sample_past_end);
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
            track_fragment_header header;
            broken = !parse_tfhd(a.body, header);
            if (broken) break;
            tf = fragment_of(header, extends, base);
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
            uint64_t decode_time = 0;
            broken = !parse_tfdt(a.body, decode_time);
            if (broken) break;
            const bool in_range = decode_time <= uint64_t(std::numeric_limits<int64_t>::max());
            if (state && in_range && !state->pcm_frame(tf.defaults.description_index)) {
                if (!state->started && state->track->media.samples.count() == 0) {
                    state->first_decode_time = int64_t(decode_time);
                } else {
                    state->samples.extend_to(int64_t(decode_time) - state->first_decode_time);
                }
            }
        } else if (a.type == kAtomTrun && has_header) {
            track_run run;
            const trun_parse parsed = parse_trun(a.body, run);
            if (!append_run(run, parsed, tf, state, offset, walk)) return false;
            if (state) state->started = true;
            base.previous_end = offset;
        }
    }
    if (malformed || broken || !has_header)
        return stopped(walk.error, fragment_error::reason::track_fragment_malformed);
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
            walk.error.atom_type = a.type;
            return stopped(walk.error, fragment_error::reason::holds_top_level_atom);
        }
        if (a.type != kAtomTraf) continue;
        if (!parse_traf(a.body, extends, base, tracks, movie, walk)) return false;
        base.first = false;
    }
    if (malformed) return stopped(walk.error, fragment_error::reason::fragment_malformed);
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
            walk.stop = fragment_at(offset) + ": " + fragment_error_line(walk.error);
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
            &t, sample_table::appender(t.media.samples, walk.budget), {}, false, 0, 0};
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

// The parsed movie: movie, tracks, media, sample tables, sample descriptions,
// edits, data references and user data, as the movie atom describes them.
//
// Times: a movie's and a track's times are in the movie time scale; a media's
// times are in the media time scale. Sample indexes count from 0; sample
// description and data reference indexes count from 1, as in the file.
#pragma once

#include <cstdint>
#include <vector>

#include "movie/sample_table.h"
#include "quicktime/movies.h"

namespace qtrt {

// One entry of an edit list: a stretch of the track's time line that shows the
// media from media_time on, or nothing (an empty edit, media_time -1).
struct edit_entry {
    int64_t track_duration = 0;  // movie time scale
    int64_t media_time = -1;     // media time scale; -1 for an empty edit
    Fixed rate = 0x10000;

    bool empty() const { return media_time < 0; }
    // Rate 0: the frame at media_time stays shown for the whole edit.
    bool dwell() const { return rate == 0; }
};

// A 'dref' entry. The self-reference flag marks media stored in the file that
// holds the movie atom; data holds the entry's bytes after its version and
// flags.
struct data_reference {
    static constexpr uint32_t kSelfReference = 1;

    OSType type = 0;
    uint32_t flags = 0;
    std::vector<uint8_t> data;

    bool self_reference() const { return (flags & kSelfReference) != 0; }
};

// A 'stsd' entry, kept exactly as stored (big-endian, its size and format
// included).
struct sample_description_entry {
    OSType format = 0;
    uint16_t data_ref_index = 0;
    std::vector<uint8_t> bytes;
};

// One item of a user data list: its type and its contents without the atom
// header.
struct user_data_item {
    OSType type = 0;
    std::vector<uint8_t> data;
};

// A 'tref' entry: the type of reference and the IDs of the referenced tracks.
struct track_reference {
    OSType type = 0;
    std::vector<uint32_t> track_ids;
};

struct media_model {
    TimeScale time_scale = 0;
    // Media time scale: what 'mdhd' says until the parser derives it from the
    // samples (track_durations.h).
    int64_t duration = 0;
    uint16_t language = 0;
    OSType handler_type = 0;     // 'hdlr' of the media: 'vide', 'soun', 'tmcd', ...
    OSType handler_subtype = 0;  // 'hdlr' of the data information
    std::vector<sample_description_entry> descriptions;
    std::vector<data_reference> data_refs;
    sample_table samples;
    // Movie fragments added samples; the decode time at which the first
    // fragment starts where the movie atom holds none of the media's samples.
    bool fragmented = false;
    int64_t fragment_start = 0;
};

struct track_model {
    uint32_t id = 0;
    bool enabled = false;
    int64_t duration = 0;  // movie time scale
    Fixed width = 0;
    Fixed height = 0;
    int16_t layer = 0;
    int16_t alternate_group = 0;
    int16_t volume = 0x100;  // 8.8 fixed point; negative: muted
    // Empty when the track has no 'edts': the media then plays once from its
    // start for the track's duration (the parser fills in that one edit).
    std::vector<edit_entry> edits;
    std::vector<track_reference> references;
    std::vector<user_data_item> user_data;
    media_model media;
};

struct movie_model {
    TimeScale time_scale = 0;
    int64_t duration = 0;  // movie time scale
    Fixed preferred_rate = 0x10000;
    int16_t preferred_volume = 0x100;
    uint32_t next_track_id = 0;
    std::vector<user_data_item> user_data;
    std::vector<track_model> tracks;
    // Tracks the parser left out because their tables are malformed: their IDs
    // and the result code that refused each.
    struct refused_track {
        uint32_t id;
        OSErr error;
    };
    std::vector<refused_track> refused;
};

}  // namespace qtrt

// The movie's time line as its own atoms give it: the movie time scale and,
// for every track, its media handler, whether it is enabled and where its
// edits show media. ruv-import reads it itself, apart from the importer, to
// judge whether an import delivered everything the movie shows.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/cm/CMStream.h"

namespace ruv_import {

// One entry of a track's edit list, in movie time units (start, duration)
// and media time units (media_time, -1 for an empty edit).
struct movie_edit {
    int64_t start = 0;
    int64_t duration = 0;
    int64_t media_time = -1;
    double rate = 1.0;
};

struct track_time_line {
    uint32_t handler = 0;  // 'vide', 'soun', ...
    uint32_t id = 0;
    bool enabled = false;
    bool shows_media = false;
    // Movie time units of the empty edits before the first edit that shows
    // media, and where the last edit ends.
    int64_t leading_empty = 0;
    int64_t end = 0;
    uint32_t media_scale = 0;
    uint64_t media_duration = 0;
    // The edit list; without one, a single edit showing the whole media.
    std::vector<movie_edit> edits;
    // With sample tables read: the decode time (media units) of the sync
    // sample the first shown frame decodes from, when the tables tell.
    bool has_sync_start = false;
    int64_t sync_start = 0;
};

struct movie_time_line {
    uint32_t time_scale = 0;
    int64_t duration = -1;  // what 'mvhd' says; -1 when it says all ones (not known)
    std::vector<track_time_line> tracks;
};

// Reads the movie atom from the stream; false when there is none, or it is
// too large or damaged to read. with_samples: also reads the sample timing
// tables to find each track's sync_start.
bool read_movie_time_line(Ruv::CM::RStream& stream, movie_time_line& out,
                          bool with_samples = false);

}  // namespace ruv_import

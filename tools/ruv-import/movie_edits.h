// The movie's time line as its own atoms give it: the movie time scale and,
// for every track, its media handler, whether it is enabled and where its
// edits show media. ruv-import reads it itself, apart from the importer, to
// judge whether an import delivered everything the movie shows.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/cm/CMStream.h"

namespace ruv_import {

struct track_time_line {
    uint32_t handler = 0;  // 'vide', 'soun', ...
    bool enabled = false;
    bool shows_media = false;
    // Movie time units of the empty edits before the first edit that shows
    // media, and where the last edit ends.
    int64_t leading_empty = 0;
    int64_t end = 0;
};

struct movie_time_line {
    uint32_t time_scale = 0;
    int64_t duration = -1;  // what 'mvhd' says; -1 when it says all ones (not known)
    std::vector<track_time_line> tracks;
};

// Reads the movie atom from the stream; false when there is none, or it is
// too large or damaged to read.
bool read_movie_time_line(Ruv::CM::RStream& stream, movie_time_line& out);

}  // namespace ruv_import

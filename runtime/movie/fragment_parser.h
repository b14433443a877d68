// Movie fragments: a movie whose movie atom holds an 'mvex' atom may keep its
// samples, or some of them, in 'moof' atoms after it. Every fragment is read
// in file order into the sample tables of its tracks, after the samples of the
// movie atom, so that the rest of the runtime sees one table per media.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/atom_reader.h"
#include "movie/data_handler.h"
#include "movie/model.h"

namespace qtrt {

// A track's defaults for its fragments ('trex').
struct fragment_defaults {
    uint32_t track_id = 0;
    uint32_t description_index = 1;
    uint32_t duration = 0;
    uint32_t size = 0;
    uint32_t flags = 0;
};

// The contents of 'mvex'.
struct movie_extends {
    bool present = false;
    std::vector<fragment_defaults> tracks;
};

// False when 'mvex' or one of its atoms is malformed.
bool parse_mvex(qt_format::atom_reader r, movie_extends& out);

// Reads the fragments of the data into the movie's tracks, marking each media
// that fragments add to and where its first fragment starts. A fragment that
// is cut off by the end of the data, or broken, ends the reading: the samples
// before it stay, and a line of `warnings` says what ended it and where.
// Other lines say what was left out (fragments of tracks the movie does not
// have) or is odd (samples without a duration). Answers memFullErr when the
// tables cannot be held, else noErr.
OSErr read_movie_fragments(data_handler& data, const movie_extends& extends, movie_model& movie,
                           std::vector<std::string>& warnings);

}  // namespace qtrt

// Movie fragments: a movie whose movie atom holds an 'mvex' atom may keep its
// samples, or some of them, in 'moof' atoms after it. Every fragment is read
// in file order into the sample tables of its tracks, after the samples of the
// movie atom, so that the rest of the runtime sees one table per media.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "movie/atom_reader.h"
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
    int64_t fragment_duration = 0;  // 'mehd', movie time scale; 0 when absent
    std::vector<fragment_defaults> tracks;
};

// False when 'mvex' or one of its atoms is malformed.
bool parse_mvex(atom_reader r, movie_extends& out);

// Reads the fragments of the data into the movie's tracks. A fragment that is
// cut off by the end of the data, or broken, ends the reading: the samples
// before it stay, and `warning` says what ended it and where (empty when
// every fragment was read). Then completes the durations that the headers
// leave unknown (0, or all ones): a media lasts to the end of its samples,
// the movie as long as 'mehd' says or else as its longest track. Answers
// memFullErr when the tables cannot be held, else noErr.
OSErr read_movie_fragments(data_handler& data, const movie_extends& extends, movie_model& movie,
                           std::string& warning);

}  // namespace qtrt

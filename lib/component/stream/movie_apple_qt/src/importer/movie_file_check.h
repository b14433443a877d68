// A look at the movie's source itself, to say why QuickTime refused the movie
// or left a track out: its top-level atoms (headers only), and the tracks of
// its movie atom with the sample tables they hold (the movie atom read once,
// up to a size cap, and parsed through one bounded reader).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ns_movie_apple_qt {

// Why the source holds no whole movie atom: "the file is empty", "not a
// QuickTime movie (no movie atom)" when it does not start with an atom a
// movie file starts with, "movie atom cut short at byte 1024", "no movie
// atom", "no movie atom; the file ends at byte N inside its 'mdat' atom"; ""
// when a whole movie atom is there or the source cannot be read.
std::string movie_atom_problem();

// A track of the movie atom: its ID (0 when it has no header), its media's
// handler type and time scale, and why its tables describe no sample that can be read (""
// when they look whole).
struct file_track {
    uint32_t id = 0;
    uint32_t handler = 0;
    uint32_t media_time_scale = 0;
    std::string problem;
};

// How many tracks the movie atom holds (its 'trak' atoms, from their headers
// alone); 0 without a whole movie atom.
size_t file_track_count();

// The movie atom's tracks, in order; empty without a whole movie atom.
std::vector<file_track> file_tracks();

}  // namespace ns_movie_apple_qt

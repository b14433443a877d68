// A look at the movie file itself, as any host program may take one, to say
// why the importer could not open it or which of its tracks cannot be read:
// its top-level atoms (headers only), and the tracks of its movie atom with
// the sample tables they hold (the movie atom read once, up to a size cap,
// and parsed through one bounded reader).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruv_import {

// Why the file holds no whole movie atom: "the file is empty", "not a
// QuickTime movie (no movie atom)" when it does not start with an atom a
// movie file starts with, "movie atom cut short at byte 1024", "no movie
// atom", "no movie atom; the file ends at byte N inside its 'mdat' atom"; ""
// when a whole movie atom is there or the file cannot be read.
std::string movie_atom_problem(const std::string& path);

// A track of the movie atom: its ID (0 when it has no header), its media's
// handler type and time scale, why its tables describe no sample that can be
// read ("" when they look whole), whether it is enabled, and for sound the
// data format and channel count of its first sample description.
struct file_track {
    uint32_t id = 0;
    uint32_t handler = 0;
    uint32_t media_time_scale = 0;
    std::string problem;
    bool enabled = false;
    uint32_t format = 0;
    uint32_t channels = 0;
};

// The movie atom's tracks, in order; empty without a whole movie atom.
std::vector<file_track> file_tracks(const std::string& path);

}  // namespace ruv_import

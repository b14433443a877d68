// Movies whose sound track tells one lie each, made from the small real
// movies of tests/data/compressed: a packet that lasts 2^31 units, a rate a
// decoder or an edit makes absurd, two billion one-byte packets, 100,000 edits,
// damaged packets and configurations. The hostile-movie test imports them
// and the fuzz corpus writer starts from them.
#pragma once

#include <string>
#include <vector>

#include "support/movie_builder.h"

namespace test_movie {

struct named_movie {
    std::string name;
    bytes file;  // empty when the real movie it is made from cannot be read
    // Text the import's warnings must hold: the line that names why sound is
    // left out or silent; empty when all of it plays.
    std::string says;
};

// data_dir: tests/data.
std::vector<named_movie> hostile_sound_movies(const std::string& data_dir);

}  // namespace test_movie

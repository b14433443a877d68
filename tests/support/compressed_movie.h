// Movies whose movie atom is compressed ('moov' holding 'cmov': 'dcom' names
// the algorithm, 'cmvd' holds the inflated size and the deflated atom), made
// from a built movie, and the parts to break on purpose.
#pragma once

#include <cstdint>

#include "support/movie_builder.h"

namespace test_movie {

struct compressed_movie_atom {
    uint32_t algorithm = fourcc("zlib");
    uint32_t stated_size = 0;  // the size 'cmvd' gives
    bytes stream;              // what follows it
};

// The zlib stream of the bytes.
bytes deflated(const bytes& data);
// The file's top-level movie atom, deflated whole (header included).
compressed_movie_atom compress_movie_atom(const bytes& file);
// The movie atom's bytes as 'moov' holding 'cmov'.
bytes movie_atom_of(const compressed_movie_atom& parts);
// The file with its top-level movie atom replaced by those bytes. The movie
// atom must follow the media data, whose offsets then stay where they were.
bytes with_movie_atom(const bytes& file, const bytes& movie_atom);

}  // namespace test_movie

// The movie the fragment fuzzer reads its inputs after: its movie atom (with
// 'mvex' and a few samples of its own) stays fixed, and an input is the file's
// rest, the movie fragments, so that every mutation lands in the fragment
// parser with the whole movie's tables behind it.
#pragma once

#include "support/movie_builder.h"

namespace fragment_fuzz {

// Video with B-frames and sync samples every fourth, 16-bit PCM sound and an
// edit list on the video; two samples of each in the movie atom.
test_movie::movie_plan base_plan();

// The file's bytes before its first top-level 'moof' (the whole file when it
// has none).
test_movie::bytes before_fragments(const test_movie::bytes& file);

// The movie atom's part of the base movie, built once.
const test_movie::bytes& base_head();

}  // namespace fragment_fuzz

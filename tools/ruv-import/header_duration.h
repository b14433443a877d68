// The movie header's own word on the movie's length, where it differs from
// the length the runtime derives from the tracks: a host that sized its work
// by the header would be misled, and the user learns why the two disagree.
#pragma once

#include <string>

#include "movie_edits.h"

namespace ruv_import {

// "" when the header agrees with derived_seconds (within a tenth of a second)
// or does not know the length; else "the movie header says 10 s; its longest track lasts
// 481,024 s".
std::string header_duration_note(const movie_time_line& movie, double derived_seconds);

// Seconds as a user reads them: thousands grouped, at most three decimals,
// no trailing zeros ("481,024", "1.068").
std::string seconds_text(double seconds);

}  // namespace ruv_import

// What the reader library says when something fails: what a QuickTime
// result code is, and what a failed read of a media's samples means for the
// user.
#pragma once

#include <string>

#include "importer/movie_source.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// "QuickTime error -2048, noMovieFound" (the name only for codes this library
// meets).
std::string quicktime_error_text(OSErr error);

// What a failed read of a media's samples means: "media data lies past the
// end of the file (22682 bytes)", "media is in 'x.mov', which is not there",
// followed by the QuickTime error in brackets.
std::string media_read_failure(OSErr error, Media media);

}  // namespace ns_movie_apple_qt

// What the reader library says when something fails: what the movie's
// source is called, what a QuickTime result code is, and what a failed read
// of a media's samples means for the user.
#pragma once

#include <cstdint>
#include <string>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The file name of the movie's source, as the settings name it: the last
// part of its path or URL.
std::string source_name();

// The size of the movie's source in bytes; -1 when it cannot be had.
int64_t source_size();

// "QuickTime error -2048, noMovieFound" (the name only for codes this library
// meets).
std::string quicktime_error_text(OSErr error);

// What a failed read of a media's samples means: "media data lies past the
// end of the file (22682 bytes)", "media is in 'x.mov', which is not there",
// followed by the QuickTime error in brackets.
std::string media_read_failure(OSErr error, Media media);

}  // namespace ns_movie_apple_qt

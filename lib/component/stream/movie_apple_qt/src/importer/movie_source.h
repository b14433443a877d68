// The movie's source as the settings name it (a file path, or the stream
// data reference of the data-handler mode): opening it as a QuickTime movie,
// and its name.
#pragma once

#include <string>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The movie the settings' source names, or null: no source, a QuickTime
// older than 7.0, or a movie QuickTime does not open. error is QuickTime's
// answer when it refused (noErr when the movie was not asked for).
Movie open_source_movie(OSErr& error);

// QuickTime's version as Gestalt('qtim') answers it; 0 when it cannot say.
long quicktime_version();

// The file name of the movie's source: the last part of its path or URL.
std::string source_name();

}  // namespace ns_movie_apple_qt

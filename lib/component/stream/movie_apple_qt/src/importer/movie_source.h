// Opening the QuickTime movie the settings name: a file path turned into a
// file URL, or the stream data reference of the data-handler mode.
#pragma once

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The movie the settings' source names, or null: no source, a QuickTime
// older than 7.0, or a movie QuickTime does not open. error is QuickTime's
// answer when it refused (noErr when the movie was not asked for).
Movie open_source_movie(OSErr& error);

// QuickTime's version as Gestalt('qtim') answers it; 0 when it cannot say.
long quicktime_version();

}  // namespace ns_movie_apple_qt

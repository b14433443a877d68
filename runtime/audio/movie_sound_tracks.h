// The enabled sound tracks of an open movie, as inputs of an extraction.
#pragma once

#include <vector>

#include "audio/extraction_session.h"
#include "quicktime/movies.h"

namespace qtrt::audio {

// Collects the movie's enabled sound tracks whose sound this runtime decodes,
// in track order; of the enabled tracks of one alternate group only the first
// that decodes. A track in a format it cannot decode is left out while others
// remain (with a warning when the format is a compressed one it knows, as a
// build without libavcodec does). Answers invalidMovie for a movie that is not open,
// noSoundTrackInMovieErr when the movie has no enabled sound track, and
// kAudioConverterErr_FormatNotSupported when none of them can be decoded.
OSStatus collect_sound_tracks(Movie movie, TimeScale& movie_time_scale, std::vector<sound_track_input>& out);

}  // namespace qtrt::audio

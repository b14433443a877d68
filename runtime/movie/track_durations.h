// The durations the runtime answers, derived as the QuickTime File Format
// derives the header fields rather than read from them: a media lasts as long
// as its samples (of the movie atom and of every fragment), a track as the sum
// of its edits (without an edit list, its whole media once), the movie as its
// longest track. GetMovieDuration, GetTrackDuration, GetMediaDuration and the
// end of the sound extraction all answer from what this leaves in the model.
#pragma once

#include <string>
#include <vector>

#include "movie/model.h"

namespace qtrt {

// A track whose media starts later than this after its first empty time
// (empty edits before its first shown media, or a first fragment's decode
// time) is damaged: no recording leaves a day empty before it starts.
constexpr int64_t kMaxLeadingGapSeconds = 24 * 60 * 60;

// Derives every media's, track's and the movie's duration, completing the
// edits the runtime plays: a track without an edit list gets one edit of its
// whole media (after an empty edit where its fragments start late), and in a
// movie in fragments (`in_fragments`: its movie atom holds 'mvex') an edit
// list's last edit that lasts 0 lasts to the end of the media. Appends a line
// to `warnings` for each gap it leaves out and each video edit that reaches
// past its media.
void derive_durations(movie_model& movie, bool in_fragments, std::vector<std::string>& warnings);

}  // namespace qtrt

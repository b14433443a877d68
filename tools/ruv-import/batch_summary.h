// The end of a batch: the table of every movie (status, video frames, sound
// seconds, wall time and the one line that says why a movie failed or what
// it lost), the --json result event of each movie, and the line that names
// the movies that failed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "movie_outcome.h"

namespace ruv_import {

void print_batch_summary(std::ostream& out, const std::vector<movie_outcome>& outcomes);

// {"event":"result","movie":M,"status":S,"video_frames":N,"sound_seconds":T,
//  "seconds":W,"reason":R}; the counts null where the movie gave none.
std::string result_event(const movie_outcome& outcome);

// "N of M movies cannot be imported: a, b": empty when every movie imported.
std::string failures_line(const std::vector<movie_outcome>& outcomes);

}  // namespace ruv_import

// Whether an import delivered the whole of each exported stream. A movie cut
// short after its movie atom opens, and its readers simply stop where the
// bytes end; the host finds out by comparing how far each stream reached
// with how far the movie's own edits say it must.
#pragma once

#include <string>
#include <vector>

#include "movie_edits.h"
#include "queue_consumer.h"

namespace ruv_import {

// "" when every stream reached the end of the requested range (or of what
// its tracks show), else what fell short: "video ends at 0.720 s of
// 1.000 s".
std::string missing_media(const movie_time_line& movie, const std::vector<queue_summary>& queues,
                          double start_time, double end_time);

}  // namespace ruv_import

// What became of one movie of a batch, for its summary.
#pragma once

#include <string>

#include "worker_result.h"

namespace ruv_import {

enum class movie_status { imported, failed, crashed, timed_out };

struct movie_outcome {
    std::string movie;
    movie_status status = movie_status::failed;
    // From the worker's result line; -1 where there is none.
    worker_result numbers;
    double seconds = 0;
    // One line: why the movie failed, or what its import lost when it
    // imported with a warning; empty otherwise.
    std::string reason;
};

// "imported", "failed", "crashed", "timed out".
const char* status_text(movie_status status);

}  // namespace ruv_import

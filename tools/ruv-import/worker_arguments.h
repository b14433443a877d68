// The command line of a worker: the batch's options for one movie, with the
// per-movie output names, the request for its result line, and the movie.
#pragma once

#include <string>
#include <vector>

#include "options.h"

namespace ruv_import {

std::vector<std::string> worker_arguments(const options& opts, const std::string& movie);

}  // namespace ruv_import

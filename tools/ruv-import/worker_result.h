// How a worker tells the ruv-import that started it what its movie gave:
// one last line on its standard error, which the starting program takes out
// before it relays the rest, so that what the user sees of a movie is what
// its own import shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "queue_consumer.h"

namespace ruv_import {

// The option that asks a ruv-import for that line.
constexpr const char* kWorkerResultOption = "--worker-result";

struct worker_result {
    // -1: no video stream (or none delivered).
    int64_t video_frames = -1;
    // Below 0: no sound stream.
    double sound_seconds = -1;
};

// From the first exported queue of each kind.
worker_result result_of(const std::vector<queue_summary>& queues);

// The line, with its line end.
std::string worker_result_line(const worker_result& result);

// Takes the result line out of a worker's standard error; false, err
// unchanged, when there is none (the worker did not get to its end).
bool take_worker_result(std::string& err, worker_result& result);

}  // namespace ruv_import

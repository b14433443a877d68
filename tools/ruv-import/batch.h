// Several movies: each imported by a worker, ruv-import itself run on that
// one movie in a process of its own (the importer's settings are one per
// process, so a process imports one movie at a time), up to --jobs at a
// time. A worker's standard output and error are kept and relayed whole when
// it ends, so each movie's lines stay together and are what its own import
// writes; a worker that crashes or runs past --timeout fails its movie
// alone. A summary of every movie follows.
#pragma once

#include <ostream>

#include "options.h"

namespace ruv_import {

// The exit status: 0 every movie imported, 1 one failed, 2 a usage error.
int run_batch(const options& opts, std::ostream& out, std::ostream& err);

}  // namespace ruv_import

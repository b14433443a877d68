// The command line of ruv-import:
//   ruv-import [options] [MOVIE...]
// Without MOVIE the demo movie that ships with the project is imported; one
// movie file is imported in this process, several (or a folder) each in a
// worker process of its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ruv_import {

struct options {
    // Empty: the plug-in module beside the program.
    std::string module_path;
    // Files, folders or URLs in the order given; empty: the demo movie.
    std::vector<std::string> movies;
    // --set KEY=VALUE, in the order given; they win over the options below.
    std::vector<std::pair<std::string, std::string>> settings;
    int video_queue = 0;
    int audio_queue = 1;
    bool no_video = false;
    bool no_audio = false;
    bool json = false;
    bool frames = false;
    bool quiet = false;
    // Deliver with processNextFrame instead of runloop, into one queue:
    // pull_queue, or the lowest exported one when it is -1.
    bool pull = false;
    int pull_queue = -1;
    // With several movies, patterns in which {name} stands for the movie's
    // name without its folder and extension.
    std::string audio_out;
    std::string video_out;
    // Imports at a time with several movies; 0: one per processor.
    int jobs = 0;
    // Seconds a worker may take for its movie; 0: no limit. Given with one
    // movie, that movie is imported in a worker too.
    double timeout = 0;
    // Set in a worker: it ends its standard error with a line for the
    // program that started it (worker_result.h).
    bool worker_result = false;
    // --picture FILE.svg: the import's time line as a picture.
    std::string picture;
    bool help = false;
};

// false with a message in error when the command line cannot be used.
bool parse_options(int argc, const char* const* argv, options& result, std::string& error);

const char* usage();

// The movie imported when none is given: samples/demo.mov of the current
// folder when there is one, else the one in the source tree.
std::string demo_movie_path();

}  // namespace ruv_import

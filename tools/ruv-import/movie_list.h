// The movies of a batch: the command line's files and URLs as given, and
// the movie files found in its folders; and the output names made for each
// movie from the --audio-out and --video-out patterns.
#pragma once

#include <string>
#include <vector>

namespace ruv_import {

struct movie_entry {
    std::string path;
    // Set when the entry cannot be imported at all (a folder without a movie
    // file, or one that cannot be read): why, for the summary.
    std::string problem;
};

// Every argument in order; a folder is replaced by the movie files under it
// (.mov, .qt, .mp4, .m4v, .m4a, .3gp, .3g2 in any case; names that start
// with a dot, such as the "._" files macOS leaves beside copies, are left
// out), sorted by path.
std::vector<movie_entry> list_movies(const std::vector<std::string>& arguments);

// Whether the argument names a folder of this machine.
bool is_folder(const std::string& argument);

// The movie's file name without its folder and extension; for a URL, the
// last part of its path.
std::string movie_name(const std::string& movie);

// The pattern with every {name} replaced by the movie's name.
std::string output_name(const std::string& pattern, const std::string& movie);

// For --audio-out or --video-out (option) with several movies: empty when
// every movie gets a file of its own, else why not.
std::string output_clash(const char* option, const std::string& pattern,
                         const std::vector<movie_entry>& movies);

}  // namespace ruv_import

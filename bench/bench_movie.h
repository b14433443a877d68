// What the runtime benchmarks share: opening a movie by path as the importer
// does, and the wall-clock time since a start.
#pragma once

#include <chrono>
#include <string>

#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "movie/movie_toolbox.h"

namespace bench {

using clock_type = std::chrono::steady_clock;

// Null when the movie cannot be opened.
inline Movie open_movie(const std::string& path) {
    CFStringRef string = qtrt::CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, string, kCFURLPOSIXPathStyle, false);
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0};
    Movie movie = nullptr;
    qtrt::NewMovieFromProperties(1, &property, 0, nullptr, &movie);
    qtrt::CFRelease(url);
    qtrt::CFRelease(string);
    return movie;
}

inline double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

}  // namespace bench

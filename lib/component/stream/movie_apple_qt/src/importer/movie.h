// The movie reader: the opened QuickTime movie and its track readers, owned
// by the importer. Created by the importer's first preflight.
#pragma once

namespace ns_movie_apple_qt {

class movie {
public:
    movie() = default;
    movie(const movie&) = delete;
    movie& operator=(const movie&) = delete;
};

}  // namespace ns_movie_apple_qt

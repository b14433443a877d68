// The movie reader, owned by the importer and made by its first preflight:
// the home of the opened QuickTime movie and of its track readers.
#pragma once

namespace ns_movie_apple_qt {

class movie {
public:
    movie() = default;
    movie(const movie&) = delete;
    movie& operator=(const movie&) = delete;
};

}  // namespace ns_movie_apple_qt

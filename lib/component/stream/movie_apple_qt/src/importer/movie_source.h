// The movie's source as the settings name it (a file path, or the stream
// data reference of the data-handler mode): opening it as a QuickTime movie,
// and its name, size and bytes for saying why QuickTime refused it.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "quicktime/movies.h"

class CMDataRef;

namespace ns_movie_apple_qt {

// The movie the settings' source names, or null: no source, a QuickTime
// older than 7.0, or a movie QuickTime does not open. error is QuickTime's
// answer when it refused (noErr when the movie was not asked for).
Movie open_source_movie(OSErr& error);

// QuickTime's version as Gestalt('qtim') answers it; 0 when it cannot say.
long quicktime_version();

// The file name of the movie's source: the last part of its path or URL.
std::string source_name();

// The size of the movie's source in bytes; -1 when it cannot be had.
int64_t source_size();

// The bytes of the movie's source, read directly (not through QuickTime).
class source_bytes {
public:
    source_bytes();

    bool ok() const { return m_ok; }
    uint64_t size() const { return m_size; }

    // count bytes at offset; false when they are not all there.
    bool read(uint64_t offset, void* out, size_t count);

private:
    bool m_ok = false;
    uint64_t m_size = 0;
    std::ifstream m_file;
    CMDataRef* m_ref = nullptr;
};

}  // namespace ns_movie_apple_qt

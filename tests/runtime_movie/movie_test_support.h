// Opening movies through NewMovieFromProperties, as the plug-in does, and
// small helpers shared by the movie and sound runtime tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/sound_warning.h"
#include "movie/movie_toolbox.h"
#include "support/movie_builder.h"

namespace movie_test {

// Opens a file with the 'dloc'/'cfur' location and the 'mprp'/'intn' and
// 'mins'/'aurn' properties; the result code of the open and the movie.
OSErr open_movie(const std::string& path, Movie& movie);

// A movie that is disposed at the end of its scope.
struct movie_deleter {
    void operator()(MovieType** m) const { qtrt::DisposeMovie(m); }
};
using movie_ptr = std::unique_ptr<MovieType*, movie_deleter>;

// A path in the test output folder, unique to the running test.
std::string output_path(const std::string& name);

// Opens a file. With err, the open's result goes there; without, a failed
// open fails the test.
movie_ptr open_path(const std::string& path, OSErr* err = nullptr);

// Writes the plan to a file of its own and opens it; fails the test (with a
// null result) when it does not open.
movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name);

// Writes the bytes to a file of its own and opens it, as open_path.
movie_ptr open_bytes(const test_movie::bytes& file, const std::string& name, OSErr* err = nullptr);

// GetMediaSample2 for the one sample at a decode time: its bytes into data
// (room bytes at most), its size into size.
OSErr read_sample(Media media, TimeValue64 time, uint8_t* data = nullptr, ByteCount room = 0,
                  ByteCount* size = nullptr);

// The first track of a media type and its media.
Track track_of_type(Movie movie, OSType type);
Media media_of_type(Movie movie, OSType type);

// Collects the sound warnings given during its life.
class warning_log {
public:
    warning_log() {
        m_previous = qtrt::audio::set_sound_warning_sink(
            [this](const std::string& t) { lines.push_back(t); });
    }
    ~warning_log() { qtrt::audio::set_sound_warning_sink(m_previous); }
    std::vector<std::string> lines;

private:
    qtrt::audio::warning_sink m_previous;
};

constexpr Fixed kForward = 0x10000;
constexpr Fixed kBackward = -0x10000;

}  // namespace movie_test

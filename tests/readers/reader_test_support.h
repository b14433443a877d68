// Movies for the reader tests: built with the movie builder, written to the
// output folder and opened through the call surface, as the plug-in opens
// them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "importer/frame.h"
#include "importer/log.h"
#include "importer/track.h"
#include "quicktime/mac_types.h"
#include "support/movie_builder.h"

namespace reader_test {

struct movie_disposer {
    void operator()(MovieType** movie) const;
};
using movie_ptr = std::unique_ptr<MovieType*, movie_disposer>;

// Writes the plan and opens it; fails the test when it does not open.
movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name = "movie.mov");


// The reader's error lines while it lives, as text.
class log_recorder : public ns_movie_apple_qt::log_handler {
public:
    log_recorder();
    ~log_recorder();
    void message(int, const char*, va_list) override {}
    void error(int, int, const char* format, va_list arguments) override;
    std::vector<std::string> lines;
};

// Frames taken out of a track's queue, released (with their buffers) at the
// end of the scope; an index past the end throws, which fails the test.
struct frame_list {
    std::vector<ns_movie_apple_qt::frame*> frames;
    frame_list() = default;
    frame_list(const frame_list&) = delete;
    frame_list& operator=(const frame_list&) = delete;
    ~frame_list();
    size_t size() const { return frames.size(); }
    ns_movie_apple_qt::frame* operator[](size_t i) const { return frames.at(i); }
};

// Reads until the track stops answering 0 (at most limit reads), taking every
// queued frame; the last status.
int read_all(ns_movie_apple_qt::track& track, frame_list& out, size_t limit = 100000);
// Takes every queued frame.
void drain(ns_movie_apple_qt::track& track, frame_list& out);

// Opens the track on the movie and seeks it to [start, end); false, with a
// test failure naming the step, when the movie is null or a step fails.
bool open_track(const movie_ptr& movie, ns_movie_apple_qt::track& track, double start = 0.0,
                double end = 100.0);

// Writes the bytes to a path of the output folder unique to the running test
// and opens them as a movie file; null when it does not open.
movie_ptr open_bytes(const test_movie::bytes& file, const std::string& name);

// Opens the plan with a video reader, seeks to start and reads every frame
// (read_all); -1, with a test failure, when the movie does not open or seek.
int read_video(const test_movie::movie_plan& plan, frame_list& out, double start = 0.0);

}  // namespace reader_test

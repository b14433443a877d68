// The movie reader, owned by the importer and made by its first preflight:
// the opened QuickTime movie and its track readers, at most one video reader
// followed by at most one audio reader.
#pragma once

#include <vector>

#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

class track;

class movie {
public:
    // Answers of step().
    enum : int { step_progress = 8, step_exhausted = 9 };
    // Answers of apply_time_range() beside 0 and 1.
    enum : int { range_start_after_end_of_movie = 10, range_end_before_start = 11 };

    movie();
    // Deletes every reader, then disposes the movie.
    ~movie();
    movie(const movie&) = delete;
    movie& operator=(const movie&) = delete;

    // Opens the source the settings name, makes the readers and aligns their
    // start times. 0, or 1 when no movie or no reader could be made. A movie
    // opened before is closed first.
    int open();

    // Seeks every reader to the settings' start and end time. 0; 1 without a
    // movie or readers, or when a reader's seek fails; 10 when the start lies
    // after the movie's duration; 11 when the end lies before the start.
    int apply_time_range();

    // Reads every enabled reader once: step_progress when one of them made
    // progress, else step_exhausted.
    int step();

    // Movie duration in seconds; 0 without a movie.
    double duration() const;
    const std::vector<track*>& tracks() const { return m_tracks; }

private:
    void close();
    // Logs why the movie did not open.
    void report_open_failure(OSErr error) const;
    // Logs that no reader could be made, with the tracks the movie has.
    void report_no_readers() const;
    // Makes the readers the movie has tracks for; false when none opens.
    bool make_readers();
    void align_start_times();

    Movie m_movie;
    std::vector<track*> m_tracks;
};

}  // namespace ns_movie_apple_qt

// Follows a movie's time code track for the video reader: the time code at
// the movie's start, the reel name of the time code's source, and the time
// code shown at each video sample's moment.
#pragma once

#include <cstdint>
#include <string>

#include "lib/kolmbase/timecode.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

// The time code the movie's first time code track shows at the movie's
// current time; none without such a track or when it cannot be read.
kolmbase::timecode read_start_timecode(Movie movie);

class timecode_follower {
public:
    timecode_follower();

    // Finds the movie's first time code track and its media handler; with
    // none, the follower follows nothing.
    void follow(Movie movie);
    bool following() const { return m_handler != nullptr; }

    // The name in the user data of the time code's source; "" when there is
    // none.
    std::string read_reel_name() const;

    // Moves the movie to the middle of the sample decoded at decode_time
    // (media units of media_scale) and takes the time code shown there.
    void update(Movie movie, TimeValue64 decode_time, TimeValue64 decode_duration,
                TimeScale media_scale);
    const kolmbase::timecode& current() const { return m_current; }

private:
    MediaHandler m_handler;
    kolmbase::timecode m_current;
    // The mode of the last time code read.
    int32_t m_mode;
};

}  // namespace ns_movie_apple_qt

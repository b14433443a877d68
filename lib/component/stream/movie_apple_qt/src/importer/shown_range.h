// The samples the video reader delivers for a window of the track's time
// line, worked out at each seek from the edits walked at open: for every
// edit that shows media inside the window, the run
// of samples in decode order from the sync sample its first frame decodes
// from to the last sample it shows, and where the edit puts that media on
// the time line.
#pragma once

#include <cstdint>
#include <vector>

#include "importer/shown_media.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

struct read_segment {
    // Decode times (media time scale) of the first and the last sample to
    // deliver; the first may be negative (a media that starts before 0).
    TimeValue64 from = 0;
    TimeValue64 last = 0;
    // Seconds added to a sample's media times to place it where its edit
    // shows it, measured on the time line of the track's first edit that
    // shows media: 0 for that edit and for every edit that continues it.
    double shift = 0.0;
    // The edit shows the media from where the previous one stopped: the
    // samples the previous run already delivered are not delivered again.
    bool continues = false;
    // Place of the edit in the track's edit list, from 1.
    int edit_number = 0;
};

// The runs for the window from..to (movie time scale, to exclusive) of a
// track whose edits are `edits` (the first of them the origin of every
// shift), in the order of the time line; empty when the window shows no
// media. The media display time shown at the window's start is QuickTime's
// answer for it. Finding where the runs end reads at most budget sample
// times in all: the edits left when none is left get no run, and cut_at is
// the number of the first of them (0 when every edit got its run). false
// when the sync sample of an edit's first frame cannot be found.
bool find_shown_range(Track track, Media media, const std::vector<shown_edit>& edits,
                      TimeScale movie_scale, TimeScale media_scale, TimeValue from, TimeValue to,
                      uint64_t budget, std::vector<read_segment>& runs, int& cut_at);

}  // namespace ns_movie_apple_qt

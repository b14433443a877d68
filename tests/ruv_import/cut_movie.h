// A movie whose file ends inside its media data, as a copy stopped part way
// leaves it: the movie opens and its samples stop where the bytes end.
#pragma once

#include "support/movie_builder.h"

namespace ruv_import_test {

// 50 video frames of 0.02 s, the movie atom first, the last 20000 bytes
// cut; edited, with an empty edit before a trimmed head, its edits say how
// far the video must reach.
inline test_movie::bytes cut_inside_media(bool edited = false) {
    test_movie::movie_plan movie;
    movie.movie_first = true;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.add_samples(50, 1000, 12);
    if (edited) video.add_edit(60, -1).add_edit(480, 120);
    test_movie::bytes bytes = test_movie::build_movie(movie).contiguous();
    bytes.resize(bytes.size() - 20000);
    return bytes;
}

}  // namespace ruv_import_test

// libFuzzer target: an input is the movie fragments that follow a fixed movie
// atom (fragment_fuzz_base.h). The runtime reads them into that movie's
// tables, and everything the movie offers is walked (movie_walk.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/movie_open.h"
#include "movie/movie_toolbox.h"
#include "runtime_movie/fragment_fuzz_base.h"
#include "runtime_movie/movie_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> file = fragment_fuzz::base_head();
    file.insert(file.end(), bytes, bytes + size);
    Movie movie = nullptr;
    if (qtrt::new_movie_from_data_handler(qtrt::make_memory_data_handler(std::move(file)), "",
                                          movie) != noErr)
        return 0;
    movie_test::walk_movie(movie);
    qtrt::DisposeMovie(movie);
    return 0;
}

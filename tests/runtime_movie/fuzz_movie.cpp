// libFuzzer target: opens a movie from arbitrary bytes and walks everything
// it offers (movie_walk.h).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "movie/movie_open.h"
#include "movie/movie_toolbox.h"
#include "runtime_movie/movie_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Movie movie = nullptr;
    auto input = qtrt::make_memory_data_handler(std::vector<uint8_t>(bytes, bytes + size));
    if (qtrt::new_movie_from_data_handler(input, "", movie) != noErr) return 0;
    movie_test::walk_movie(movie);
    qtrt::DisposeMovie(movie);
    return 0;
}

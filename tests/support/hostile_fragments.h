// Movies in fragments that each carry one fault: tables that would grow
// without bound from runs pointing at the same bytes, a 'moof' whose size
// takes in the fragments after it, fragments of a track the movie lacks, PCM
// samples holding no whole frame, samples without a duration, leading gaps of
// 2^40 units, a 'mehd' of 2^63-1, a video edit past its media. The runtime's
// tests, the import tests and the fuzz corpus writer start from them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "support/hostile_sound.h"
#include "support/movie_builder.h"

namespace test_movie {

// One sample of a hand-made track fragment run.
struct run_sample {
    uint32_t duration;
    uint32_t size;
    uint32_t flags;
};

// 'trun' flags: a data offset, then each sample's duration, size and flags.
constexpr uint32_t kRunOffset = 0x001, kRunDuration = 0x100, kRunSize = 0x200, kRunFlags = 0x400;
// Sample flags: not a sync sample; depends on others ('sdtp' byte 0x10).
constexpr uint32_t kSampleNonSync = 0x10000, kSampleDependsOnOthers = 0x01000000;

// A track fragment of one run whose data lies data_offset bytes from the
// start of its 'moof' (default-base-is-moof), with a default sample size in
// 'tfhd' when default_size is not 0.
bytes track_fragment(uint32_t track_id, int32_t data_offset, const std::vector<run_sample>& samples,
                     uint32_t run_flags, uint32_t default_size = 0);

// A 'moof' of the track fragments that trafs makes for a data offset (the
// start of the 'mdat' that follows, of data_size bytes), and that 'mdat'.
bytes fragment_with_data(const std::function<bytes(int32_t)>& trafs, size_t data_size);

// A movie of one track (16-bit mono PCM at 8000 Hz, or video) of eight
// samples of one size, four in its movie atom and four in one fragment, the
// tail appended.
bytes fragments_then(bool sound, const bytes& tail);

// A video in fragments of 4 samples of 150 units (time scale 600) whose
// first fragment's decode time is changed.
bytes first_fragment_at(uint64_t decode_time);

// The movies, each with the text its warning holds.
std::vector<named_movie> hostile_fragment_movies();

}  // namespace test_movie

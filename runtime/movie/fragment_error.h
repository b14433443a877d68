// Why the reading of a movie fragment stopped, as the fragment reader finds
// it, and the one line the user reads for it.
#pragma once

#include <cstdint>
#include <string>

#include "quicktime/mac_types.h"

namespace qtrt {

struct fragment_error {
    enum class reason {
        none,
        run_cut_short,           // a 'trun' without its sample count
        run_before_file,         // a data offset before the start of the file
        run_count_over_entries,  // more samples than the 'trun' has entries for
        run_count_over_data,     // more samples than the file's bytes can hold
        unknown_description,     // bound: the sample description named
        pcm_partial_frame,       // sample of count holds size bytes; bound: the frame's bytes
        too_many_samples,        // the table's bounds (sample_appender.h)
        sample_past_end,         // sample of count (size bytes at offset); bound: the file's end
        track_fragment_malformed,
        holds_top_level_atom,  // atom_type: the atom inside the 'moof'
        fragment_malformed,
    };
    reason why = reason::none;
    uint32_t track_id = 0;
    uint64_t sample = 0;  // from 1
    uint64_t count = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
    uint64_t bound = 0;
    OSType atom_type = 0;
};

// What went wrong inside the fragment, for "the movie fragment at offset N: ".
std::string fragment_error_line(const fragment_error& e);

}  // namespace qtrt

// The contents of a media's sample table in the run-length form of the file's
// tables. The movie atom's builder fills them whole; after that only the
// table's appender changes them (sample_appender.h).
#pragma once

#include <cstdint>
#include <vector>

#include "movie/offset_column.h"

namespace qtrt {

struct sample_columns {
    struct time_run {  // 'stts'
        uint32_t first_sample;
        uint32_t count;
        int64_t first_time;
        uint32_t delta;
    };
    struct offset_run {  // 'ctts'
        uint32_t first_sample;
        uint32_t count;
        int32_t offset;
    };
    struct chunk_run {         // 'stsc'
        uint32_t first_chunk;  // from 0
        uint32_t samples_per_chunk;
        uint32_t description_index;
        uint32_t first_sample;
    };

    uint32_t count = 0;
    int64_t decode_end = 0;
    uint32_t lengthened = 0;  // samples at the end given one unit in place of none
    std::vector<time_run> times;
    std::vector<offset_run> offsets;  // empty: every offset is 0
    int32_t min_offset = 0;
    int32_t max_offset = 0;
    std::vector<chunk_run> chunks;
    offset_column chunk_offsets;
    uint32_t constant_size = 0;
    offset_column size_prefix;  // count + 1 sums when sizes vary
    bool all_sync = true;
    std::vector<uint32_t> sync;          // sorted sample indexes
    std::vector<uint32_t> partial_sync;  // sorted sample indexes
    std::vector<uint8_t> dependencies;   // 'sdtp', one byte a sample
};

}  // namespace qtrt

// Adding samples to a media's sample table after its movie atom was read (the
// samples of movie fragments), in the table's run-length form. The appender
// is the only code that changes a table once it is made, so the table's
// invariants (runs that follow on, lists of one entry a sample, bounded
// memory) are kept here.
#pragma once

#include <cstdint>

#include "movie/sample_table.h"

namespace qtrt {

// One sample to add.
struct appended_sample {
    uint32_t duration = 0;
    uint32_t size = 0;
    int32_t display_offset = 0;
    uint32_t flags = 0;  // the fragment's sample flags
};

// What the appenders of one movie may add to its sample tables, all tracks
// together: the bytes their lists and runs may take. A count in a fragment
// costs a few bytes of file, and runs may point at the same bytes again and
// again, so the file's size alone does not bound the tables.
struct append_budget {
    static constexpr uint64_t kMaxBytes = uint64_t(40) << 20;
    uint64_t used = 0;
};

class sample_table::appender {
public:
    appender(sample_table& table, append_budget& budget);

    // Starts a chunk: the samples added next lie one after another from
    // offset on (the chunk is made with its first sample).
    void begin_chunk(uint64_t offset, uint32_t description_index);
    // Adds `repeat` samples alike. False, and nothing added, when the table
    // cannot count them, their decode times would leave the 64-bit range, the
    // table would list more samples one by one than it may, or the tables
    // would outgrow the budget.
    bool add(const appended_sample& s, uint32_t repeat = 1);
    // A fragment whose decode time ('tfdt') lies after the end of the samples
    // so far: the last sample lasts until then, so that decode times stay
    // contiguous. Earlier times change nothing.
    void extend_to(int64_t decode_time);
    // After the last sample: samples at the end that last no time last one
    // unit each, as for a movie atom's table.
    void finish();

    // The most samples a table may hold while appended samples make it list
    // sizes, sync samples or dependencies one by one.
    static constexpr uint32_t kMaxListed = uint32_t(1) << 24;

    // The sample flags' bits.
    static constexpr uint32_t kNonSyncFlag = 0x00010000;
    // The sample's dependency byte ('sdtp' layout) within the flags.
    static uint8_t dependency_of(uint32_t flags) { return uint8_t(flags >> 20); }

private:
    // The bytes the table's lists and runs take now.
    uint64_t table_bytes() const;
    // Cuts the movie atom's chunk runs to the chunks that hold samples, so
    // that a chunk added after them starts where the samples end.
    void seal_chunks();
    void add_time(uint32_t duration, uint32_t repeat);
    void add_display_offset(int32_t offset, uint32_t repeat);
    void add_size(uint32_t size, uint32_t repeat);
    void add_sync(bool sync, uint32_t repeat);
    void add_dependency(uint8_t dependency, uint32_t repeat);

    sample_columns& m_columns;
    append_budget& m_budget;
    bool m_chunk_pending = false;
    uint64_t m_chunk_offset = 0;
    uint32_t m_chunk_description = 0;
};

}  // namespace qtrt

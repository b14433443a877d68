// A media's samples, kept in the run-length form of the file's tables so that
// memory grows with the size of the tables, not with the number of samples.
// Every lookup (by index, by decode time, by display time, next sync sample)
// is a binary search over the runs, except that a lookup at or just after the
// previous one's run (a reader walking forward) is answered in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "movie/sample_columns.h"
#include "movie/run_hint.h"

namespace qtrt {

// One sample as the table describes it.
struct sample_info {
    uint32_t index = 0;             // from 0
    uint64_t offset = 0;            // byte offset in its data reference
    uint32_t size = 0;
    int64_t decode_time = 0;        // media time scale
    uint32_t duration = 0;          // decode duration
    int32_t display_offset = 0;     // display time = decode time + display offset
    uint32_t description_index = 0;  // from 1
    uint32_t chunk = 0;             // chunk index, from 0
    bool sync = true;
    bool partial_sync = false;
    uint8_t dependency = 0;  // the 'sdtp' byte; 0 when the media has none
};

class sample_table {
public:
    using time_run = sample_columns::time_run;
    using offset_run = sample_columns::offset_run;
    using chunk_run = sample_columns::chunk_run;
    class appender;  // sample_appender.h

    sample_table() = default;
    // A table over columns whose runs are valid (sample_table_builder).
    explicit sample_table(sample_columns columns) : m_columns(std::move(columns)) {}

    uint32_t count() const { return m_columns.count; }
    // Sum of all decode durations: the end of the last sample's decode time.
    int64_t decode_end() const { return m_columns.decode_end; }
    // The end as the file's durations give it: without the unit each that
    // samples at the end lasting no time are given.
    int64_t stored_decode_end() const { return m_columns.decode_end - m_columns.lengthened; }

    sample_info sample(uint32_t index) const;  // index < count()
    int64_t decode_time(uint32_t index) const;
    uint32_t duration(uint32_t index) const;
    int32_t display_offset(uint32_t index) const;
    uint32_t size(uint32_t index) const;
    bool is_sync(uint32_t index) const;
    bool is_partial_sync(uint32_t index) const;
    // The sample's 'sdtp' byte, 0 without one.
    uint8_t dependency(uint32_t index) const;

    // The sample whose decode interval [time, time + duration) holds t; false
    // before the first and at or after the end of the last sample.
    bool find_by_decode_time(int64_t t, uint32_t& index) const;
    // The sample with the latest display start at or before t that still
    // displays at t; false when none does.
    bool find_by_display_time(int64_t t, uint32_t& index) const;
    // Which samples a display-order search looks at.
    enum class kind { any, sync, sync_or_partial };
    // The earliest display start after t (forward) or the latest one before t
    // (backward) among the samples of the kind; with at_edge a start equal to
    // t counts. False when none.
    bool next_display_start(int64_t t, bool forward, bool at_edge, int64_t& start,
                            kind which = kind::any) const;

    // The first sync sample at or after `from`, or the last one at or before
    // it; false when none. With partial_too, partial sync samples count.
    bool next_sync(uint32_t from, bool forward, bool partial_too, uint32_t& index) const;

    int32_t min_display_offset() const { return m_columns.min_offset; }
    int32_t max_display_offset() const { return m_columns.max_offset; }

    // Chunks, for readers that walk media data chunk by chunk.
    uint32_t chunk_count() const { return uint32_t(m_columns.chunk_offsets.size()); }
    uint64_t chunk_offset(uint32_t chunk) const { return m_columns.chunk_offsets[chunk]; }
    // The first sample of a chunk and how many samples it holds (the count of
    // the last used chunk is cut to the samples that exist).
    void chunk_samples(uint32_t chunk, uint32_t& first_sample, uint32_t& count) const;
    uint32_t chunk_description_index(uint32_t chunk) const;
    // The chunk that holds a sample (index < count()).
    uint32_t chunk_of(uint32_t index) const;

private:
    // The nearest sample of the kind at or after from (forward) or at or
    // before it (backward); false when none.
    bool nearest_of_kind(uint32_t from, bool forward, kind which, uint32_t& index) const;
    size_t time_run_of(uint32_t index) const;
    size_t chunk_run_of_sample(uint32_t index) const;
    size_t chunk_run_of_chunk(uint32_t chunk) const;
    uint64_t size_sum(uint32_t first, uint32_t end) const;  // sizes of [first, end)

    sample_columns m_columns;

    // Where the previous lookup of each kind ended.
    struct hints {
        run_hint time_by_index, time_by_time, offset, chunk_by_sample, chunk_by_chunk, sync,
            partial_sync;
    };
    hints m_hints;
};

}  // namespace qtrt

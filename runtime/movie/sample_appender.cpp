#include "movie/sample_appender.h"

#include <algorithm>
#include <limits>

namespace qtrt {

sample_table::appender::appender(sample_table& table, append_budget& budget)
    : m_columns(table.m_columns), m_budget(budget) {
    seal_chunks();
}

uint64_t sample_table::appender::table_bytes() const {
    const sample_columns& t = m_columns;
    return t.times.size() * sizeof(sample_columns::time_run) +
           t.offsets.size() * sizeof(sample_columns::offset_run) +
           t.chunks.size() * sizeof(sample_columns::chunk_run) +
           (uint64_t(t.chunk_offsets.size()) + t.size_prefix.size()) * sizeof(uint64_t) +
           t.sync.size() * sizeof(uint32_t) + t.dependencies.size();
}

void sample_table::appender::seal_chunks() {
    sample_columns& t = m_columns;
    if (t.count == 0 || t.chunks.empty()) {
        t.chunks.clear();
        t.chunk_offsets.clear();
        return;
    }
    sample_columns::chunk_run& last = t.chunks.back();
    const uint32_t in_run = t.count - last.first_sample;
    const uint32_t full = in_run / last.samples_per_chunk;
    const uint32_t rest = in_run % last.samples_per_chunk;
    const uint32_t used = last.first_chunk + full + (rest ? 1 : 0);
    if (rest && full == 0) {
        last.samples_per_chunk = rest;
    } else if (rest) {
        t.chunks.push_back({last.first_chunk + full, rest, last.description_index,
                            last.first_sample + full * last.samples_per_chunk});
    }
    t.chunk_offsets.resize(used);
}

void sample_table::appender::begin_chunk(uint64_t offset, uint32_t description_index) {
    m_chunk_pending = true;
    m_chunk_offset = offset;
    m_chunk_description = description_index;
}

bool sample_table::appender::add(const appended_sample& s, uint32_t repeat) {
    sample_columns& t = m_columns;
    const bool sync = (s.flags & kNonSyncFlag) == 0;
    const uint8_t dependency = dependency_of(s.flags);
    if (repeat == 0) return true;
    if (repeat >= std::numeric_limits<uint32_t>::max() - t.count ||
        int64_t(s.duration) * repeat > std::numeric_limits<int64_t>::max() - t.decode_end)
        return false;
    // Lists that an added sample makes explicit for every sample before it.
    const bool lists_sizes = t.size_prefix.empty() && t.count > 0 && s.size != t.constant_size;
    const bool lists_sync = t.all_sync && !sync;
    const bool lists_dependencies =
        (dependency != 0 || !t.dependencies.empty()) && t.dependencies.size() < t.count;
    const bool sizes_listed = lists_sizes || !t.size_prefix.empty();
    const bool sync_listed = lists_sync || !t.all_sync;
    const bool dependencies_listed = lists_dependencies || !t.dependencies.empty();
    if ((sizes_listed || sync_listed || dependencies_listed) &&
        (t.count > kMaxListed || repeat > kMaxListed - t.count))
        return false;
    // The most this adds: the lists made for the samples before it, an entry
    // of each list for each sample, and a run of each kind.
    const uint64_t before = table_bytes();
    const uint64_t listed = uint64_t(t.count) + repeat + 1;
    const uint64_t sizes = lists_sizes ? listed : sizes_listed ? repeat : 0;
    const uint64_t syncs = lists_sync ? listed : sync_listed ? repeat : 0;
    const uint64_t dependencies = lists_dependencies ? listed : dependencies_listed ? repeat : 0;
    const uint64_t growth = sizes * sizeof(uint64_t) + syncs * sizeof(uint32_t) + dependencies +
                            sizeof(sample_columns::time_run) + sizeof(sample_columns::offset_run) +
                            sizeof(sample_columns::chunk_run) + sizeof(uint64_t);
    if (growth > append_budget::kMaxBytes - m_budget.used) return false;

    if (m_chunk_pending) {
        m_chunk_pending = false;
        t.chunk_offsets.push_back(m_chunk_offset);
        const uint32_t chunk = uint32_t(t.chunk_offsets.size() - 1);
        // The chunk before, when it is like this one's run, joins that run.
        if (t.chunks.size() >= 2) {
            const sample_columns::chunk_run& a = t.chunks[t.chunks.size() - 2];
            const sample_columns::chunk_run& b = t.chunks.back();
            if (a.samples_per_chunk == b.samples_per_chunk &&
                a.description_index == b.description_index)
                t.chunks.pop_back();
        }
        t.chunks.push_back({chunk, 0, m_chunk_description, t.count});
    }
    t.lengthened = 0;  // samples lengthened at the end are the end no more
    add_time(s.duration, repeat);
    add_display_offset(s.display_offset, repeat);
    add_size(s.size, repeat);
    add_sync(sync, repeat);
    add_dependency(dependency, repeat);
    t.chunks.back().samples_per_chunk += repeat;
    t.count += repeat;
    m_budget.used += table_bytes() - std::min(before, table_bytes());
    return true;
}

void sample_table::appender::add_time(uint32_t duration, uint32_t repeat) {
    sample_columns& t = m_columns;
    const int64_t length = int64_t(duration) * repeat;
    if (!t.times.empty()) {
        sample_columns::time_run& last = t.times.back();
        if (last.delta == duration && last.first_sample + last.count == t.count) {
            last.count += repeat;
            t.decode_end += length;
            return;
        }
    }
    t.times.push_back({t.count, repeat, t.decode_end, duration});
    t.decode_end += length;
}

void sample_table::appender::add_display_offset(int32_t offset, uint32_t repeat) {
    sample_columns& t = m_columns;
    if (t.offsets.empty()) {
        if (offset == 0) return;
        // Samples before this one display at their decode time.
        t.min_offset = t.count > 0 ? std::min(offset, 0) : offset;
        t.max_offset = t.count > 0 ? std::max(offset, 0) : offset;
        t.offsets.push_back({t.count, repeat, offset});
        return;
    }
    sample_columns::offset_run& last = t.offsets.back();
    t.min_offset = std::min(t.min_offset, offset);
    t.max_offset = std::max(t.max_offset, offset);
    if (last.first_sample + last.count == t.count && last.offset == offset)
        last.count += repeat;
    else
        t.offsets.push_back({t.count, repeat, offset});
}

void sample_table::appender::add_size(uint32_t size, uint32_t repeat) {
    sample_columns& t = m_columns;
    if (t.size_prefix.empty()) {
        if (t.count == 0) t.constant_size = size;
        if (size == t.constant_size) return;
        t.size_prefix.resize(size_t(t.count) + 1);
        for (uint32_t i = 0; i <= t.count; ++i) t.size_prefix.set(i, uint64_t(i) * t.constant_size);
    }
    for (uint32_t i = 0; i < repeat; ++i) t.size_prefix.push_back(t.size_prefix.back() + size);
}

void sample_table::appender::add_sync(bool sync, uint32_t repeat) {
    sample_columns& t = m_columns;
    if (t.all_sync) {
        if (sync) return;
        t.all_sync = false;
        t.sync.resize(t.count);
        for (uint32_t i = 0; i < t.count; ++i) t.sync[i] = i;
    }
    if (sync)
        for (uint32_t i = 0; i < repeat; ++i) t.sync.push_back(t.count + i);
}

void sample_table::appender::add_dependency(uint8_t dependency, uint32_t repeat) {
    sample_columns& t = m_columns;
    if (t.dependencies.empty() && dependency == 0) return;
    t.dependencies.resize(t.count, 0);
    t.dependencies.resize(size_t(t.count) + repeat, dependency);
}

void sample_table::appender::extend_to(int64_t decode_time) {
    sample_columns& t = m_columns;
    if (t.times.empty() || decode_time <= t.decode_end) return;
    const int64_t gap = decode_time - t.decode_end;
    sample_columns::time_run& last = t.times.back();
    if (gap > int64_t(std::numeric_limits<uint32_t>::max() - last.delta)) return;
    const uint32_t longer = last.delta + uint32_t(gap);
    if (last.count == 1) {
        last.delta = longer;
    } else {
        --last.count;
        t.times.push_back({last.first_sample + last.count, 1,
                           last.first_time + int64_t(last.count) * last.delta, longer});
    }
    t.decode_end = decode_time;
}

void sample_table::appender::finish() {
    sample_columns& t = m_columns;
    if (t.times.empty() || t.times.back().delta != 0) return;
    if (t.decode_end > std::numeric_limits<int64_t>::max() - t.times.back().count) return;
    t.times.back().delta = 1;
    t.decode_end += t.times.back().count;
    t.lengthened = t.times.back().count;
}

}  // namespace qtrt

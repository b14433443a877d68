#include "movie/fragment_samples.h"

#include <algorithm>
#include <limits>

namespace qtrt {

fragment_sample_appender::fragment_sample_appender(sample_table& table,
                                                   fragment_table_budget& budget)
    : m_table(table), m_budget(budget) {
    seal_chunks();
}

uint64_t fragment_sample_appender::table_bytes() const {
    const sample_table& t = m_table;
    return t.m_times.size() * sizeof(sample_table::time_run) +
           t.m_offsets.size() * sizeof(sample_table::offset_run) +
           t.m_chunks.size() * sizeof(sample_table::chunk_run) +
           (uint64_t(t.m_chunk_offsets.size()) + t.m_size_prefix.size()) * sizeof(uint64_t) +
           t.m_sync.size() * sizeof(uint32_t) + t.m_dependencies.size();
}

void fragment_sample_appender::seal_chunks() {
    sample_table& t = m_table;
    if (t.m_count == 0 || t.m_chunks.empty()) {
        t.m_chunks.clear();
        t.m_chunk_offsets.clear();
        return;
    }
    sample_table::chunk_run& last = t.m_chunks.back();
    const uint32_t in_run = t.m_count - last.first_sample;
    const uint32_t full = in_run / last.samples_per_chunk;
    const uint32_t rest = in_run % last.samples_per_chunk;
    const uint32_t used = last.first_chunk + full + (rest ? 1 : 0);
    if (rest && full == 0) {
        last.samples_per_chunk = rest;
    } else if (rest) {
        t.m_chunks.push_back({last.first_chunk + full, rest, last.description_index,
                              last.first_sample + full * last.samples_per_chunk});
    }
    t.m_chunk_offsets.resize(used);
}

void fragment_sample_appender::begin_chunk(uint64_t offset, uint32_t description_index) {
    m_chunk_pending = true;
    m_chunk_offset = offset;
    m_chunk_description = description_index;
}

bool fragment_sample_appender::add(const fragment_sample& s, uint32_t repeat) {
    sample_table& t = m_table;
    const bool sync = (s.flags & kNonSyncFlag) == 0;
    const uint8_t dependency = dependency_of(s.flags);
    if (repeat == 0) return true;
    if (repeat >= std::numeric_limits<uint32_t>::max() - t.m_count ||
        int64_t(s.duration) * repeat > std::numeric_limits<int64_t>::max() - t.m_decode_end)
        return false;
    // Lists that a fragment sample makes explicit for every sample before it.
    const bool lists_sizes = t.m_size_prefix.empty() && t.m_count > 0 && s.size != t.m_constant_size;
    const bool lists_sync = t.m_all_sync && !sync;
    const bool lists_dependencies =
        (dependency != 0 || !t.m_dependencies.empty()) && t.m_dependencies.size() < t.m_count;
    const bool sizes_listed = lists_sizes || !t.m_size_prefix.empty();
    const bool sync_listed = lists_sync || !t.m_all_sync;
    const bool dependencies_listed = lists_dependencies || !t.m_dependencies.empty();
    if ((sizes_listed || sync_listed || dependencies_listed) &&
        (t.m_count > kMaxListed || repeat > kMaxListed - t.m_count))
        return false;
    // The most this adds: the lists made for the samples before it, an entry
    // of each list for each sample, and a run of each kind.
    const uint64_t before = table_bytes();
    const uint64_t listed = uint64_t(t.m_count) + repeat + 1;
    const uint64_t sizes = lists_sizes ? listed : sizes_listed ? repeat : 0;
    const uint64_t syncs = lists_sync ? listed : sync_listed ? repeat : 0;
    const uint64_t dependencies = lists_dependencies ? listed : dependencies_listed ? repeat : 0;
    const uint64_t growth = sizes * sizeof(uint64_t) + syncs * sizeof(uint32_t) + dependencies +
                            sizeof(sample_table::time_run) + sizeof(sample_table::offset_run) +
                            sizeof(sample_table::chunk_run) + sizeof(uint64_t);
    if (growth > fragment_table_budget::kMaxBytes - m_budget.used) return false;

    if (m_chunk_pending) {
        m_chunk_pending = false;
        t.m_chunk_offsets.push_back(m_chunk_offset);
        const uint32_t chunk = uint32_t(t.m_chunk_offsets.size() - 1);
        // The chunk before, when it is like this one's run, joins that run.
        if (t.m_chunks.size() >= 2) {
            const sample_table::chunk_run& a = t.m_chunks[t.m_chunks.size() - 2];
            const sample_table::chunk_run& b = t.m_chunks.back();
            if (a.samples_per_chunk == b.samples_per_chunk &&
                a.description_index == b.description_index)
                t.m_chunks.pop_back();
        }
        t.m_chunks.push_back({chunk, 0, m_chunk_description, t.m_count});
    }
    t.m_lengthened = 0;  // samples lengthened at the end are the end no more
    add_time(s.duration, repeat);
    add_display_offset(s.display_offset, repeat);
    add_size(s.size, repeat);
    add_sync(sync, repeat);
    add_dependency(dependency, repeat);
    t.m_chunks.back().samples_per_chunk += repeat;
    t.m_count += repeat;
    m_budget.used += table_bytes() - std::min(before, table_bytes());
    return true;
}

void fragment_sample_appender::add_time(uint32_t duration, uint32_t repeat) {
    sample_table& t = m_table;
    const int64_t length = int64_t(duration) * repeat;
    if (!t.m_times.empty()) {
        sample_table::time_run& last = t.m_times.back();
        if (last.delta == duration && last.first_sample + last.count == t.m_count) {
            last.count += repeat;
            t.m_decode_end += length;
            return;
        }
    }
    t.m_times.push_back({t.m_count, repeat, t.m_decode_end, duration});
    t.m_decode_end += length;
}

void fragment_sample_appender::add_display_offset(int32_t offset, uint32_t repeat) {
    sample_table& t = m_table;
    if (t.m_offsets.empty()) {
        if (offset == 0) return;
        // Samples before this one display at their decode time.
        t.m_min_offset = t.m_count > 0 ? std::min(offset, 0) : offset;
        t.m_max_offset = t.m_count > 0 ? std::max(offset, 0) : offset;
        t.m_offsets.push_back({t.m_count, repeat, offset});
        return;
    }
    sample_table::offset_run& last = t.m_offsets.back();
    t.m_min_offset = std::min(t.m_min_offset, offset);
    t.m_max_offset = std::max(t.m_max_offset, offset);
    if (last.first_sample + last.count == t.m_count && last.offset == offset)
        last.count += repeat;
    else
        t.m_offsets.push_back({t.m_count, repeat, offset});
}

void fragment_sample_appender::add_size(uint32_t size, uint32_t repeat) {
    sample_table& t = m_table;
    if (t.m_size_prefix.empty()) {
        if (t.m_count == 0) t.m_constant_size = size;
        if (size == t.m_constant_size) return;
        t.m_size_prefix.resize(size_t(t.m_count) + 1);
        for (uint32_t i = 0; i <= t.m_count; ++i)
            t.m_size_prefix.set(i, uint64_t(i) * t.m_constant_size);
    }
    for (uint32_t i = 0; i < repeat; ++i) t.m_size_prefix.push_back(t.m_size_prefix.back() + size);
}

void fragment_sample_appender::add_sync(bool sync, uint32_t repeat) {
    sample_table& t = m_table;
    if (t.m_all_sync) {
        if (sync) return;
        t.m_all_sync = false;
        t.m_sync.resize(t.m_count);
        for (uint32_t i = 0; i < t.m_count; ++i) t.m_sync[i] = i;
    }
    if (sync)
        for (uint32_t i = 0; i < repeat; ++i) t.m_sync.push_back(t.m_count + i);
}

void fragment_sample_appender::add_dependency(uint8_t dependency, uint32_t repeat) {
    sample_table& t = m_table;
    if (t.m_dependencies.empty() && dependency == 0) return;
    t.m_dependencies.resize(t.m_count, 0);
    t.m_dependencies.resize(size_t(t.m_count) + repeat, dependency);
}

void fragment_sample_appender::extend_to(int64_t decode_time) {
    sample_table& t = m_table;
    if (t.m_times.empty() || decode_time <= t.m_decode_end) return;
    const int64_t gap = decode_time - t.m_decode_end;
    sample_table::time_run& last = t.m_times.back();
    if (gap > int64_t(std::numeric_limits<uint32_t>::max() - last.delta)) return;
    const uint32_t longer = last.delta + uint32_t(gap);
    if (last.count == 1) {
        last.delta = longer;
    } else {
        --last.count;
        t.m_times.push_back({last.first_sample + last.count, 1,
                             last.first_time + int64_t(last.count) * last.delta, longer});
    }
    t.m_decode_end = decode_time;
}

void fragment_sample_appender::finish() {
    sample_table& t = m_table;
    if (t.m_times.empty() || t.m_times.back().delta != 0) return;
    if (t.m_decode_end > std::numeric_limits<int64_t>::max() - t.m_times.back().count) return;
    t.m_times.back().delta = 1;
    t.m_decode_end += t.m_times.back().count;
    t.m_lengthened = t.m_times.back().count;
}

}  // namespace qtrt

#include "movie/sample_table.h"

#include <algorithm>
#include <limits>

namespace qtrt {
namespace {

// Whether the sorted list holds value; the hint remembers where.
bool holds(const std::vector<uint32_t>& list, uint32_t value, const run_hint& hint) {
    if (list.empty() || value < list.front()) return false;
    return list[last_at_or_below(list, value, [](uint32_t v) { return v; }, hint)] == value;
}

uint32_t time_run_first(const sample_table::time_run& r) { return r.first_sample; }
int64_t time_run_start(const sample_table::time_run& r) { return r.first_time; }
uint32_t offset_run_first(const sample_table::offset_run& r) { return r.first_sample; }
uint32_t chunk_run_first_sample(const sample_table::chunk_run& r) { return r.first_sample; }
uint32_t chunk_run_first_chunk(const sample_table::chunk_run& r) { return r.first_chunk; }

}  // namespace

size_t sample_table::time_run_of(uint32_t index) const {
    return last_at_or_below(m_columns.times, index, &time_run_first, m_hints.time_by_index);
}

size_t sample_table::chunk_run_of_sample(uint32_t index) const {
    return last_at_or_below(m_columns.chunks, index, &chunk_run_first_sample,
                            m_hints.chunk_by_sample);
}

size_t sample_table::chunk_run_of_chunk(uint32_t chunk) const {
    return last_at_or_below(m_columns.chunks, chunk, &chunk_run_first_chunk,
                            m_hints.chunk_by_chunk);
}

int64_t sample_table::decode_time(uint32_t index) const {
    const time_run& r = m_columns.times[time_run_of(index)];
    return r.first_time + int64_t(index - r.first_sample) * r.delta;
}

uint32_t sample_table::duration(uint32_t index) const {
    return m_columns.times[time_run_of(index)].delta;
}

int32_t sample_table::display_offset(uint32_t index) const {
    if (m_columns.offsets.empty() || index < m_columns.offsets.front().first_sample) return 0;
    const std::vector<offset_run>& runs = m_columns.offsets;
    const offset_run& r = runs[last_at_or_below(runs, index, &offset_run_first, m_hints.offset)];
    return index - r.first_sample < r.count ? r.offset : 0;
}

uint32_t sample_table::size(uint32_t index) const {
    if (m_columns.size_prefix.empty()) return m_columns.constant_size;
    return uint32_t(m_columns.size_prefix[index + 1] - m_columns.size_prefix[index]);
}

uint64_t sample_table::size_sum(uint32_t first, uint32_t end) const {
    if (m_columns.size_prefix.empty()) return uint64_t(end - first) * m_columns.constant_size;
    return m_columns.size_prefix[end] - m_columns.size_prefix[first];
}

bool sample_table::is_sync(uint32_t index) const {
    return m_columns.all_sync || holds(m_columns.sync, index, m_hints.sync);
}

bool sample_table::is_partial_sync(uint32_t index) const {
    return holds(m_columns.partial_sync, index, m_hints.partial_sync);
}

uint8_t sample_table::dependency(uint32_t index) const {
    return index < m_columns.dependencies.size() ? m_columns.dependencies[index] : 0;
}

sample_info sample_table::sample(uint32_t index) const {
    sample_info s;
    s.index = index;
    const time_run& t = m_columns.times[time_run_of(index)];
    s.decode_time = t.first_time + int64_t(index - t.first_sample) * t.delta;
    s.duration = t.delta;
    s.display_offset = display_offset(index);
    s.size = size(index);
    const chunk_run& c = m_columns.chunks[chunk_run_of_sample(index)];
    uint32_t in_run = index - c.first_sample;
    s.chunk = c.first_chunk + in_run / c.samples_per_chunk;
    uint32_t chunk_first = index - in_run % c.samples_per_chunk;
    s.offset = m_columns.chunk_offsets[s.chunk] + size_sum(chunk_first, index);
    s.description_index = c.description_index;
    s.sync = is_sync(index);
    s.partial_sync = is_partial_sync(index);
    s.dependency = dependency(index);
    return s;
}

uint32_t sample_table::chunk_of(uint32_t index) const {
    const chunk_run& c = m_columns.chunks[chunk_run_of_sample(index)];
    return c.first_chunk + (index - c.first_sample) / c.samples_per_chunk;
}

bool sample_table::find_by_decode_time(int64_t t, uint32_t& index) const {
    if (m_columns.count == 0 || t < 0 || t >= m_columns.decode_end) return false;
    // The last run that starts at or before t; runs of zero-length samples
    // share their start with the next run, so take the last such run.
    const size_t lo = last_at_or_below(m_columns.times, t, &time_run_start, m_hints.time_by_time);
    const time_run& r = m_columns.times[lo];
    if (r.delta == 0) return false;
    int64_t n = (t - r.first_time) / r.delta;
    if (n >= r.count) return false;
    index = r.first_sample + uint32_t(n);
    return true;
}

bool sample_table::nearest_of_kind(uint32_t from, bool forward, kind which, uint32_t& index) const {
    if (which == kind::any) {
        if (from >= m_columns.count) return false;
        index = from;
        return true;
    }
    return next_sync(from, forward, which == kind::sync_or_partial, index);
}

bool sample_table::next_display_start(int64_t t, bool forward, bool at_edge, int64_t& start,
                                      kind which) const {
    if (m_columns.count == 0) return false;
    // Far outside the media every answer is the first or the last start; the
    // bound keeps the window arithmetic below in range.
    constexpr int64_t kFar = int64_t(1) << 62;
    t = std::min(std::max(t, -kFar), kFar);
    auto qualifies = [&](int64_t s) {
        return forward ? (s > t || (at_edge && s == t)) : (s < t || (at_edge && s == t));
    };
    // A sample displays at decode + offset with offset in [min, max], so only
    // samples decoded within that window around t can hold the answer.
    auto first_decoded_at_or_after = [&](int64_t d) -> uint32_t {
        if (d <= 0) return 0;
        if (d >= m_columns.decode_end) return m_columns.count;
        uint32_t i = 0;
        if (!find_by_decode_time(d, i)) return m_columns.count;
        return decode_time(i) >= d ? i : i + 1;
    };
    bool found = false;
    int64_t best = 0;
    if (forward) {
        uint32_t i = first_decoded_at_or_after(t - m_columns.max_offset);
        while (nearest_of_kind(i, true, which, i)) {
            int64_t d = decode_time(i);
            if (found && d + m_columns.min_offset > best) break;
            int64_t s = d + display_offset(i);
            if (qualifies(s) && (!found || s < best)) {
                best = s;
                found = true;
            }
            ++i;
        }
    } else {
        uint32_t end = first_decoded_at_or_after(t - m_columns.min_offset + 1);
        uint32_t i = end;
        while (i > 0 && nearest_of_kind(i - 1, false, which, i)) {
            int64_t d = decode_time(i);
            if (found && d + m_columns.max_offset < best) break;
            int64_t s = d + display_offset(i);
            if (qualifies(s) && (!found || s > best)) {
                best = s;
                found = true;
            }
        }
    }
    if (found) start = best;
    return found;
}

bool sample_table::find_by_display_time(int64_t t, uint32_t& index) const {
    int64_t start = 0;
    if (!next_display_start(t, false, true, start)) return false;
    // The sample that starts displaying there: decoded within the offset window.
    uint32_t i = 0;
    int64_t d = start - m_columns.max_offset;
    uint32_t first = 0;
    if (d > 0 && find_by_decode_time(d, i)) first = i;
    for (uint32_t k = first; k < m_columns.count; ++k) {
        int64_t dk = decode_time(k);
        if (dk + m_columns.min_offset > start) break;
        if (dk + display_offset(k) == start) {
            if (start + duration(k) <= t) return false;
            index = k;
            return true;
        }
    }
    return false;
}

bool sample_table::next_sync(uint32_t from, bool forward, bool partial_too, uint32_t& index) const {
    if (m_columns.count == 0) return false;
    if (from >= m_columns.count) {
        if (forward) return false;
        from = m_columns.count - 1;
    }
    if (m_columns.all_sync) {
        index = from;
        return true;
    }
    auto search = [&](const std::vector<uint32_t>& list, uint32_t& out) {
        if (forward) {
            auto it = std::lower_bound(list.begin(), list.end(), from);
            if (it == list.end() || *it >= m_columns.count) return false;
            out = *it;
            return true;
        }
        auto it = std::upper_bound(list.begin(), list.end(), from);
        if (it == list.begin()) return false;
        out = *(it - 1);
        return true;
    };
    uint32_t a = 0, b = 0;
    bool has_a = search(m_columns.sync, a);
    bool has_b = partial_too && search(m_columns.partial_sync, b);
    if (!has_a && !has_b) return false;
    if (has_a && has_b)
        index = forward ? std::min(a, b) : std::max(a, b);
    else
        index = has_a ? a : b;
    return true;
}

void sample_table::chunk_samples(uint32_t chunk, uint32_t& first_sample, uint32_t& count) const {
    const chunk_run& r = m_columns.chunks[chunk_run_of_chunk(chunk)];
    uint64_t first = uint64_t(r.first_sample) + uint64_t(chunk - r.first_chunk) * r.samples_per_chunk;
    if (first >= m_columns.count) {
        first_sample = m_columns.count;
        count = 0;
        return;
    }
    first_sample = uint32_t(first);
    count = uint32_t(std::min<uint64_t>(r.samples_per_chunk, m_columns.count - first));
}

uint32_t sample_table::chunk_description_index(uint32_t chunk) const {
    return m_columns.chunks[chunk_run_of_chunk(chunk)].description_index;
}

}  // namespace qtrt

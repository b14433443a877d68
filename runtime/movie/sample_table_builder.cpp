#include "movie/sample_table_builder.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace qtrt {

using qt_format::atom_reader;
using qt_format::read_version_flags;

namespace {

// A full atom's version and flags, then a 32-bit entry count that the
// remaining bytes can hold at entry_size bytes per entry.
bool read_entry_count(atom_reader& r, size_t entry_size, uint32_t& count, uint8_t* version = nullptr) {
    uint8_t v = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, v, flags) || !r.read_u32(count)) return false;
    if (version) *version = v;
    return count <= r.remaining() / entry_size;
}

}  // namespace

bool sample_table_builder::read_sizes(const stbl_tables& tables, sample_columns& t) {
    if (tables.stsz.present) {
        atom_reader r = tables.stsz.body;
        uint8_t version = 0;
        uint32_t flags = 0, sample_size = 0, count = 0;
        if (!read_version_flags(r, version, flags) || !r.read_u32(sample_size) || !r.read_u32(count))
            return false;
        t.count = count;
        if (sample_size != 0) {
            t.constant_size = sample_size;
            return true;
        }
        if (count > r.remaining() / 4) return false;
        t.size_prefix.resize(size_t(count) + 1);
        uint64_t sum = 0;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t size = 0;
            if (!r.read_u32(size)) return false;
            sum += size;
            t.size_prefix.set(i + 1, sum);
        }
        return !r.failed();
    }
    if (!tables.stz2.present) return false;
    atom_reader r = tables.stz2.body;
    uint8_t version = 0, field_size = 0;
    uint32_t flags = 0, reserved = 0, count = 0;
    if (!read_version_flags(r, version, flags) || !r.read_u24(reserved) || !r.read_u8(field_size) ||
        !r.read_u32(count))
        return false;
    if (field_size != 4 && field_size != 8 && field_size != 16) return false;
    if (uint64_t(count) * field_size > uint64_t(r.remaining()) * 8) return false;
    t.count = count;
    t.size_prefix.resize(size_t(count) + 1);
    uint64_t sum = 0;
    uint8_t pair = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size = 0;
        if (field_size == 16) {
            uint16_t v = 0;
            if (!r.read_u16(v)) return false;
            size = v;
        } else if (field_size == 8) {
            uint8_t v = 0;
            if (!r.read_u8(v)) return false;
            size = v;
        } else if (i % 2 == 0) {
            if (!r.read_u8(pair)) return false;
            size = pair >> 4;
        } else {
            size = pair & 0x0F;
        }
        sum += size;
        t.size_prefix.set(i + 1, sum);
    }
    return !r.failed();
}

bool sample_table_builder::read_times(atom_reader r, sample_columns& t) {
    uint32_t entries = 0;
    if (!read_entry_count(r, 8, entries)) return false;
    t.times.reserve(entries);
    uint32_t sample = 0;
    int64_t time = 0;
    for (uint32_t i = 0; i < entries && sample < t.count; ++i) {
        uint32_t count = 0, delta = 0;
        if (!r.read_u32(count) || !r.read_u32(delta)) return false;
        if (count == 0) continue;
        count = std::min(count, t.count - sample);
        if (delta != 0 && int64_t(count) > (std::numeric_limits<int64_t>::max() - time) / delta)
            return false;
        t.times.push_back({sample, count, time, delta});
        sample += count;
        time += int64_t(count) * delta;
    }
    // Samples at the end that last no time (writers that do not know how
    // long the last one lasts) last one unit each, so that each has a decode
    // time of its own.
    if (!t.times.empty() && t.times.back().delta == 0) {
        if (time > std::numeric_limits<int64_t>::max() - t.times.back().count) return false;
        t.times.back().delta = 1;
        time += t.times.back().count;
        t.lengthened = t.times.back().count;
    }
    t.decode_end = time;
    return sample == t.count;
}

bool sample_table_builder::read_offsets(atom_reader r, sample_columns& t) {
    uint32_t entries = 0;
    if (!read_entry_count(r, 8, entries)) return false;
    t.offsets.reserve(entries);
    uint32_t sample = 0;
    bool first = true;
    for (uint32_t i = 0; i < entries && sample < t.count; ++i) {
        uint32_t count = 0;
        int32_t offset = 0;
        // Offsets are signed in both versions: QuickTime writes negative
        // offsets in version 0 atoms too.
        if (!r.read_u32(count) || !r.read_i32(offset)) return false;
        if (count == 0) continue;
        count = std::min(count, t.count - sample);
        t.offsets.push_back({sample, count, offset});
        sample += count;
        t.min_offset = first ? offset : std::min(t.min_offset, offset);
        t.max_offset = first ? offset : std::max(t.max_offset, offset);
        first = false;
    }
    // Samples past the table display at their decode time.
    if (sample < t.count) {
        t.min_offset = std::min(t.min_offset, 0);
        t.max_offset = std::max(t.max_offset, 0);
    }
    return true;
}

bool sample_table_builder::read_chunk_offsets(const stbl_tables& tables, sample_columns& t) {
    const bool wide = !tables.stco.present && tables.co64.present;
    if (!tables.stco.present && !tables.co64.present) return false;
    atom_reader r = wide ? tables.co64.body : tables.stco.body;
    uint32_t count = 0;
    if (!read_entry_count(r, wide ? 8 : 4, count)) return false;
    t.chunk_offsets.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t offset = 0;
        if (wide) {
            if (!r.read_u64(offset)) return false;
        } else {
            uint32_t narrow = 0;
            if (!r.read_u32(narrow)) return false;
            offset = narrow;
        }
        t.chunk_offsets.set(i, offset);
    }
    return !r.failed();
}

bool sample_table_builder::read_chunks(atom_reader r, uint32_t description_count,
                                       sample_columns& t) {
    uint32_t entries = 0;
    if (!read_entry_count(r, 12, entries)) return false;
    const uint32_t chunk_count = uint32_t(t.chunk_offsets.size());
    t.chunks.reserve(entries);
    uint32_t previous_first = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t first_chunk = 0, per_chunk = 0, description = 0;
        if (!r.read_u32(first_chunk) || !r.read_u32(per_chunk) || !r.read_u32(description))
            return false;
        if (first_chunk == 0 || first_chunk < previous_first || per_chunk == 0 ||
            description == 0 || description > description_count)
            return false;
        // An entry repeating the previous one's first chunk replaces it.
        if (first_chunk == previous_first && !t.chunks.empty() &&
            t.chunks.back().first_chunk == first_chunk - 1)
            t.chunks.pop_back();
        previous_first = first_chunk;
        if (first_chunk > chunk_count) break;  // runs past the last chunk hold nothing
        uint64_t first_sample = 0;
        if (!t.chunks.empty()) {
            const sample_columns::chunk_run& last = t.chunks.back();
            first_sample = last.first_sample +
                           uint64_t(first_chunk - 1 - last.first_chunk) * last.samples_per_chunk;
            if (first_sample >= t.count) break;
        }
        t.chunks.push_back({first_chunk - 1, per_chunk, description, uint32_t(first_sample)});
    }
    if (t.chunks.empty() || t.chunks.front().first_chunk != 0) return false;
    const sample_columns::chunk_run& last = t.chunks.back();
    return last.first_sample + uint64_t(chunk_count - last.first_chunk) * last.samples_per_chunk >=
           t.count;
}

bool sample_table_builder::read_sample_list(atom_reader r, uint32_t sample_count,
                                            std::vector<uint32_t>& list) {
    uint32_t entries = 0;
    if (!read_entry_count(r, 4, entries)) return false;
    list.reserve(entries);
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t number = 0;
        if (!r.read_u32(number)) return false;
        if (number >= 1 && number <= sample_count) list.push_back(number - 1);
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return true;
}

// 'sdtp': version and flags, then one byte for each sample; a table shorter
// than the media leaves the samples past it without flags.
bool sample_table_builder::read_dependencies(atom_reader r, sample_columns& t) {
    uint8_t version = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, version, flags)) return false;
    const size_t count = std::min<size_t>(r.remaining(), t.count);
    t.dependencies.resize(count);
    for (size_t i = 0; i < count; ++i)
        if (!r.read_u8(t.dependencies[i])) return false;
    return !r.failed();
}

OSErr sample_table_builder::build(const stbl_tables& tables, uint32_t description_count,
                                  sample_table& out) {
    sample_columns t;
    const bool empty = !tables.stsz.present && !tables.stz2.present;
    if (empty) {
        // A media without samples may leave its tables out.
        out = sample_table(std::move(t));
        return noErr;
    }
    if (!read_sizes(tables, t)) return invalidMedia;
    if (t.count == 0) {
        out = sample_table(std::move(t));
        return noErr;
    }
    if (!tables.stts.present || !read_times(tables.stts.body, t)) return invalidMedia;
    if (tables.ctts.present && !read_offsets(tables.ctts.body, t)) return invalidMedia;
    if (!read_chunk_offsets(tables, t)) return invalidMedia;
    if (!tables.stsc.present || !read_chunks(tables.stsc.body, description_count, t))
        return invalidMedia;
    if (tables.stss.present) {
        t.all_sync = false;
        if (!read_sample_list(tables.stss.body, t.count, t.sync)) return invalidMedia;
    }
    if (tables.stps.present && !read_sample_list(tables.stps.body, t.count, t.partial_sync))
        return invalidMedia;
    if (tables.sdtp.present && !read_dependencies(tables.sdtp.body, t)) return invalidMedia;
    out = sample_table(std::move(t));
    return noErr;
}

}  // namespace qtrt

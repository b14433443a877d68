#include "movie/track_fragment_atoms.h"

#include <initializer_list>

namespace qtrt {

using qt_format::atom_reader;
using qt_format::read_time_field;
using qt_format::read_version_flags;

bool parse_tfhd(atom_reader r, track_fragment_header& out) {
    using h = track_fragment_header;
    uint8_t version = 0;
    if (!read_version_flags(r, version, out.flags) || !r.read_u32(out.track_id)) return false;
    return (!(out.flags & h::kBaseDataOffset) || r.read_u64(out.base_data_offset)) &&
           (!(out.flags & h::kDescriptionIndex) || r.read_u32(out.description_index)) &&
           (!(out.flags & h::kDefaultDuration) || r.read_u32(out.default_duration)) &&
           (!(out.flags & h::kDefaultSize) || r.read_u32(out.default_size)) &&
           (!(out.flags & h::kDefaultFlags) || r.read_u32(out.default_flags));
}

bool parse_tfdt(atom_reader r, uint64_t& decode_time) {
    uint8_t version = 0;
    uint32_t flags = 0;
    if (!read_version_flags(r, version, flags)) return false;
    return read_time_field(r, version, decode_time);
}

bool track_run::read_entry(track_run_entry& out) {
    out = track_run_entry();
    return (!has(kSampleDuration) || entries.read_u32(out.duration)) &&
           (!has(kSampleSize) || entries.read_u32(out.size)) &&
           (!has(kSampleFlags) || entries.read_u32(out.flags)) &&
           (!has(kSampleDisplayOffset) || entries.read_i32(out.display_offset));
}

trun_parse parse_trun(atom_reader r, track_run& out) {
    using run = track_run;
    uint8_t version = 0;
    if (!read_version_flags(r, version, out.flags) || !r.read_u32(out.sample_count))
        return trun_parse::cut_short;
    for (uint32_t field :
         {run::kSampleDuration, run::kSampleSize, run::kSampleFlags, run::kSampleDisplayOffset})
        if (out.has(field)) out.entry_size += 4;
    if (out.has(run::kDataOffset)) {
        if (!r.read_i32(out.data_offset)) return trun_parse::entries_short;
        out.has_data_offset = true;
    }
    if (out.has_first_sample_flags() && !r.read_u32(out.first_sample_flags))
        return trun_parse::entries_short;
    if (out.entry_size > 0) {
        if (out.sample_count > r.remaining() / out.entry_size) return trun_parse::entries_short;
        out.entries = r.sub(out.sample_count * out.entry_size);
    }
    return trun_parse::ok;
}

}  // namespace qtrt

// The atoms of a track fragment ('traf'), each parsed into a struct of its
// fields as stored. Parsing only reads and bounds counts against the bytes
// present; what the fields mean for the track (defaults, where the data lies,
// PCM frames) is worked out by the fragment reader (fragment_parser.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/atom_reader.h"

namespace qtrt {

// 'tfhd': the fragment's track and what it overrides of the track's defaults.
struct track_fragment_header {
    static constexpr uint32_t kBaseDataOffset = 0x000001;
    static constexpr uint32_t kDescriptionIndex = 0x000002;
    static constexpr uint32_t kDefaultDuration = 0x000008;
    static constexpr uint32_t kDefaultSize = 0x000010;
    static constexpr uint32_t kDefaultFlags = 0x000020;
    static constexpr uint32_t kDefaultBaseIsMoof = 0x020000;

    uint32_t flags = 0;  // which of the fields below are present
    uint32_t track_id = 0;
    uint64_t base_data_offset = 0;
    uint32_t description_index = 0;
    uint32_t default_duration = 0;
    uint32_t default_size = 0;
    uint32_t default_flags = 0;
};

// False when the atom is shorter than its flags say.
bool parse_tfhd(qt_format::atom_reader r, track_fragment_header& out);

// 'tfdt': the decode time of the fragment's first sample, in either version.
// False when the atom is cut short.
bool parse_tfdt(qt_format::atom_reader r, uint64_t& decode_time);

// One sample's entry of a 'trun'; the fields its run's flags leave out are 0.
struct track_run_entry {
    uint32_t duration = 0;
    uint32_t size = 0;
    uint32_t flags = 0;
    int32_t display_offset = 0;  // signed in both versions, as for 'ctts'
};

// 'trun': a run of samples that lie one after another in the file.
struct track_run {
    static constexpr uint32_t kDataOffset = 0x000001;
    static constexpr uint32_t kFirstSampleFlags = 0x000004;
    static constexpr uint32_t kSampleDuration = 0x000100;
    static constexpr uint32_t kSampleSize = 0x000200;
    static constexpr uint32_t kSampleFlags = 0x000400;
    static constexpr uint32_t kSampleDisplayOffset = 0x000800;

    uint32_t flags = 0;
    uint32_t sample_count = 0;
    bool has_data_offset = false;  // read whole
    int32_t data_offset = 0;
    uint32_t first_sample_flags = 0;
    size_t entry_size = 0;  // bytes of each sample's entry; 0 when there are none
    qt_format::atom_reader entries;  // the entries as stored, sample_count of them

    bool has_first_sample_flags() const { return (flags & kFirstSampleFlags) != 0; }
    bool has(uint32_t field) const { return (flags & field) != 0; }
    // The next sample's entry (when entry_size is not 0).
    bool read_entry(track_run_entry& out);
};

enum class trun_parse {
    ok,
    cut_short,      // no version, flags or sample count
    entries_short,  // the fields after the count, or the entries it counts, are not all there
};

// `out` holds what was read before a failure.
trun_parse parse_trun(qt_format::atom_reader r, track_run& out);

}  // namespace qtrt

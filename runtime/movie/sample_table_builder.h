// Builds a sample table from the tables of a 'stbl' atom, checking every count
// against the bytes of its atom before anything is allocated for it.
#pragma once

#include <cstdint>

#include "format/atom_reader.h"
#include "movie/sample_columns.h"
#include "movie/sample_table.h"
#include "quicktime/mac_types.h"

namespace qtrt {

// The bodies of the sample table atoms (after their headers); an absent atom
// has present == false.
struct stbl_tables {
    struct table {
        bool present = false;
        qt_format::atom_reader body;
    };
    table stts, ctts, stss, stps, sdtp, stsc, stsz, stz2, stco, co64;
};

class sample_table_builder {
public:
    // noErr and a complete table, or invalidMedia when a table is malformed,
    // inconsistent with another or missing.
    static OSErr build(const stbl_tables& tables, uint32_t description_count, sample_table& out);

private:
    static bool read_sizes(const stbl_tables& tables, sample_columns& t);
    static bool read_times(qt_format::atom_reader r, sample_columns& t);
    static bool read_offsets(qt_format::atom_reader r, sample_columns& t);
    static bool read_chunk_offsets(const stbl_tables& tables, sample_columns& t);
    static bool read_chunks(qt_format::atom_reader r, uint32_t description_count,
                            sample_columns& t);
    static bool read_sample_list(qt_format::atom_reader r, uint32_t sample_count,
                                 std::vector<uint32_t>& list);
    static bool read_dependencies(qt_format::atom_reader r, sample_columns& t);
};

}  // namespace qtrt

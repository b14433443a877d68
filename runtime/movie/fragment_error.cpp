#include "movie/fragment_error.h"

#include "format/atom_types.h"
#include "movie/sample_appender.h"

namespace qtrt {

using namespace qt_format::atom_types;
namespace {

std::string number(uint64_t v) { return std::to_string(v); }

std::string atom_name(OSType type) {
    return type == kAtomMoof ? "moof" : type == kAtomMdat ? "mdat" : "moov";
}

}  // namespace

std::string fragment_error_line(const fragment_error& e) {
    using why = fragment_error::reason;
    const std::string track = "track " + number(e.track_id) + ": ";
    switch (e.why) {
        case why::none:
            return "";
        case why::run_cut_short:
            return track + "its sample run is cut short";
        case why::run_before_file:
            return track + "a sample run starts before the start of the file";
        case why::run_count_over_entries:
        case why::run_count_over_data:
            return track + "a sample run counts " + number(e.count) + " samples, more than its " +
                   (e.why == why::run_count_over_entries ? "entries hold" : "data can hold");
        case why::unknown_description:
            return track + "its fragments name sample description " + number(e.bound) +
                   ", which the track does not have";
        case why::pcm_partial_frame:
            return track + "sample " + number(e.sample) + " of " + number(e.count) +
                   " of a fragment holds " + number(e.size) + (e.size == 1 ? " byte" : " bytes") +
                   ", not a whole number of its " + number(e.bound) + "-byte sound frames";
        case why::too_many_samples:
            return track + "its fragments hold more samples than the runtime can list (" +
                   number(sample_table::appender::kMaxListed) + " listed one by one, " +
                   number(append_budget::kMaxBytes >> 20) + " MiB of tables for all fragments)";
        case why::sample_past_end:
            return track + "sample " + number(e.sample) + " of " + number(e.count) +
                   " of a fragment (" + number(e.size) + " bytes at offset " + number(e.offset) +
                   ") runs past the end of the file at byte " + number(e.bound);
        case why::track_fragment_malformed:
            return "a track fragment is malformed";
        case why::holds_top_level_atom:
            return "it holds a '" + atom_name(e.atom_type) +
                   "' atom (its size takes in the atoms after it)";
        case why::fragment_malformed:
            return "the fragment is malformed";
    }
    return "";
}

}  // namespace qtrt

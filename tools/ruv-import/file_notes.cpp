#include "file_notes.h"

#include <filesystem>

#include "file_survey.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/mac_types.h"

namespace ruv_import {

namespace {

constexpr uint32_t kSound = qt_fourcc("soun");

std::string file_name(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Formats whose samples are stored as they sound, one value per channel:
// their description's channel count is the stream's. A compressed stream
// says its own, which the description need not match.
bool channel_count_is_stored(uint32_t format) {
    static const uint32_t kStored[] = {qt_fourcc("twos"), qt_fourcc("sowt"), qt_fourcc("raw "),
                                       qt_fourcc("NONE"), qt_fourcc("in24"), qt_fourcc("in32"),
                                       qt_fourcc("fl32"), qt_fourcc("fl64"), qt_fourcc("lpcm"),
                                       qt_fourcc("ulaw"), qt_fourcc("alaw")};
    for (uint32_t f : kStored)
        if (f == format) return true;
    return false;
}

}  // namespace

std::vector<std::string> unreadable_track_notes(const std::vector<file_track>& tracks,
                                                const std::string& path) {
    std::vector<std::string> notes;
    for (size_t n = 0; n < tracks.size(); ++n) {
        if (tracks[n].problem.empty()) continue;
        notes.push_back(kolmbase::string_with_format(
            "track %u ('%s') of '%s' is left out: %s", unsigned(n + 1),
            kolmbase::string_with_fourcc(tracks[n].handler).c_str(), file_name(path).c_str(),
            tracks[n].problem.c_str()));
    }
    return notes;
}

std::string undecodable_sound_note(const std::vector<file_track>& tracks,
                                   const std::string& path, uint32_t extracted) {
    uint64_t least = 0;
    std::string listed;
    for (size_t n = 0; n < tracks.size(); ++n) {
        const file_track& t = tracks[n];
        if (!t.enabled || t.handler != kSound || !t.problem.empty() || t.format == 0) continue;
        const bool stored = channel_count_is_stored(t.format) && t.channels > 0;
        least += stored ? t.channels : 1;
        listed += kolmbase::string_with_format("%s%u '%s'", listed.empty() ? "" : ", ",
                                               unsigned(n + 1),
                                               kolmbase::string_with_fourcc(t.format).c_str());
        if (stored)
            listed += kolmbase::string_with_format(" %u channel%s", t.channels,
                                                   t.channels == 1 ? "" : "s");
    }
    if (least <= extracted) return "";
    return kolmbase::string_with_format(
        "sound of '%s' cannot be decoded and is left out: the extraction delivers %u channel%s "
        "where the enabled sound tracks hold at least %llu (%s)",
        file_name(path).c_str(), extracted, extracted == 1 ? "" : "s",
        static_cast<unsigned long long>(least), listed.c_str());
}

std::string with_file_facts(const std::string& note, const std::string& path) {
    const std::string past_the_end = "media data lies past the end of the file (";
    const size_t end = note.find(past_the_end);
    if (end != std::string::npos) {
        std::error_code failed;
        const std::uintmax_t size = std::filesystem::file_size(path, failed);
        if (failed) return note;
        const size_t at = end + past_the_end.size() - 1;
        const std::string bytes = kolmbase::string_with_format(
            "(%llu bytes) ", static_cast<unsigned long long>(size));
        return note.substr(0, at) + bytes + note.substr(at);
    }
    const std::string opening = "cannot open '";
    if (note.compare(0, opening.size(), opening) != 0) return note;
    const size_t cause = note.find("': ", opening.size());
    const size_t code = note.rfind(" (QuickTime error ");
    if (cause == std::string::npos || code == std::string::npos || code < cause) return note;
    const std::string problem = movie_atom_problem(path);
    if (problem.empty()) return note;
    return note.substr(0, cause + 3) + problem + note.substr(code);
}

}  // namespace ruv_import

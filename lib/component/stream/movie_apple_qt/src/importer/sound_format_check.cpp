#include "importer/sound_format_check.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "importer/log.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {
namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");

// The format's four characters; those that are not printable as \xNN.
std::string format_text(OSType format) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>(format >> shift);
        char piece[5] = {char(c), 0};
        if (c < 0x20 || c >= 0x7F) std::snprintf(piece, sizeof piece, "\\x%02X", c);
        text += piece;
    }
    return text;
}

// The data format of the media's first sample description; false when the
// media hands out none.
bool first_format(Media media, OSType& format) {
    owned_handle description(NewHandle(0));
    if (!description) return false;
    GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(description.get()));
    if (GetMoviesError() != noErr || description.size() < Size(sizeof(SampleDescription))) return false;
    std::memcpy(&format, description.bytes() + offsetof(SampleDescription, dataFormat), sizeof format);
    return true;
}

bool decompressor_exists(OSType format) {
    ComponentDescription looking{qtcode::kSoundDecompressorType, format, 0, 0, 0};
    return FindNextComponent(nullptr, &looking) != nullptr;
}

}  // namespace

int log_undecodable_sound(Movie movie) {
    std::set<Track> enabled;
    for (long n = 1;; ++n) {
        Track t = GetMovieIndTrackType(movie, n, qtcode::kAudioCharacteristic,
                                       qtcode::kTrackByCharacteristic | qtcode::kTrackEnabledOnly);
        if (!t) break;
        enabled.insert(t);
    }
    int found = 0;
    const long count = GetMovieTrackCount(movie);
    for (long i = 1; i <= count && !enabled.empty(); ++i) {
        Track t = GetMovieIndTrack(movie, i);
        if (!t || !enabled.count(t)) continue;
        Media media = GetTrackMedia(t);
        OSType type = 0, format = 0;
        if (!media) continue;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (type != kSoundMediaType || !first_format(media, format) || decompressor_exists(format)) continue;
        log::instance().error(0, 0, "sound track %ld ('%s') cannot be decoded; left out", i,
                              format_text(format).c_str());
        ++found;
    }
    return found;
}

}  // namespace ns_movie_apple_qt

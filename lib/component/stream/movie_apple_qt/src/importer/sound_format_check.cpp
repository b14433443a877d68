#include "importer/sound_format_check.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "importer/log.h"
#include "importer/failure_text.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {
namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");
// Where a version 2 sound description holds its channel count.
constexpr size_t kVersion2ChannelsAt = 48;

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

// The data format and channel count of the media's first sample
// description; false when the media hands out none.
bool first_format(Media media, OSType& format, uint32_t& channels) {
    owned_handle description(NewHandle(0));
    if (!description) return false;
    GetMediaSampleDescription(media, 1, reinterpret_cast<SampleDescriptionHandle>(description.get()));
    if (GetMoviesError() != noErr || description.size() < Size(sizeof(SoundDescription))) return false;
    SoundDescription sound;
    std::memcpy(&sound, description.bytes(), sizeof sound);
    format = sound.dataFormat;
    channels = uint32_t(uint16_t(sound.numChannels));
    // Version 2 keeps its channel count in a 32-bit field of its own.
    if (sound.version == 2 && description.size() >= Size(kVersion2ChannelsAt + 4))
        std::memcpy(&channels, description.bytes() + kVersion2ChannelsAt, 4);
    return true;
}

}  // namespace

uint32_t log_undecodable_sound(Movie movie, uint32_t extracted_channels) {
    std::set<Track> enabled;
    for (long n = 1;; ++n) {
        Track t = GetMovieIndTrackType(movie, n, qtcode::kAudioCharacteristic,
                                       qtcode::kTrackByCharacteristic | qtcode::kTrackEnabledOnly);
        if (!t) break;
        enabled.insert(t);
    }
    uint64_t total = 0;
    std::string tracks;
    const long count = GetMovieTrackCount(movie);
    for (long i = 1; i <= count && !enabled.empty(); ++i) {
        Track t = GetMovieIndTrack(movie, i);
        if (!t || !enabled.count(t)) continue;
        Media media = GetTrackMedia(t);
        OSType type = 0, format = 0;
        uint32_t channels = 0;
        if (!media) continue;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (type != kSoundMediaType || !first_format(media, format, channels)) continue;
        total += channels;
        tracks += kolmbase::string_with_format("%s%ld '%s' %u channel%s", tracks.empty() ? "" : ", ",
                                               i, format_text(format).c_str(), channels,
                                               channels == 1 ? "" : "s");
    }
    if (total <= extracted_channels) return 0;
    const uint32_t missing = uint32_t(total - extracted_channels);
    log::instance().error(0, 0,
                          "%u of the %llu sound channels of '%s' cannot be decoded and are left "
                          "out (enabled sound tracks: %s)",
                          missing, static_cast<unsigned long long>(total), source_name().c_str(),
                          tracks.c_str());
    return missing;
}

}  // namespace ns_movie_apple_qt

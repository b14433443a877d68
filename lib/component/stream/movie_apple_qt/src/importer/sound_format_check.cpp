#include "importer/sound_format_check.h"

#include <cstddef>
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

// Where a version 2 sound description holds its channel count.
constexpr size_t kVersion2ChannelsAt = 48;

// Formats whose samples are stored as they sound, one value per channel:
// their description's channel count is the stream's. A compressed stream
// says its own, which the description need not match.
bool channel_count_is_stored(OSType format) {
    static const OSType kStored[] = {qt_fourcc("twos"), qt_fourcc("sowt"), qt_fourcc("raw "),
                                     qt_fourcc("NONE"), qt_fourcc("in24"), qt_fourcc("in32"),
                                     qt_fourcc("fl32"), qt_fourcc("fl64"), qt_fourcc("lpcm"),
                                     qt_fourcc("ulaw"), qt_fourcc("alaw")};
    for (OSType f : kStored)
        if (f == format) return true;
    return false;
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
    // Each track the extraction plays gives at least one channel, a stored
    // format exactly its description's count.
    uint64_t least = 0;
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
        if (type != qtcode::kSoundMediaType || !first_format(media, format, channels)) continue;
        const bool stored = channel_count_is_stored(format) && channels > 0;
        least += stored ? channels : 1;
        tracks += kolmbase::string_with_format("%s%ld '%s'", tracks.empty() ? "" : ", ", i,
                                               kolmbase::string_with_fourcc(format).c_str());
        if (stored) tracks += kolmbase::string_with_format(" %u channel%s", channels, channels == 1 ? "" : "s");
    }
    if (least <= extracted_channels) return 0;
    log::instance().error(0, 0,
                          "sound of '%s' cannot be decoded and is left out: the extraction "
                          "delivers %u channel%s where the enabled sound tracks hold at least "
                          "%llu (%s)",
                          source_name().c_str(), extracted_channels,
                          extracted_channels == 1 ? "" : "s",
                          static_cast<unsigned long long>(least), tracks.c_str());
    return uint32_t(least - extracted_channels);
}

}  // namespace ns_movie_apple_qt

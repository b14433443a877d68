#include "audio/movie_sound_tracks.h"

#include <set>

#include "audio/audio_constants.h"
#include "audio/compressed_format.h"
#include "audio/packet_decoder.h"
#include "audio/sound_warning.h"
#include "movie/movie_access.h"
#include "movie/movie_toolbox.h"

namespace qtrt::audio {
namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");

// Says why a track in a compressed format this runtime knows is left out:
// the client's own check of the format (a sound decompressor is registered
// for it, or not) cannot tell. Formats no decoder knows are left to it.
void warn_left_out(const track_model& track, const std::string& why) {
    const media_model& media = track.media;
    if (media.descriptions.empty()) return;
    compressed_format f;
    if (parse_compressed_description(media.descriptions.front().bytes.data(),
                                     media.descriptions.front().bytes.size(), f) ==
        compressed_parse_result::not_compressed)
        return;
    sound_warning("sound track " + std::to_string(track.id) + " ('" +
                  format_text(media.descriptions.front().format) + "') is left out: " + why);
}

}  // namespace

OSStatus collect_sound_tracks(Movie movie, TimeScale& movie_time_scale, std::vector<sound_track_input>& out) {
    out.clear();
    const movie_model* model = movie ? model_of(movie) : nullptr;
    if (!model) return invalidMovie;
    movie_time_scale = model->time_scale;
    bool any_sound = false;
    std::set<int16_t> groups_playing;
    const int32_t count = GetMovieTrackCount(movie);
    for (int32_t i = 1; i <= count; ++i) {
        const Track track = GetMovieIndTrack(movie, i);
        const track_model* tm = track ? model_of(track) : nullptr;
        if (!tm || !tm->enabled || tm->media.handler_type != kSoundMediaType) continue;
        any_sound = true;
        // Of the enabled tracks of one alternate group, the first that can be
        // played is heard.
        if (tm->alternate_group != 0 && groups_playing.count(tm->alternate_group)) continue;
        const Media media = GetTrackMedia(track);
        if (!media) continue;
        media_reader reader = [media](uint32_t data_ref_index, uint64_t offset, uint64_t size,
                                      std::vector<uint8_t>& bytes) {
            return read_media_data(media, data_ref_index, offset, size, bytes);
        };
        sound_track_input input;
        std::string why;
        if (!sound_track_source::create(tm->media, std::move(reader), input.source, tm->id, &why)) {
            warn_left_out(*tm, why);
            continue;
        }
        input.track = *tm;
        if (tm->alternate_group != 0) groups_playing.insert(tm->alternate_group);
        out.push_back(std::move(input));
    }
    if (!out.empty()) return noErr;
    return any_sound ? kAudioConverterErr_FormatNotSupported : noSoundTrackInMovieErr;
}

}  // namespace qtrt::audio

#include "audio/movie_sound_tracks.h"

#include "audio/audio_constants.h"
#include "movie/movie_access.h"
#include "movie/movie_toolbox.h"

namespace qtrt::audio {
namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");

}  // namespace

OSStatus collect_sound_tracks(Movie movie, TimeScale& movie_time_scale, std::vector<sound_track_input>& out) {
    out.clear();
    const movie_model* model = movie ? model_of(movie) : nullptr;
    if (!model) return invalidMovie;
    movie_time_scale = model->time_scale;
    bool any_sound = false;
    const int32_t count = GetMovieTrackCount(movie);
    for (int32_t i = 1; i <= count; ++i) {
        const Track track = GetMovieIndTrack(movie, i);
        const track_model* tm = track ? model_of(track) : nullptr;
        if (!tm || !tm->enabled || tm->media.handler_type != kSoundMediaType) continue;
        any_sound = true;
        const Media media = GetTrackMedia(track);
        if (!media) continue;
        media_reader reader = [media](uint32_t data_ref_index, uint64_t offset, uint64_t size,
                                      std::vector<uint8_t>& bytes) {
            return read_media_data(media, data_ref_index, offset, size, bytes);
        };
        sound_track_input input;
        if (!sound_track_source::create(tm->media, std::move(reader), input.source)) continue;
        input.track = *tm;
        out.push_back(std::move(input));
    }
    if (!out.empty()) return noErr;
    return any_sound ? kAudioConverterErr_FormatNotSupported : noSoundTrackInMovieErr;
}

}  // namespace qtrt::audio

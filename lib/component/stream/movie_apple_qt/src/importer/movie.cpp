#include "importer/movie.h"

#include <memory>
#include <new>

#include "importer/config.h"
#include "importer/movie_source.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "importer/sound_format_check.h"
#include "importer/track.h"
#include "importer/track_audio.h"
#include "importer/track_video.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

constexpr OSType kSoundMediaType = qt_fourcc("soun");
constexpr long kPlayHintsHighQuality = 0x100;

// Whether the movie has a track of the characteristic whose media is video or
// sound and hands out its first sample description. The readers pick their
// own tracks; this only decides whether a reader is made.
bool has_track(Movie qt_movie, OSType characteristic) {
    for (long n = 1;; ++n) {
        Track t =
            GetMovieIndTrackType(qt_movie, n, characteristic, qtcode::kTrackByCharacteristic);
        if (!t) return false;
        Media media = GetTrackMedia(t);
        if (!media || GetMoviesError() != noErr) continue;
        OSType type = 0;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (GetMoviesError() != noErr) continue;
        if (type != qtcode::kVideoMediaType && type != kSoundMediaType) continue;
        owned_handle description(NewHandle(0));
        if (description)
            GetMediaSampleDescription(
                media, 1, reinterpret_cast<SampleDescriptionHandle>(description.get()));
        return true;
    }
}

}  // namespace

movie::movie() : m_movie(nullptr) {}

movie::~movie() { close(); }

void movie::close() {
    for (track* t : m_tracks) delete t;
    m_tracks.clear();
    if (m_movie) DisposeMovie(m_movie);
    m_movie = nullptr;
}

int movie::open() {
    close();
    m_movie = open_source_movie();
    if (!m_movie) return 1;
    SetMovieActive(m_movie, 1);
    SetMoviePlayHints(m_movie, kPlayHintsHighQuality, kPlayHintsHighQuality);
    if (!make_readers()) return 1;
    align_start_times();
    return 0;
}

bool movie::make_readers() {
    double frame_rate = 0.0;
    if (has_track(m_movie, qtcode::kVisualCharacteristic)) {
        std::unique_ptr<video_track> video(new (std::nothrow) video_track());
        if (video && video->open(m_movie) == track::status_ok) {
            frame_rate = video->frame_rate();
            m_tracks.push_back(video.release());
        }
    }
    if (has_track(m_movie, qtcode::kAudioCharacteristic)) {
        log_undecodable_sound(m_movie);
        std::unique_ptr<audio_track> audio(new (std::nothrow) audio_track());
        if (audio) {
            if (frame_rate > 0) audio->set_chunk_duration(1.0 / frame_rate);
            if (audio->open(m_movie) == track::status_ok) m_tracks.push_back(audio.release());
        }
    }
    return !m_tracks.empty();
}

// Every track is measured from the video track's first sync sample: video
// moves back by it, audio by it less the video's first edit.
void movie::align_start_times() {
    float sync_start = 0.0f;
    float edit_start = 0.0f;
    for (track* t : m_tracks) {
        if (t->kind() != track::kind_video) continue;
        sync_start = t->sync_start();
        edit_start = t->edit_start();
        break;
    }
    for (track* t : m_tracks) {
        if (t->kind() == track::kind_video) t->set_time_shift(-sync_start);
        if (t->kind() == track::kind_audio) t->set_time_shift(edit_start - sync_start);
    }
}

double movie::duration() const {
    if (!m_movie) return 0.0;
    return double(GetMovieDuration(m_movie)) / double(GetMovieTimeScale(m_movie));
}

int movie::apply_time_range() {
    if (!m_movie || m_tracks.empty()) return 1;
    const config& settings = config::instance();
    double start = settings.start_time();
    double end = settings.end_time();
    if (start > duration()) return range_start_after_end_of_movie;
    if (end < start) return range_end_before_start;
    for (track* t : m_tracks)
        if (t->seek(start, end) == track::status_failed) return 1;
    return 0;
}

int movie::step() {
    bool progress = false;
    for (track* t : m_tracks)
        if (t->is_enabled() && t->read() == track::status_ok) progress = true;
    return progress ? step_progress : step_exhausted;
}

}  // namespace ns_movie_apple_qt

#include "importer/movie.h"

#include <memory>
#include <new>
#include <string>

#include "importer/config.h"
#include "importer/failure_text.h"
#include "importer/log.h"
#include "importer/movie_source.h"
#include "importer/qt_constants.h"
#include "importer/qt_handle.h"
#include "importer/track.h"
#include "importer/track_audio.h"
#include "importer/track_video.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace ns_movie_apple_qt {

namespace {

constexpr long kPlayHintsHighQuality = 0x100;

// Whether the movie has a track of the characteristic whose media is video or
// sound and hands out its first sample description. The readers pick their
// own tracks; this only decides whether a reader is made.
bool has_track(Movie qt_movie, OSType characteristic) {
    for (long n = 1;; ++n) {
        Track t =
            GetMovieIndTrackType(qt_movie, n, characteristic, movieTrackCharacteristic);
        if (!t) return false;
        Media media = GetTrackMedia(t);
        if (!media || GetMoviesError() != noErr) continue;
        OSType type = 0;
        GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        if (GetMoviesError() != noErr) continue;
        if (type != VideoMediaType && type != SoundMediaType) continue;
        owned_handle description(NewHandle(0));
        if (description)
            GetMediaSampleDescription(
                media, 1, reinterpret_cast<SampleDescriptionHandle>(description.get()));
        return true;
    }
}

void log_error(const std::string& text) { log::instance().error(0, 0, "%s", text.c_str()); }

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
    OSErr error = noErr;
    m_movie = open_source_movie(error);
    if (!m_movie) {
        report_open_failure(error);
        return 1;
    }
    SetMovieActive(m_movie, 1);
    SetMoviePlayHints(m_movie, kPlayHintsHighQuality, kPlayHintsHighQuality);
    if (!make_readers()) {
        report_no_readers();
        return 1;
    }
    align_start_times();
    return 0;
}

void movie::report_open_failure(OSErr error) const {
    const std::string name = source_name();
    if (error == noErr) {
        const long version = quicktime_version();
        if (version < qtcode::kMinimumQuickTimeVersion)
            log_error("cannot open '" + name + "': it needs QuickTime 7.0 or later (found " +
                      kolmbase::string_with_format("%lx", version) + ")");
        else
            log_error("cannot open '" + name + "': QuickTime is not given a location for it");
        return;
    }
    std::string cause;
    switch (error) {
    case noMovieFound: cause = "no movie atom"; break;
    case invalidMovie: cause = "its movie atom is damaged"; break;
    case couldNotResolveDataRef:
    case fnfErr: cause = "the file cannot be found"; break;
    default: cause = "QuickTime cannot open it"; break;
    }
    log_error("cannot open '" + name + "': " + cause + " (" + quicktime_error_text(error) + ")");
}

void movie::report_no_readers() const {
    std::string types;
    bool video_or_sound = false;
    for (long n = 1; n <= GetMovieTrackCount(m_movie); ++n) {
        Media media = GetTrackMedia(GetMovieIndTrack(m_movie, n));
        OSType type = 0;
        if (media) GetMediaHandlerDescription(media, &type, nullptr, nullptr);
        video_or_sound |= type == VideoMediaType || type == SoundMediaType;
        types += (types.empty() ? "'" : ", '") + kolmbase::string_with_fourcc(type) + "'";
    }
    log_error("'" + source_name() + "' has no video or sound track" +
              (video_or_sound ? " that can be read" : "") + " (tracks: " +
              (types.empty() ? std::string("none") : types) + ")");
}

bool movie::make_readers() {
    double frame_rate = 0.0;
    if (has_track(m_movie, VisualMediaCharacteristic)) {
        std::unique_ptr<video_track> video(new (std::nothrow) video_track());
        if (video && video->open(m_movie) == track::status_ok) {
            frame_rate = video->frame_rate();
            m_tracks.push_back(video.release());
        }
    }
    if (has_track(m_movie, AudioMediaCharacteristic)) {
        std::unique_ptr<audio_track> audio(new (std::nothrow) audio_track());
        if (audio) {
            if (frame_rate > 0) audio->set_chunk_duration(1.0 / frame_rate);
            if (audio->open(m_movie) == track::status_ok) m_tracks.push_back(audio.release());
        }
    }
    return !m_tracks.empty();
}

// Every track is measured from the video track's first sync sample: video
// frames carry media times less it. Sound comes on the movie's time line, on
// which the video's first shown media time lies where its first edit that
// shows media starts (after any empty edits): sound moves by the difference.
void movie::align_start_times() {
    float sync_start = 0.0f;
    float shown_media_start = 0.0f;
    float shown_track_start = 0.0f;
    for (track* t : m_tracks) {
        if (t->kind() != track::kind_video) continue;
        sync_start = t->sync_start();
        shown_media_start = t->shown_media_start();
        shown_track_start = t->shown_track_start();
        break;
    }
    for (track* t : m_tracks) {
        if (t->kind() == track::kind_video) t->set_time_shift(-sync_start);
        if (t->kind() != track::kind_audio) continue;
        // The sound starts at movie time 0, wherever that lands.
        t->set_time_shift(shown_media_start - shown_track_start - sync_start);
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

#include "audio/audio_extraction.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "audio/audio_constants.h"
#include "audio/extraction_session.h"
#include "audio/fill_ahead.h"
#include "audio/movie_sound_tracks.h"

namespace qtrt {
namespace {

using audio::extraction_session;
using audio::fill_ahead;

// A session and, when its fills may run on another thread (every track read
// straight from the movie's file), the filling ahead of its client.
struct extraction {
    extraction(TimeScale scale, std::vector<audio::sound_track_input> tracks) : session(scale, std::move(tracks)) {
        if (session.fills_on_any_thread()) ahead = std::make_unique<fill_ahead>(session);
    }
    extraction_session session;
    std::unique_ptr<fill_ahead> ahead;  // destroyed first: its thread fills the session
};

// Live sessions, so that a stale or foreign reference is refused instead of
// followed.
std::mutex& sessions_mutex() {
    static std::mutex m;
    return m;
}

std::set<extraction*>& sessions() {
    static std::set<extraction*> s;
    return s;
}

extraction* session_of(MovieAudioExtractionRef ref) {
    auto* s = reinterpret_cast<extraction*>(ref);
    std::lock_guard<std::mutex> lock(sessions_mutex());
    return sessions().count(s) ? s : nullptr;
}

template <typename T>
OSStatus copy_out(const T& value, ByteCount size, void* destination, ByteCount* size_used) {
    if (!destination || size < sizeof(T)) return audio::kQTPropertyBadValueSizeErr;
    std::memcpy(destination, &value, sizeof(T));
    if (size_used) *size_used = sizeof(T);
    return noErr;
}

template <typename T>
bool copy_in(const void* value, ByteCount size, T& out) {
    if (!value || size < sizeof(T)) return false;
    std::memcpy(&out, value, sizeof(T));
    return true;
}

OSStatus set_property(extraction& e, QTPropertyClass prop_class, QTPropertyID prop_id,
                      ByteCount value_size, const void* value) {
    // A change starts from where the client's fills have reached.
    if (e.ahead) e.ahead->settle();
    extraction_session& s = e.session;
    if (prop_class == kQTPropertyClass_MovieAudioExtraction_Movie) {
        if (prop_id == kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete) {
            Boolean discrete = 0;
            if (!copy_in(value, value_size, discrete)) return audio::kQTPropertyBadValueSizeErr;
            s.set_discrete(discrete != 0);
            return noErr;
        }
        if (prop_id == kQTMovieAudioExtractionMoviePropertyID_CurrentTime) {
            TimeRecord time{};
            if (!copy_in(value, value_size, time)) return audio::kQTPropertyBadValueSizeErr;
            return s.set_current_time(time);
        }
    } else if (prop_class == kQTPropertyClass_MovieAudioExtraction_Audio &&
               prop_id == kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription) {
        AudioStreamBasicDescription asbd{};
        if (!copy_in(value, value_size, asbd)) return audio::kQTPropertyBadValueSizeErr;
        return s.set_description(asbd);
    }
    return audio::kQTPropertyNotSupportedErr;
}

}  // namespace

OSStatus MovieAudioExtractionBegin(Movie movie, uint32_t /*flags*/, MovieAudioExtractionRef* out_session) {
    if (!out_session) return paramErr;
    *out_session = nullptr;
    try {
        TimeScale scale = 0;
        std::vector<audio::sound_track_input> tracks;
        const OSStatus err = audio::collect_sound_tracks(movie, scale, tracks);
        if (err != noErr) return err;
        auto session = std::make_unique<extraction>(scale, std::move(tracks));
        std::lock_guard<std::mutex> lock(sessions_mutex());
        sessions().insert(session.get());
        *out_session = reinterpret_cast<MovieAudioExtractionRef>(session.release());
        return noErr;
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

OSStatus MovieAudioExtractionEnd(MovieAudioExtractionRef ref) {
    auto* s = reinterpret_cast<extraction*>(ref);
    {
        std::lock_guard<std::mutex> lock(sessions_mutex());
        if (!sessions().erase(s)) return paramErr;
    }
    delete s;
    return noErr;
}

OSStatus MovieAudioExtractionFillBuffer(MovieAudioExtractionRef ref, uint32_t* io_frames, AudioBufferList* io_data,
                                        uint32_t* out_flags) {
    extraction* e = session_of(ref);
    if (!e || !io_frames || !io_data) return paramErr;
    uint32_t flags = 0;
    OSStatus err = noErr;
    try {
        err = e->ahead ? e->ahead->fill(*io_frames, *io_data, flags) : e->session.fill(*io_frames, *io_data, flags);
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    if (err != noErr) *io_frames = 0;
    if (out_flags) *out_flags = flags;
    return err;
}

OSStatus MovieAudioExtractionGetProperty(MovieAudioExtractionRef ref, QTPropertyClass prop_class,
                                         QTPropertyID prop_id, ByteCount value_size, QTPropertyValuePtr value,
                                         ByteCount* size_used) {
    extraction* e = session_of(ref);
    if (!e) return paramErr;
    if (prop_class == kQTPropertyClass_MovieAudioExtraction_Movie) {
        if (prop_id == kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete)
            return copy_out(Boolean(e->session.discrete() ? 1 : 0), value_size, value, size_used);
        if (prop_id == kQTMovieAudioExtractionMoviePropertyID_CurrentTime)
            return copy_out(e->ahead ? e->ahead->current_time() : e->session.current_time(), value_size, value,
                            size_used);
    } else if (prop_class == kQTPropertyClass_MovieAudioExtraction_Audio &&
               prop_id == kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription) {
        return copy_out(e->session.description(), value_size, value, size_used);
    }
    return audio::kQTPropertyNotSupportedErr;
}

OSStatus MovieAudioExtractionSetProperty(MovieAudioExtractionRef ref, QTPropertyClass prop_class,
                                         QTPropertyID prop_id, ByteCount value_size, const void* value) {
    extraction* e = session_of(ref);
    if (!e) return paramErr;
    try {
        return set_property(*e, prop_class, prop_id, value_size, value);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

}  // namespace qtrt

// SetMediaDataRef: pointing a media's data reference somewhere else.
#include <new>

#include "datahandler/movie_from_data_handler.h"
#include "memory/memory_manager.h"
#include "movie/movie_objects.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

namespace {

// The movie's own (writable) model of the media.
media_model* writable_model(media_object& media) {
    for (track_model& track : media.track->movie->model.tracks) {
        if (&track.media == media.model) return &track.media;
    }
    return nullptr;
}

OSErr set_media_data_ref(Media theMedia, int16_t index, Handle dataRef, OSType dataRefType) {
    media_object* media = media_from(theMedia);
    if (!media) return invalidMedia;
    media_model* model = writable_model(*media);
    if (!model) return invalidMedia;
    if (index < 1 || size_t(index) > model->data_refs.size()) return badDataRefIndex;
    if (!is_valid_handle(dataRef)) return nilHandleErr;
    data_reference replacement;
    replacement.type = dataRefType;
    const Size size = GetHandleSize(dataRef);
    if (size > 0) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(*dataRef);
        replacement.data.assign(bytes, bytes + size);
    }
    model->data_refs[size_t(index) - 1] = std::move(replacement);
    // The handler opened for the old reference no longer serves this index.
    media->data.erase(uint32_t(index));
    return noErr;
}

}  // namespace

OSErr SetMediaDataRef(Media theMedia, int16_t index, Handle dataRef, OSType dataRefType) {
    OSErr err = noErr;
    try {
        err = set_media_data_ref(theMedia, index, dataRef, dataRefType);
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    set_movies_error(err);
    return err;
}

}  // namespace qtrt

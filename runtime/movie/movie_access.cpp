// The model behind live references, and reading a media's data through its
// data references.
#include "movie/movie_access.h"

#include <new>

#include "datahandler/data_reference_movies.h"
#include "movie/data_reference_path.h"
#include "movie/movie_objects.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

const movie_model* model_of(Movie movie) {
    movie_object* m = movie_from(movie);
    return m ? &m->model : nullptr;
}

const track_model* model_of(Track track) {
    track_object* t = track_from(track);
    return t ? t->model : nullptr;
}

const media_model* model_of(Media media) {
    media_object* m = media_from(media);
    return m ? m->model : nullptr;
}

bool media_is_live(Media media) { return media_from(media) != nullptr; }

Movie movie_of(Track track) {
    track_object* t = track_from(track);
    return t ? t->movie->reference() : nullptr;
}

Track track_of(Media media) {
    media_object* m = media_from(media);
    return m ? track_reference_of(m->track) : nullptr;
}

int64_t movie_current_time(Movie movie) {
    movie_object* m = movie_from(movie);
    return m ? m->current_time : 0;
}

namespace {

// The handler behind the media's data reference data_ref_index (from 1),
// opened on first use. Null with the reason otherwise.
data_handler* media_data_handler(Media media, uint32_t data_ref_index, OSErr& error) {
    error = noErr;
    media_object* m = media_from(media);
    if (!m) {
        error = invalidMedia;
        return nullptr;
    }
    const std::vector<data_reference>& refs = m->model->data_refs;
    if (data_ref_index == 0 || data_ref_index > refs.size()) {
        error = badDataRefIndex;
        return nullptr;
    }
    const data_reference& ref = refs[data_ref_index - 1];
    movie_object* movie = m->track->movie;
    if (ref.self_reference()) {
        error = movie->data ? noErr : couldNotResolveDataRef;
        return movie->data.get();
    }
    auto it = m->data.find(data_ref_index);
    if (it == m->data.end()) {
        // A data handler component serving the reference's type comes first;
        // without one, a reference naming a file is read from the file.
        std::shared_ptr<data_handler> handler = open_data_reference_handler(ref, error);
        if (!handler && error != cantFindHandler) return nullptr;
        std::string path;
        if (!handler && data_reference_path(ref, movie->path, path))
            handler = open_file_data_handler(path, error);
        if (!handler) {
            error = couldNotResolveDataRef;
            return nullptr;
        }
        error = noErr;
        it = m->data.emplace(data_ref_index, std::move(handler)).first;
    }
    return it->second.get();
}

}  // namespace

OSErr locate_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint64_t size) {
    OSErr err = noErr;
    data_handler* handler = media_data_handler(media, data_ref_index, err);
    if (!handler) return err;
    return handler->contains(offset, size);
}

OSErr read_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint32_t size,
                      void* destination) {
    OSErr err = noErr;
    data_handler* handler = media_data_handler(media, data_ref_index, err);
    return handler ? handler->read(offset, size, destination) : err;
}

OSErr read_data(data_handler& data, uint64_t offset, uint64_t size, std::vector<uint8_t>& bytes) {
    const OSErr err = data.contains(offset, size);
    if (err != noErr) return err;
    if (size > UINT32_MAX) return eofErr;
    try {
        bytes.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    return data.read(offset, uint32_t(size), bytes.data());
}

OSErr read_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint64_t size,
                      std::vector<uint8_t>& bytes) {
    OSErr err = noErr;
    data_handler* handler = media_data_handler(media, data_ref_index, err);
    return handler ? read_data(*handler, offset, size, bytes) : err;
}

std::shared_ptr<data_handler> media_data_for_any_thread(Media media) {
    media_object* m = media_from(media);
    if (!m || m->model->data_refs.empty()) return nullptr;
    for (const data_reference& ref : m->model->data_refs)
        if (!ref.self_reference()) return nullptr;
    const std::shared_ptr<data_handler>& data = m->track->movie->data;
    return data && data->concurrent_reads() ? data : nullptr;
}

}  // namespace qtrt

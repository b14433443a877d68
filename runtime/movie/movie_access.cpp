// The model behind live references, and reading a media's data through its
// data references.
#include "movie/movie_access.h"

#include "datahandler/data_reference_movies.h"
#include "movie/data_reference_path.h"
#include "movie/movie_errors.h"
#include "movie/movie_objects.h"

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

OSErr read_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint32_t size,
                      void* destination) {
    media_object* m = media_from(media);
    if (!m) return invalidMedia;
    const std::vector<data_reference>& refs = m->model->data_refs;
    if (data_ref_index == 0 || data_ref_index > refs.size()) return badDataRefIndex;
    const data_reference& ref = refs[data_ref_index - 1];
    movie_object* movie = m->track->movie;
    if (ref.self_reference()) return movie->data->read(offset, size, destination);
    auto it = m->data.find(data_ref_index);
    if (it == m->data.end()) {
        // A data handler component serving the reference's type comes first;
        // without one, a reference naming a file is read from the file.
        OSErr err = noErr;
        std::shared_ptr<data_handler> handler = open_data_reference_handler(ref, err);
        if (!handler && err != cantFindHandler) return err;
        std::string path;
        if (!handler && data_reference_path(ref, movie->path, path))
            handler = open_file_data_handler(path, err);
        if (!handler) return couldNotResolveDataRef;
        it = m->data.emplace(data_ref_index, std::move(handler)).first;
    }
    return it->second->read(offset, size, destination);
}

}  // namespace qtrt

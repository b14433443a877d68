// Opening a movie from its properties, disposing it, and the last error.
#include <algorithm>
#include <cstring>
#include <new>

#include "audio/sound_warning.h"
#include "cf/cf_url.h"
#include "components/component_manager.h"
#include "datahandler/data_reference_movies.h"
#include "movie/compressed_movie_atom.h"
#include "movie/movie_objects.h"
#include "movie/movie_open.h"
#include "movie/movie_parser.h"
#include "movie/movie_toolbox.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

constexpr QTPropertyID kQTMovieInstantiationPropertyID_AsyncOK = qt_fourcc("asok");

// The user-interaction and unresolved-reference answers change nothing: the
// runtime never asks the user anything. Asynchronous loading is not offered.
void accept_open_options(ItemCount count, QTNewMoviePropertyElement* properties) {
    for (ItemCount i = 0; i < count; ++i) {
        QTNewMoviePropertyElement& p = properties[i];
        if (p.propClass == kQTPropertyClass_NewMovieProperty ||
            (p.propClass == kQTPropertyClass_MovieInstantiation &&
             p.propID != kQTMovieInstantiationPropertyID_AsyncOK))
            p.propStatus = noErr;
    }
}

// The file-system path of the 'dloc'/'cfur' property; paramErr when there is
// no usable file URL among the properties.
OSErr data_location_path(ItemCount count, QTNewMoviePropertyElement* properties, std::string& path) {
    accept_open_options(count, properties);
    for (ItemCount i = 0; i < count; ++i) {
        QTNewMoviePropertyElement& p = properties[i];
        if (p.propClass != kQTPropertyClass_DataLocation || p.propID != kQTDataLocationPropertyID_CFURL)
            continue;
        if (p.propValueSize != sizeof(CFURLRef) || !p.propValueAddress ||
            !cf_url_file_path(*static_cast<CFURLRef*>(p.propValueAddress), path)) {
            p.propStatus = paramErr;
            return paramErr;
        }
        p.propStatus = noErr;
        return noErr;
    }
    return paramErr;
}

movie_object* build_movie(movie_model&& model, std::shared_ptr<data_handler> data,
                          const std::string& path) {
    auto movie = std::make_unique<movie_object>();
    movie->model = std::move(model);
    movie->data = std::move(data);
    movie->path = path;
    movie->time_base.movie = movie.get();
    for (const track_model& t : movie->model.tracks) {
        auto track = std::make_unique<track_object>();
        track->movie = movie.get();
        track->model = &t;
        track->media.track = track.get();
        track->media.model = &t.media;
        register_object(track_reference_of(track.get()), object_kind::track);
        register_object(media_reference_of(&track->media), object_kind::media);
        movie->tracks.push_back(std::move(track));
    }
    register_object(movie->reference(), object_kind::movie);
    return movie.release();
}

OSErr open_movie(std::shared_ptr<data_handler> data, const std::string& path, movie_object*& out) {
    std::vector<uint8_t> contents;
    OSErr err = read_movie_atom(*data, contents);
    if (err != noErr) return err;
    const std::string name = path.empty() ? std::string("movie") : "'" + path + "'";
    std::string why;
    err = expand_compressed_movie_atom(contents, why);
    if (err != noErr) {
        audio::sound_warning(name + ": " + why);
        return err;
    }
    movie_model model;
    std::string warning;
    err = parse_movie_atom(contents.data(), contents.size(), model, data.get(), &warning);
    if (err != noErr) return err;
    // Fragments that end early leave a movie that opens: the user learns
    // from this line why it holds less than the file.
    // The parse gives one line per fault.
    for (size_t start = 0, end = 0; start < warning.size(); start = end + 1) {
        end = std::min(warning.find('\n', start), warning.size());
        audio::sound_warning(name + ": " + warning.substr(start, end - start));
    }
    out = build_movie(std::move(model), std::move(data), path);
    return noErr;
}

}  // namespace

OSErr NewMovieFromProperties(ItemCount inputPropertyCount,
                             QTNewMoviePropertyElement* inputProperties,
                             ItemCount outputPropertyCount,
                             QTNewMoviePropertyElement* outputProperties, Movie* theMovie) {
    (void)outputPropertyCount;
    (void)outputProperties;
    if (!theMovie || (inputPropertyCount > 0 && !inputProperties)) {
        set_movies_error(paramErr);
        return paramErr;
    }
    *theMovie = nullptr;
    // A data location that is a data reference is opened through the data
    // handler component serving its type.
    if (const DataReferenceRecord* location =
            data_location_reference(inputPropertyCount, inputProperties)) {
        accept_open_options(inputPropertyCount, inputProperties);
        return new_movie_from_data_reference(*location, *theMovie);
    }
    std::string path;
    OSErr err = data_location_path(inputPropertyCount, inputProperties, path);
    if (err != noErr) {
        set_movies_error(err);
        return err;
    }
    std::shared_ptr<data_handler> data = open_file_data_handler(path, err);
    if (!data) {
        set_movies_error(couldNotResolveDataRef);
        return couldNotResolveDataRef;
    }
    return new_movie_from_data_handler(std::move(data), path, *theMovie);
}

OSErr new_movie_from_data_handler(std::shared_ptr<data_handler> data, const std::string& path,
                                  Movie& movie) {
    movie = nullptr;
    movie_object* object = nullptr;
    OSErr err = noErr;
    try {
        err = open_movie(std::move(data), path, object);
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    if (err == noErr) movie = object->reference();
    set_movies_error(err);
    return err;
}

void DisposeMovie(Movie theMovie) {
    movie_object* movie = movie_from(theMovie);
    if (!movie) {
        set_movies_error(invalidMovie);
        return;
    }
    unregister_object(movie->reference());
    for (auto& track : movie->tracks) {
        if (track->media.handler) close_component(track->media.handler);
        unregister_object(media_reference_of(&track->media));
        unregister_object(track_reference_of(track.get()));
    }
    delete_user_data(movie->user_data);
    delete movie;
    set_movies_error(noErr);
}

OSErr GetMoviesError() { return movies_error(); }

}  // namespace qtrt

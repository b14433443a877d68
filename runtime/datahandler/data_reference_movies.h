// Movies whose bytes come through data handler components, and the points
// where the movie area and this area meet.
#pragma once

#include <cstdint>
#include <memory>

#include "movie/data_handler.h"
#include "movie/model.h"
#include "quicktime/movies.h"

namespace qtrt {

// Called by the movie area.

// The data reference of the properties' data location 'dloc'/'dref' (its
// status set to noErr), or null when they name none.
const DataReferenceRecord* data_location_reference(ItemCount count,
                                                   QTNewMoviePropertyElement* properties);

// NewMovieFromProperties with that data location: opens an instance of the
// data handler registered for the reference's type, gives it the reference
// and asks it for the movie (DataHGetMovieWithFlags). A movie the handler
// leaves in its movie argument is taken whatever the handler answers; without
// one the movie atom is read through the instance. The movie keeps the
// instance open until it is disposed. Sets the Movie Toolbox's last error.
OSErr new_movie_from_data_reference(const DataReferenceRecord& location, Movie& movie);

// The handler for a media data reference that is not the movie's own file,
// when a registered data handler component serves its type; null (error
// cantFindHandler) when none does, so that the caller can look for a file.
std::shared_ptr<data_handler> open_data_reference_handler(const data_reference& ref,
                                                          OSErr& error);

}  // namespace qtrt

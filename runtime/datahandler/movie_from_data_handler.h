// The Movie Toolbox routines of this area, with QuickTime's public names and
// signatures.
#pragma once

#include <cstdint>

#include "quicktime/movies.h"

namespace qtrt {

// fRefNum is a data handler instance: the movie is read through it
// (DataHScheduleData64), and so is the movie's own file afterwards. A movie
// atom must start at fileOffset; the movie is built from the data's first
// movie atom. The instance stays its opener's.
OSErr NewMovieFromDataFork64(Movie* theMovie, int32_t fRefNum, const wide* fileOffset,
                             int16_t newMovieFlags, Boolean* dataRefWasChanged);

// Replaces the media's data reference at index (from 1); later reads of the
// media's samples that name it go through the new reference.
OSErr SetMediaDataRef(Media theMedia, int16_t index, Handle dataRef, OSType dataRefType);

}  // namespace qtrt

// Access to an open movie's model for the other areas of the runtime (movie
// audio extraction): the parsed model behind a Movie, Track or Media, and the
// reading of a media's data through its data reference.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "movie/data_handler.h"
#include "movie/model.h"
#include "quicktime/movies.h"

namespace qtrt {

// The model behind a live reference; null for anything else.
const movie_model* model_of(Movie movie);
const track_model* model_of(Track track);
const media_model* model_of(Media media);

// True while the media is live (its movie not disposed); safe from any thread.
bool media_is_live(Media media);

// The movie a track belongs to, and the track of a media; null when not live.
Movie movie_of(Track track);
Track track_of(Media media);

// The movie's current time (movie time scale), as SetMovieTimeValue left it.
int64_t movie_current_time(Movie movie);

// Reads size bytes at offset of the media's data reference data_ref_index
// (from 1), e.g. a sample's or a chunk's bytes as the sample table locates
// them. noErr, or the reason the bytes could not be read.
OSErr read_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint32_t size,
                      void* destination);

// noErr when size bytes at offset lie wholly inside the data of the media's
// data reference data_ref_index; eofErr when they do not, so that nothing is
// allocated for bytes a count from the file claims but the data cannot hold;
// otherwise the reason the data cannot be reached.
OSErr locate_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint64_t size);

// Reads size bytes at offset into bytes, sized to them only once they are
// found inside the data (locate_media_data).
OSErr read_media_data(Media media, uint32_t data_ref_index, uint64_t offset, uint64_t size,
                      std::vector<uint8_t>& bytes);

// The same read from the data itself: noErr, eofErr when the bytes do not
// lie wholly inside it (nothing allocated), or the reason the read failed.
OSErr read_data(data_handler& data, uint64_t offset, uint64_t size, std::vector<uint8_t>& bytes);

// The handler of the movie's own file when it holds all of the media's data
// and takes reads from several threads at once; else null. Reading through
// it needs no movie object: a reader of it may run beside calls on the movie
// and outlive it.
std::shared_ptr<data_handler> media_data_for_any_thread(Media media);

}  // namespace qtrt

// Movie audio extraction routines, with the signatures of the QuickTime 7 API.
#pragma once

#include "quicktime/audio_extraction.h"
#include "quicktime/movies.h"

namespace qtrt {

OSStatus MovieAudioExtractionBegin(Movie movie, uint32_t flags, MovieAudioExtractionRef* out_session);
OSStatus MovieAudioExtractionEnd(MovieAudioExtractionRef session);
OSStatus MovieAudioExtractionFillBuffer(MovieAudioExtractionRef session, uint32_t* io_frames,
                                        AudioBufferList* io_data, uint32_t* out_flags);
OSStatus MovieAudioExtractionGetProperty(MovieAudioExtractionRef session, QTPropertyClass prop_class,
                                         QTPropertyID prop_id, ByteCount value_size, QTPropertyValuePtr value,
                                         ByteCount* size_used);
OSStatus MovieAudioExtractionSetProperty(MovieAudioExtractionRef session, QTPropertyClass prop_class,
                                         QTPropertyID prop_id, ByteCount value_size, const void* value);

}  // namespace qtrt

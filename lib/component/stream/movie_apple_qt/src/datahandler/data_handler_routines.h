// The routines of the data handler, one per QuickTime call it answers. The
// entry routine calls each through CallComponentFunctionWithStorage: the
// instance storage first, then the call's parameters as QuickTime passes them.
#pragma once

#include "datahandler/data_handler_storage.h"
#include "quicktime/movies.h"

namespace datahandler {

// Result codes of the handlers beyond the shared ones.
constexpr ComponentResult readErr = -19;
constexpr ComponentResult eofErr = -39;
constexpr ComponentResult invalidDataRef = -2012;

// Component calls.
ComponentResult Open(storage* s, ComponentInstance self);
ComponentResult Close(storage* s, ComponentInstance self);
ComponentResult CanDo(storage* s, int16_t selector);
ComponentResult Version(storage* s);

// Data references.
ComponentResult SetDataRef(storage* s, Handle dataRef);
ComponentResult GetDataRef(storage* s, Handle* dataRef);
ComponentResult CompareDataRef(storage* s, Handle dataRef, Boolean* equal);
ComponentResult CanUseDataRef(storage* s, Handle dataRef, long* useFlags);
ComponentResult GetFileName(storage* s, unsigned char* name);
ComponentResult GetInfoFlags(storage* s, UInt32* flags);

// Reading.
ComponentResult OpenForRead(storage* s);
ComponentResult CloseForRead(storage* s);
ComponentResult GetFileSize64(storage* s, wide* size);
ComponentResult ScheduleData(storage* s, Ptr placeToPutData, long fileOffset, long dataSize,
                             long refCon, DataHSchedulePtr scheduleRec,
                             DataHCompletionUPP completionRtn);
ComponentResult ScheduleData64(storage* s, Ptr placeToPutData, const wide* fileOffset,
                               long dataSize, long refCon, DataHSchedulePtr scheduleRec,
                               DataHCompletionUPP completionRtn);

// Builds the movie from the stream's movie atom and points its media at data
// references of this handler. Answers badComponentSelector on every path; the
// movie, when one was built, is left in theMovie.
ComponentResult GetMovieWithFlags(storage* s, Movie* theMovie, int16_t* id, int16_t flags);

}  // namespace datahandler

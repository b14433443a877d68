// Resolving alias data references ('alis') of reference movies into URLs.
#pragma once

#include "datahandler/data_handler_storage.h"
#include "quicktime/core_foundation.h"
#include "quicktime/movie_constants.h"

namespace datahandler {

// The URL or path the alias stands for, as a new array (freed with delete[]),
// or null when the alias cannot be resolved.
char* resolve_reference(storage* s, Handle alias, int32_t method);

// Resolves the alias relative to base; on success the alias handle holds the
// resolved path as a zero-terminated string. The resolution needs the volume
// information of the alias, which this handler is never given, so every alias
// ends with couldNotResolveDataRef after two level-1 lines.
OSErr ResolveAlias(storage* s, Handle alias, CFURLRef base);

// A new CFURL for the URL of the instance's data reference; null when the
// stored handle does not parse.
CFURLRef url_from_data_ref(storage* s);

}  // namespace datahandler

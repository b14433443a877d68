// Where a data reference that is not the movie's own file points: the
// file-system path of a 'url ' (file URL, or a path relative to the movie's
// folder) or 'alis' (the file name an alias record holds, looked for in the
// movie's folder) reference.
#pragma once

#include <string>

#include "movie/model.h"

namespace qtrt {

// False when the reference names no file the runtime can look for.
bool data_reference_path(const data_reference& ref, const std::string& movie_path,
                         std::string& path);

}  // namespace qtrt

// The version this build of the module states (set by the build).
#include "core/runtime_build.h"

namespace qtrt {

const build_version k_build_version = {QTRT_GESTALT_QTIM, {QTRT_FILE_VERSION}};

}  // namespace qtrt

// The exceptions the importer's life-cycle operations throw: where they say
// they come from and the exact messages hosts see.
#pragma once

#include "lib/ruv/CException.h"

namespace apple_qt_errors {

// The importer's source file as its exceptions and reports name it.
extern const char* const kSourceFile;

// preflight without the data handler and with an empty input path.
Ruv::CException invalid_input_path();
// configure with a time range that cannot be applied, whatever the cause.
Ruv::CException start_time_exceeds_duration();
// runloop when an exported reader produced no frame in the whole run.
Ruv::CException no_frames_imported(const char* reader_name, int queue_index);

}  // namespace apple_qt_errors

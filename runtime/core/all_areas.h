// The routine tables of the runtime's areas.
#pragma once

#include "core/routine_table.h"

namespace qtrt {

extern const routine_table k_core_routines;
extern const routine_table k_memory_routines;
extern const routine_table k_cf_routines;
extern const routine_table k_components_routines;
extern const routine_table k_movie_routines;
extern const routine_table k_audio_routines;
extern const routine_table k_datahandler_routines;

}  // namespace qtrt

// The tables of every area, for a list of areas.
#define QTRT_ALL_AREAS                                                          \
    &qtrt::k_core_routines, &qtrt::k_memory_routines, &qtrt::k_cf_routines,     \
        &qtrt::k_components_routines, &qtrt::k_movie_routines, &qtrt::k_audio_routines, \
        &qtrt::k_datahandler_routines

// The routines of this area of the runtime, by selector.
#include "core/routine_table.h"
#include "datahandler/movie_from_data_handler.h"

namespace qtrt {

namespace {

const routine k_rows[] = {
    {0x201C9, reinterpret_cast<const void*>(&SetMediaDataRef)},
    {0x203B4, reinterpret_cast<const void*>(&NewMovieFromDataFork64)},
};

}  // namespace

extern const routine_table k_datahandler_routines;
const routine_table k_datahandler_routines = make_table(k_rows);

}  // namespace qtrt

#include "datahandler/register_data_handler.h"

#include "datahandler/data_handler_entry.h"
#include "datahandler/handle_data_ref.h"
#include "quicktime/movie_constants.h"
#include "quicktime/routines.h"

namespace {
constexpr OSType kManufacturer = qt_fourcc("VANT");
constexpr int16_t kRegisterGlobally = 1;
}  // namespace

void register_data_handler() {
    ComponentDescription description{DataHandlerType, datahandler::kDataHandlerSubType,
                                     kManufacturer, 0, 0};
    // A failed registration shows later, when no handler serves the reference.
    RegisterComponent(&description, &data_handler_entry, kRegisterGlobally, nullptr, nullptr,
                      nullptr);
}

#include "importer/sample_bound.h"

#include "datahandler/CMDataRef.h"
#include "datahandler/handle_data_ref.h"
#include "importer/qt_handle.h"

namespace ns_movie_apple_qt {

bool sample_size_possible(Media media, Handle description, uint32_t size) {
    if (!description || GetHandleSize(description) < Size(sizeof(SampleDescription))) return true;
    const int16_t index = reinterpret_cast<const SampleDescription*>(*description)->dataRefIndex;
    Handle found = nullptr;
    OSType type = 0;
    long attributes = 0;
    if (GetMediaDataRef(media, index, &found, &type, &attributes) != noErr) return true;
    owned_handle reference(found);
    if (type != datahandler::kDataHandlerSubType) return true;
    CMDataRef* data = data_ref_from_handle(reference.get());
    return data != nullptr && data->size() >= int64_t(size);
}

}  // namespace ns_movie_apple_qt

#include "importer/sample_bound.h"

#include "datahandler/CMDataRef.h"
#include "datahandler/handle_data_ref.h"
#include "importer/qt_handle.h"

namespace ns_movie_apple_qt {

namespace {

constexpr int64_t kUnbounded = -1;
constexpr int64_t kNoLiveReference = -2;

int64_t reference_size(Media media, int16_t index) {
    Handle found = nullptr;
    OSType type = 0;
    long attributes = 0;
    if (GetMediaDataRef(media, index, &found, &type, &attributes) != noErr) return kUnbounded;
    owned_handle reference(found);
    if (type != datahandler::kDataHandlerSubType) return kUnbounded;
    CMDataRef* data = data_ref_from_handle(reference.get());
    return data ? data->size() : kNoLiveReference;
}

}  // namespace

bool sample_bound::possible(Media media, Handle description, uint32_t size) {
    if (!description || GetHandleSize(description) < Size(sizeof(SampleDescription))) return true;
    const int16_t index = reinterpret_cast<const SampleDescription*>(*description)->dataRefIndex;
    int64_t bound = kUnbounded;
    bool known = false;
    for (const auto& entry : m_sizes)
        if (entry.first == index) {
            bound = entry.second;
            known = true;
            break;
        }
    if (!known) {
        bound = reference_size(media, index);
        m_sizes.emplace_back(index, bound);
    }
    if (bound == kUnbounded) return true;
    return bound >= 0 && bound >= int64_t(size);
}

}  // namespace ns_movie_apple_qt

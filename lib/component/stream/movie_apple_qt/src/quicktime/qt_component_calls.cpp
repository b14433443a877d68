// Component routines called through a component instance: each builds the
// parameter record (flags 0, the parameter byte count, the routine's "what"
// code, the parameters as 32-bit words in call order) and sends it with the
// instance to the component-call operation.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "quicktime/routines.h"

namespace {

struct record_row {
    int16_t what;
    uint8_t bytes;
};

#define QTB_RECORD_ROW_record(name, what, bytes) constexpr record_row k_##name{what, bytes};
#define QTB_RECORD_ROW_direct(name, what, bytes)
#define QTB_RECORD_ROW_forwarded(name, what, bytes)
#define X(selector, name, form, result, gate, what, bytes) QTB_RECORD_ROW_##form(name, what, bytes)
#include "quicktime/qt_operations.def"
QT_OPERATIONS(X)
#undef X

template <size_t N>
struct parameter_record {
    uint8_t flags;
    uint8_t paramSize;
    int16_t what;
    int32_t params[N];
};
static_assert(offsetof(parameter_record<1>, params) == offsetof(ComponentParameters, params),
              "record layout differs from ComponentParameters");

template <typename T>
int32_t to_word(T value) {
    if constexpr (std::is_pointer<T>::value) {
        return int32_t(reinterpret_cast<intptr_t>(value));
    } else {
        static_assert(sizeof(T) <= sizeof(int32_t), "a record word is 32 bits");
        return int32_t(value);
    }
}

template <const record_row& row, typename... Params>
ComponentResult send_record(ComponentInstance instance, Params... params) {
    static_assert(row.bytes == sizeof...(Params) * sizeof(int32_t),
                  "parameter byte count differs from the parameters");
    parameter_record<sizeof...(Params)> record{0, row.bytes, row.what, {to_word(params)...}};
    return CallComponent(instance, reinterpret_cast<ComponentParameters*>(&record));
}

}  // namespace

ComponentResult MediaHasCharacteristic(MediaHandler mh, OSType characteristic, Boolean* hasIt) {
    return send_record<k_MediaHasCharacteristic>(mh, characteristic, hasIt);
}

ComponentResult MediaGetPublicInfo(MediaHandler mh, OSType infoSelector, void* infoDataPtr,
                                   Size* ioDataSize) {
    return send_record<k_MediaGetPublicInfo>(mh, infoSelector, infoDataPtr, ioDataSize);
}

ComponentResult TCGetCurrentTimeCode(MediaHandler mh, long* frameNum, TimeCodeDef* tcdef,
                                     TimeCodeRecord* tcrec, UserData* srcRefH) {
    return send_record<k_TCGetCurrentTimeCode>(mh, frameNum, tcdef, tcrec, srcRefH);
}

ComponentResult DataHScheduleData64(DataHandler dh, Ptr placeToPutDataPtr, const wide* fileOffset,
                                    long dataSize, long refCon, DataHSchedulePtr scheduleRec,
                                    DataHCompletionUPP completionRtn) {
    return send_record<k_DataHScheduleData64>(dh, placeToPutDataPtr, fileOffset, dataSize, refCon,
                                              scheduleRec, completionRtn);
}

ComponentResult DataHGetFileSize64(DataHandler dh, wide* fileSize) {
    return send_record<k_DataHGetFileSize64>(dh, fileSize);
}

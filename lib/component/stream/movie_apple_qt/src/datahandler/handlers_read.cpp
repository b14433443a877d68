// The data handler's reading calls. Every read is synchronous: it completes,
// and its completion routine runs, before the call returns. The stream behind
// a data reference is already open, so opening and closing for read only log.
#include <cstdint>

#include "datahandler/CMDataRef.h"
#include "datahandler/data_handler_routines.h"
#include "lib/kolmbase/ds_og.h"

namespace datahandler {

namespace {

constexpr ComponentResult invalidDataRef = -2012;
constexpr ComponentResult readErr = -19;

int64_t wide_value(const wide& w) { return int64_t(uint64_t(uint32_t(w.hi)) << 32 | w.lo); }

// The stored data reference, trying OpenForRead once when the handle does not
// parse (opened tells that it ran and succeeded). Null with result set: the
// negative OpenForRead result, or -50 when the reference still does not parse.
CMDataRef* data_ref_for_read(storage* s, ComponentResult& result, bool& opened) {
    opened = false;
    CMDataRef* ref = stored_data_ref(s);
    if (ref != nullptr) return ref;
    result = OpenForRead(s);
    if (result < 0) return nullptr;
    opened = true;
    ref = stored_data_ref(s);
    if (ref == nullptr) result = paramErr;
    return ref;
}

ComponentResult schedule_read(storage* s, Ptr placeToPutData, int64_t offset, long dataSize,
                              long refCon, DataHSchedulePtr scheduleRec,
                              DataHCompletionUPP completionRtn) {
    ComponentResult status = noErr;
    if (dataSize == 0) {
        kolmbase::ds_og::print(1, "<datah> ScheduleData64: Wanted to read 0 bytes at offset %lld\n",
                               static_cast<long long>(offset));
        status = readErr;
    } else {
        ComponentResult result = noErr;
        bool opened = false;
        CMDataRef* ref = data_ref_for_read(s, result, opened);
        if (ref == nullptr && opened) {
            return paramErr;  // still no reference after OpenForRead
        } else if (ref == nullptr) {
            status = result;
        } else if (ref->seek(offset, 0) < 0) {
            status = readErr;
        } else {
            // The count read is not examined: a short read leaves the status.
            ref->read(reinterpret_cast<unsigned char*>(placeToPutData), int64_t(dataSize));
        }
    }
    if (scheduleRec != nullptr && completionRtn != nullptr) {
        kolmbase::ds_og::print(6, "<datah>   completion\n");
        completionRtn(placeToPutData, refCon, OSErr(status));
    }
    return status;
}

}  // namespace

ComponentResult OpenForRead(storage* s) {
    kolmbase::ds_og::print(6, "<datah> OpenForRead\n");
    if (s == nullptr || s->data_ref == nullptr) return invalidDataRef;
    CMDataRef* ref = stored_data_ref(s);
    log_data_ref(ref);
    if (ref != nullptr) {
        kolmbase::ds_og::print(6, "<datah>   OK  OpenForRead (%p:%s)\n", static_cast<void*>(ref),
                               ref->get_url().c_str());
    }
    return noErr;
}

ComponentResult CloseForRead(storage*) {
    kolmbase::ds_og::print(6, "<datah> CloseForRead\n");
    return noErr;
}

ComponentResult GetFileSize64(storage* s, wide* size) {
    kolmbase::ds_og::print(6, "<datah> GetFileSize64\n");
    ComponentResult result = noErr;
    bool opened = false;
    CMDataRef* ref = data_ref_for_read(s, result, opened);
    if (ref == nullptr) return result;
    const int64_t bytes = ref->size();
    kolmbase::ds_og::print(6, "<datah>   %lld\n", static_cast<long long>(bytes));
    if (size != nullptr) {
        size->lo = uint32_t(uint64_t(bytes));
        size->hi = int32_t(uint64_t(bytes) >> 32);
    }
    return opened ? result : noErr;
}

ComponentResult ScheduleData64(storage* s, Ptr placeToPutData, const wide* fileOffset,
                               long dataSize, long refCon, DataHSchedulePtr scheduleRec,
                               DataHCompletionUPP completionRtn) {
    if (fileOffset == nullptr) return paramErr;
    return schedule_read(s, placeToPutData, wide_value(*fileOffset), dataSize, refCon, scheduleRec,
                         completionRtn);
}

ComponentResult ScheduleData(storage* s, Ptr placeToPutData, long fileOffset, long dataSize,
                             long refCon, DataHSchedulePtr scheduleRec,
                             DataHCompletionUPP completionRtn) {
    // A 32-bit offset counts from 0 to 4 GiB: widened without its sign.
    return schedule_read(s, placeToPutData, int64_t(uint32_t(fileOffset)), dataSize, refCon,
                         scheduleRec, completionRtn);
}

}  // namespace datahandler

// The data handler's reading calls. Every read is synchronous: it completes,
// and its completion routine runs, before the call returns. The stream behind
// a data reference is already open, so opening and closing for read only log.
#include <cstdint>

#include "datahandler/CMDataRef.h"
#include "datahandler/data_handler_routines.h"
#include "datahandler/wide_value.h"
#include "lib/kolmbase/ds_og.h"

namespace datahandler {

namespace {

// The stored data reference for a read. When the handle is missing or does not
// parse, OpenForRead runs first and the handle is parsed again; null then
// answers -50. OpenForRead fails only when there is no handle at all, and then
// there is still no reference: its -2012 never reaches the caller.
CMDataRef* data_ref_for_read(storage* s) {
    CMDataRef* ref = stored_data_ref(s);
    if (ref != nullptr) return ref;
    OpenForRead(s);
    return stored_data_ref(s);
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
        CMDataRef* ref = data_ref_for_read(s);
        // Without a reference nothing was scheduled: no completion either.
        if (ref == nullptr) return paramErr;
        if (ref->seek(offset, 0) < 0) {
            status = readErr;
        } else {
            // Fewer bytes than asked are an error: the rest of the buffer holds
            // nothing the file gave (a file cut short while it is read).
            const int64_t count =
                ref->read(reinterpret_cast<unsigned char*>(placeToPutData), int64_t(dataSize));
            if (count < 0) status = readErr;
            else if (count < int64_t(dataSize)) status = eofErr;
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
    log_data_ref_info(s);
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
    CMDataRef* ref = data_ref_for_read(s);
    if (ref == nullptr) return paramErr;
    const int64_t bytes = ref->size();
    kolmbase::ds_og::print(6, "<datah>   %lld\n", static_cast<long long>(bytes));
    if (size != nullptr) *size = to_wide(uint64_t(bytes));
    return noErr;
}

ComponentResult ScheduleData64(storage* s, Ptr placeToPutData, const wide* fileOffset,
                               long dataSize, long refCon, DataHSchedulePtr scheduleRec,
                               DataHCompletionUPP completionRtn) {
    if (fileOffset == nullptr) return paramErr;
    return schedule_read(s, placeToPutData, int64_t(from_wide(*fileOffset)), dataSize, refCon,
                         scheduleRec, completionRtn);
}

ComponentResult ScheduleData(storage* s, Ptr placeToPutData, long fileOffset, long dataSize,
                             long refCon, DataHSchedulePtr scheduleRec,
                             DataHCompletionUPP completionRtn) {
    // A 32-bit offset counts from 0 to 4 GiB: widened without its sign.
    return schedule_read(s, placeToPutData, int64_t(uint32_t(fileOffset)), dataSize, refCon,
                         scheduleRec, completionRtn);
}

}  // namespace datahandler

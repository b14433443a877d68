// The data handler's calls about the data reference it serves: setting,
// copying, comparing and checking it, its file name and its flags.
#include <cstring>
#include <string>

#include "datahandler/CMDataRef.h"
#include "datahandler/cf_text.h"
#include "datahandler/data_handler_routines.h"
#include "datahandler/handle_data_ref.h"
#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace datahandler {

namespace {
constexpr long kDataHCanRead = 1;
}  // namespace

ComponentResult SetDataRef(storage* s, Handle dataRef) {
    kolmbase::ds_og::print(6, "<datah> SetDataRef\n");
    if (s == nullptr) return paramErr;
    if (s->data_ref != nullptr) DisposeHandle(s->data_ref);
    // Keep a private copy: the caller keeps its own handle.
    s->data_ref = dataRef;
    const OSErr err = HandToHand(&s->data_ref);
    if (err != noErr) {
        s->data_ref = nullptr;
        kolmbase::ds_og::print(6, "<datah> SetDataRef failed, %ld\n", long(err));
    }
    log_data_ref_info(s);
    return err;
}

ComponentResult GetDataRef(storage* s, Handle* dataRef) {
    kolmbase::ds_og::print(6, "<datah> GetDataRef\n");
    if (s == nullptr || s->data_ref == nullptr) {
        kolmbase::ds_og::print(6, "<datah> GetDataRef failed. reference NULL\n");
        return invalidDataRef;
    }
    if (dataRef == nullptr) return paramErr;
    *dataRef = s->data_ref;
    log_data_ref_info(s);
    // The caller owns what it receives: a copy, never the instance's handle.
    const OSErr err = HandToHand(dataRef);
    if (err != noErr) {
        *dataRef = nullptr;
        kolmbase::ds_og::print(6, "<datah> GetDataRef failed, %ld\n", long(err));
    }
    return err;
}

ComponentResult CompareDataRef(storage* s, Handle dataRef, Boolean* equal) {
    kolmbase::ds_og::print(6, "<datah> CompareDataRef\n");
    if (equal != nullptr) *equal = false;
    if (s == nullptr || s->data_ref == nullptr || dataRef == nullptr) return invalidDataRef;
    const Size size = GetHandleSize(s->data_ref);
    if (size != GetHandleSize(dataRef)) return noErr;
    // The comparison looks at the bytes only.
    const bool same = size == 0 || (*s->data_ref != nullptr && *dataRef != nullptr &&
                                     std::memcmp(*s->data_ref, *dataRef, size_t(size)) == 0);
    if (same && equal != nullptr) *equal = true;
    return noErr;
}

ComponentResult CanUseDataRef(storage*, Handle dataRef, long* useFlags) {
    kolmbase::ds_og::print(6, "<datah> CanUseDataRef\n");
    if (data_ref_from_handle(dataRef) == nullptr) {
        kolmbase::ds_og::print(6, "<datah> CanUseDataRef failed\n");
        return paramErr;
    }
    if (useFlags != nullptr) *useFlags = kDataHCanRead;
    return noErr;
}

ComponentResult GetFileName(storage* s, unsigned char* name) {
    kolmbase::ds_og::print(6, "<datah> GetFileName\n");
    CMDataRef* ref = stored_data_ref(s);
    if (ref == nullptr || name == nullptr) return paramErr;
    const std::string text = kolmbase::path_file(ref->get_url(), '\\');
    unsigned char pascal[256];
    pascal_string_from_utf8(text, pascal);
    std::memcpy(name, pascal, sizeof pascal);
    const std::string body(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
    kolmbase::ds_og::print(6, "<datah>   %s\n", text.c_str());
    kolmbase::ds_og::print(6, "<datah>   Pascal: %d bytes '%s'\n", int(pascal[0]), body.c_str());
    return noErr;
}

ComponentResult GetInfoFlags(storage*, UInt32* flags) {
    kolmbase::ds_og::print(6, "<datah> GetInfoFlags\n");
    if (flags != nullptr) *flags = 0;
    return noErr;
}

}  // namespace datahandler

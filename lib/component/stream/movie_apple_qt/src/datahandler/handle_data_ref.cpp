// Building and reading the handle data reference of type 'zvh '.
#include "datahandler/handle_data_ref.h"

#include <cstring>
#include <string>

#include "datahandler/CMDataRef.h"
#include "datahandler/cf_text.h"
#include "datahandler/data_ref_registry.h"
#include "lib/kolmbase/bytestream.h"
#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "quicktime/routines.h"

namespace {

OSErr append(Handle h, const kolmbase::bytestream::wr& bytes) {
    return PtrAndHand(bytes.data().data(), h, long(bytes.size()));
}

}  // namespace

OSErr add_file_type_extension(Handle h, OSType fileType) {
    kolmbase::bytestream::wr atom;
    atom.u32be(12);
    atom.u32be(datahandler::kExtensionFileType);
    atom.u32be(fileType);
    return append(h, atom);
}

OSErr add_mime_type_extension(Handle h, const unsigned char* mimeType) {
    if (mimeType == nullptr) return paramErr;
    kolmbase::bytestream::wr header;
    header.u32be(uint32_t(mimeType[0]) + 9);
    header.u32be(datahandler::kExtensionMimeType);
    OSErr err = append(h, header);
    if (err != noErr) return err;
    return PtrAndHand(mimeType, h, long(mimeType[0]) + 1);
}

OSErr add_data_extension(Handle h, Ptr extensionData) {
    if (extensionData == nullptr) return paramErr;
    const Size size = GetPtrSize(extensionData);
    kolmbase::bytestream::wr header;
    header.u32be(uint32_t(size) + 8);
    header.u32be(datahandler::kExtensionData);
    OSErr err = append(h, header);
    if (err != noErr) return err;
    return PtrAndHand(extensionData, h, size);
}

Handle create_handle_data_ref(Handle dataHandle, const unsigned char* fileName, OSType fileType,
                              const unsigned char* mimeType, Ptr extensionData) {
    Handle h = nullptr;
    if (PtrToHand(&dataHandle, &h, sizeof dataHandle) != noErr || h == nullptr) return nullptr;
    static const unsigned char empty_name = 0;
    const unsigned char* name = fileName != nullptr ? fileName : &empty_name;
    OSErr err = PtrAndHand(name, h, long(name[0]) + 1);
    if (err == noErr && fileType != 0) err = add_file_type_extension(h, fileType);
    if (err == noErr && mimeType != nullptr) err = add_mime_type_extension(h, mimeType);
    // The 'data' extension belongs only to a reference whose handle slot is
    // empty.
    if (err == noErr && dataHandle == nullptr && extensionData != nullptr) {
        err = add_data_extension(h, extensionData);
    }
    if (err != noErr) {
        DisposeHandle(h);
        return nullptr;
    }
    return h;
}

Handle handle_from_data_ref(CMDataRef* ref) {
    if (ref == nullptr) return nullptr;
    const std::string name =
        kolmbase::path_file(kolmbase::url_path(ref->get_url(), true), '\\');
    unsigned char pascal[256];
    datahandler::pascal_string_from_utf8(name, pascal);
    Ptr block = NewPtrClear(sizeof ref);
    if (block == nullptr) return nullptr;
    std::memcpy(block, &ref, sizeof ref);
    Handle h = create_handle_data_ref(nullptr, pascal, 0, nullptr, block);
    DisposePtr(block);
    return h;
}

CMDataRef* data_ref_from_handle(Handle h) {
    if (h == nullptr) return nullptr;
    const Size size = GetHandleSize(h);
    if (size <= datahandler::kHandleDataRefOverhead || *h == nullptr) {
        kolmbase::ds_og::print(3, "<datah> Invalid dataref size (< 4)\n");
        return nullptr;
    }
    kolmbase::bytestream::rd reader(*h, size_t(size));
    uint8_t name_length = 0;
    reader.skip(4);
    reader.u8(name_length);
    if (name_length == 0) {
        kolmbase::ds_og::print(3, "<datah> Invalid filename size (<= 0)\n");
        return nullptr;
    }
    uint32_t atom_size = 0;
    uint32_t atom_type = 0;
    uint32_t address = 0;
    reader.skip(name_length);
    reader.u32be(atom_size);
    reader.u32be(atom_type);
    reader.u32le(address);
    // A name longer than the handle leaves no room for the 'data' atom.
    if (reader.failed()) {
        kolmbase::ds_og::print(3, "<datah> Invalid dataref size (< 4)\n");
        return nullptr;
    }
    if (atom_size != 12) {
        kolmbase::ds_og::print(3, "<datah> Invalid atom size (%u != 12)\n", atom_size);
        return nullptr;
    }
    if (atom_type != datahandler::kExtensionData) {
        kolmbase::ds_og::print(3, "<datah> Invalid atom type (!= 'data')\n");
        return nullptr;
    }
    // The address is a 32-bit value in the byte order of the (little-endian)
    // process that wrote it. Only a data reference this module made and that
    // is still alive is taken: anything else may come from a file.
    CMDataRef* ref = datahandler::live_data_ref_at(uintptr_t(address));
    if (ref == nullptr)
        kolmbase::ds_og::print(3, "<datah> Unknown data reference address (%08x)\n", address);
    return ref;
}

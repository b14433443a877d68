// The handle data reference of type 'zvh ': the bytes QuickTime keeps for a
// data reference served by the plug-in's data handler. Offsets from the start
// of the handle's contents, L the name length:
//
//   0     4  zero (the handle slot of QuickTime's handle data reference)
//   4     1  L, at least 1
//   5     L  the file name, UTF-8, no terminator
//   5+L   4  extension atom size, big-endian: 12
//   9+L   4  extension atom type 'data'
//   13+L  4  the address of the CMDataRef, native byte order
//
// The address means something only inside the process that built the handle.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

class CMDataRef;

namespace datahandler {

constexpr OSType kDataHandlerSubType = qt_fourcc("zvh ");
constexpr OSType kExtensionFileType = qt_fourcc("ftyp");
constexpr OSType kExtensionMimeType = qt_fourcc("mime");
constexpr OSType kExtensionData = qt_fourcc("data");

// The handle of a name of length L is this many bytes longer than L.
constexpr int32_t kHandleDataRefOverhead = 17;

}  // namespace datahandler

// A new handle data reference carrying ref (named after the last component of
// its URL's path); null for a null ref or when QuickTime cannot make it.
Handle handle_from_data_ref(CMDataRef* ref);

// The CMDataRef a handle data reference carries; null, after a level-3 line,
// when the handle does not have the layout above or its address is not that
// of a live data reference made by this module.
CMDataRef* data_ref_from_handle(Handle h);

// QuickTime's handle data reference: the handle slot, the Pascal-string name
// (null: an empty name), then the extensions: file type (when not 0), MIME
// type (when given) and, only for an empty handle slot, the 'data' extension
// with the bytes of extensionData. Null when an append fails.
Handle create_handle_data_ref(Handle dataHandle, const unsigned char* fileName, OSType fileType,
                              const unsigned char* mimeType, Ptr extensionData);

// Each appends one extension atom and answers the Memory Manager's result of
// its append; -50 for a null string or block.
OSErr add_file_type_extension(Handle h, OSType fileType);
OSErr add_mime_type_extension(Handle h, const unsigned char* mimeType);
OSErr add_data_extension(Handle h, Ptr extensionData);

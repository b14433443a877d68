// Host byte streams.
//
// RStream::getStream picks the stream for a URI by its scheme:
//  - a plain path (also "C:\..." and "\\server\share\...") or a "file:" URL:
//    a file stream with 64-bit offsets ("file:///C:/x" opens "C:/x",
//    "file://server/share/x" the UNC path "//server/share/x");
//  - "kolmfs:", "smb:", "cifs:", "ftp:": looked up in the mount table, which
//    maps URL prefixes to local folders; the rest of the URL after the longest
//    matching prefix names a file below that folder. The table comes from the
//    environment variable RUV_STREAM_MOUNTS, read when first needed, as
//    "prefix=folder" entries separated by ';' (for example
//    "kolmfs://store/media=/srv/media;smb://nas/share=/mnt/nas"), and can be
//    changed with setMount. A prefix covers whole path components
//    ("smb://nas/a" covers "smb://nas/a/x", not "smb://nas/ab"); %XX escapes in
//    the rest are decoded and a rest with a ".." component resolves to nothing;
//  - "mem:NAME": a memory stream registered with registerMemory.
// getStream always gives a stream object; whether the URI can be read shows
// only at open(), which answers non-zero then.
#pragma once

#include <cstdint>
#include <string>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/kolmbase/stream_mem.h"
#include "lib/ruv/CString.h"
#include "lib/ruv/RPtr.h"
#include "lib/ruv/RURI.h"

namespace Ruv {
namespace CM {

class CM_API CStreamP {
public:
    virtual ~CStreamP();

    // 0 when the stream is open and can be read; opening an open stream
    // answers 0 again.
    virtual int open() = 0;
    virtual void close() = 0;
    // origin 0: from the start, 1: from the current position, 2: from the
    // end. Answers the new position, or a negative value (position kept).
    virtual int64_t lseek(int64_t offset, unsigned char origin) = 0;
    // Length in bytes, or a negative value when unknown (not open).
    virtual int64_t size() = 0;
    virtual CString getURI() const = 0;

    // Reads up to length bytes at the current position and moves past them,
    // calling readSome until length bytes are read or the end is met; answers
    // the count read (0 at the end), or a negative value on failure.
    int64_t read(unsigned char* buffer, int64_t length);

protected:
    virtual int64_t readSome(unsigned char* buffer, int64_t length) = 0;
};

class CM_API RStream : public kolmbase::object_refcount, public CStreamP {
public:
    static RPtr<RStream> getStream(const RPtr<RURI>& uri, unsigned flags, unsigned mode);

    // Maps the URL prefix to a local folder (an empty folder removes it).
    static void setMount(const std::string& prefix, const std::string& folder);
    // The local path a mounted URL stands for, or "" when no mount matches.
    static std::string resolveMount(const std::string& url);

    // Makes "mem:NAME" name a memory stream with a copy of the given bytes.
    static void registerMemory(const std::string& name, const kolmbase::stream::mem& data);
    static void unregisterMemory(const std::string& name);

    // A stream over a copy of the bytes, under the URI given.
    static RPtr<RStream> createWithMemory(const kolmbase::stream::mem& data, const CString& uri);
};

}  // namespace CM
}  // namespace Ruv

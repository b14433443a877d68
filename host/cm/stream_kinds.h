// The kinds of stream RStream::getStream hands out; private to the cm module.
#pragma once

#include <memory>
#include <string>

#include "lib/cm/CMStream.h"

namespace Ruv {
namespace CM {
namespace streams {

// A local file, read with 64-bit offsets.
RPtr<RStream> file(const std::string& path, const CString& uri);
// Bytes in memory, shared between the streams over them.
RPtr<RStream> memory(std::shared_ptr<const kolmbase::stream::mem> data, const CString& uri);
// A memory stream registered under name, looked up at open().
RPtr<RStream> registered_memory(const std::string& name, const CString& uri);
// A stream whose open() fails, printing why at diagnostic level 1.
RPtr<RStream> unreadable(const CString& uri, const std::string& reason);

// The local path for a "file:" URL.
std::string local_path_of_file_url(const std::string& url);

}  // namespace streams
}  // namespace CM
}  // namespace Ruv

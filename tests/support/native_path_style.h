// The path style of the platform's own file names, as a program there hands
// them to CFURLCreateWithFileSystemPath: "C:\..." on Windows, "/..." elsewhere.
#pragma once

#include "quicktime/core_foundation.h"

namespace test_support {

#ifdef _WIN32
constexpr CFURLPathStyle kNativePathStyle = kCFURLWindowsPathStyle;
#else
constexpr CFURLPathStyle kNativePathStyle = kCFURLPOSIXPathStyle;
#endif

}  // namespace test_support

// Path helpers shared by the Win32 layer: Windows-style separators become
// POSIX ones, and the running program's folder.
#pragma once

#include <string>

namespace win32_posix {

// The path with every '\\' turned into '/'.
std::string to_posix_path(const char* path);

// The running program's full path; empty when it cannot be read.
std::string program_path();

// The folder of the running program, without a trailing separator; empty when
// it cannot be read.
std::string program_folder();

// Case-insensitive comparison of two ASCII file names, as Windows compares
// module names.
bool same_file_name(const std::string& a, const std::string& b);

// The last component of a path (after the last '/' or '\\').
std::string file_name_of(const std::string& path);

}  // namespace win32_posix

// The registry as a REGEDIT4 text file: sections "[HKEY_LOCAL_MACHINE\...]"
// and string value lines "name"="text" (with \\ and \" escapes), @="text" for
// the default value. Lines of other value types are skipped.
#pragma once

#include <map>
#include <string>

namespace win32_posix {

struct registry_key_data {
    std::string path;  // full path, "HKEY_LOCAL_MACHINE\..."
    std::map<std::string, std::string> values;  // REG_SZ texts by lower-case name
};

// Reads the key at path (case-insensitive) from the registry file. False when
// there is no file or no such key; a key exists when it has a section or a
// section below it does.
bool read_registry_key(const std::string& path, registry_key_data& key);

// The name as the registry compares it (ASCII lower case).
std::string registry_fold(const std::string& name);

}  // namespace win32_posix

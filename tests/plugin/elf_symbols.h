// The names an ELF shared object defines in its dynamic symbol table: what
// another module can find in it. Read with nm, from binutils.
#pragma once

#include <string>
#include <vector>

// false with the reason in error when nm lists no symbol of the file.
bool read_exported_symbols(const std::string& path, std::vector<std::string>& names,
                           std::string& error);

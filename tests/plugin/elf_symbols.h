// The names a 32-bit ELF shared object defines in its dynamic symbol table:
// what another module can find in it.
#pragma once

#include <string>
#include <vector>

// false with the reason in error when the file is not a readable ELF32
// object with a dynamic symbol table.
bool read_exported_symbols(const std::string& path, std::vector<std::string>& names,
                           std::string& error);

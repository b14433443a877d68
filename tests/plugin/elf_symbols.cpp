#include "elf_symbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Copies a structure out of the file's bytes; false past the end.
template <class T>
bool read_at(const std::vector<char>& bytes, uint64_t offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return true;
}

bool read_section(const std::vector<char>& bytes, const Elf32_Ehdr& header, unsigned index,
                  Elf32_Shdr& section) {
    if (index >= header.e_shnum) return false;
    return read_at(bytes, uint64_t(header.e_shoff) + uint64_t(index) * header.e_shentsize, section);
}

}  // namespace

bool read_exported_symbols(const std::string& path, std::vector<std::string>& names,
                           std::string& error) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Elf32_Ehdr header;
    if (!read_at(bytes, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS32 || header.e_shentsize != sizeof(Elf32_Shdr)) {
        error = path + " is no readable ELF32 object";
        return false;
    }
    error = path + ": bad dynamic symbol table";
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf32_Shdr symbols, strings;
        if (!read_section(bytes, header, i, symbols)) break;
        if (symbols.sh_type != SHT_DYNSYM) continue;
        if (!read_section(bytes, header, symbols.sh_link, strings) ||
            uint64_t(strings.sh_offset) + strings.sh_size > bytes.size())
            return false;
        for (uint64_t offset = 0; offset + sizeof(Elf32_Sym) <= symbols.sh_size;
             offset += sizeof(Elf32_Sym)) {
            Elf32_Sym symbol;
            if (!read_at(bytes, uint64_t(symbols.sh_offset) + offset, symbol)) return false;
            unsigned binding = ELF32_ST_BIND(symbol.st_info);
            bool visible = ELF32_ST_VISIBILITY(symbol.st_other) == STV_DEFAULT ||
                           ELF32_ST_VISIBILITY(symbol.st_other) == STV_PROTECTED;
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_name == 0 || !visible ||
                (binding != STB_GLOBAL && binding != STB_WEAK))
                continue;
            if (symbol.st_name >= strings.sh_size) return false;
            const char* begin = bytes.data() + strings.sh_offset + symbol.st_name;
            names.emplace_back(begin, strnlen(begin, strings.sh_size - symbol.st_name));
        }
        error.clear();
        return true;
    }
    error = path + " has no dynamic symbol table";
    return false;
}

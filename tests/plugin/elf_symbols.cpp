#include "elf_symbols.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdio>

bool read_exported_symbols(const std::string& path, std::vector<std::string>& names,
                           std::string& error) {
    // nm lists the dynamic symbol table, one "value type name" line a symbol;
    // a capital type is a global or weak one. Hidden symbols are not in it.
    const std::string command = "nm -D --defined-only '" + path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        error = "cannot run " + command;
        return false;
    }
    std::string output;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        output += line;
        char type = 0;
        char name[4096];
        if (std::sscanf(line, "%*s %c %4095s", &type, name) == 2 &&
            std::isupper(static_cast<unsigned char>(type)))
            names.push_back(name);
    }
    const int status = pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !names.empty()) return true;
    error = command + " listed no symbol: " + output;
    return false;
}

#include "registry_file.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace win32_posix {

std::string registry_fold(const std::string& name) {
    std::string folded(name);
    for (char& c : folded) c = char(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

namespace {

void trim(std::string& line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    line.erase(0, start);
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the
// closing quote. False when the closing quote is missing.
bool read_quoted(const std::string& text, size_t& pos, std::string& out) {
    out.clear();
    if (pos >= text.size() || text[pos] != '"') return false;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) c = text[++pos];
        out.push_back(c);
    }
    return false;
}

bool parse_value_line(const std::string& line, std::string& name, std::string& text) {
    size_t pos = 0;
    if (line[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!read_quoted(line, pos, name)) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    return read_quoted(line, pos, text);
}

}  // namespace

bool read_registry_key(const std::string& path, registry_key_data& key) {
    const char* file_name = std::getenv("RUV_REGISTRY");
    if (!file_name || !*file_name) return false;
    std::ifstream file(file_name);
    if (!file) return false;

    const std::string wanted = registry_fold(path);
    bool found = false;
    bool in_key = false;
    std::string line;
    while (std::getline(file, line)) {
        trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            std::string section = registry_fold(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            in_key = section == wanted;
            if (in_key || section.compare(0, wanted.size() + 1, wanted + "\\") == 0) found = true;
            continue;
        }
        if (!in_key) continue;
        std::string name;
        std::string text;
        if (parse_value_line(line, name, text)) key.values[registry_fold(name)] = text;
    }
    if (found) key.path = path;
    return found;
}

}  // namespace win32_posix

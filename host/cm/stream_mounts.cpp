// The mount table: URL prefixes on network schemes mapped to local folders.
#include <cstdlib>
#include <map>
#include <mutex>

#include "lib/cm/CMStream.h"
#include "lib/kolmbase/strings.h"

namespace Ruv {
namespace CM {
namespace {

// "smb://nas/share/" and "smb://nas/share" are one prefix; "ftp://" stays.
std::string normalized_prefix(std::string prefix) {
    while (prefix.size() > 1 && prefix.back() == '/' && prefix[prefix.size() - 2] != '/')
        prefix.pop_back();
    return prefix;
}

struct mount_table {
    std::mutex mutex;
    std::map<std::string, std::string> folders;  // by normalized prefix

    mount_table() {
        const char* text = std::getenv("RUV_STREAM_MOUNTS");
        if (!text) return;
        for (const auto& entry : kolmbase::strutil::kvmap_with_kvstr(text, ';', '='))
            if (!entry.first.empty() && !entry.second.empty())
                folders[normalized_prefix(entry.first)] = entry.second;
    }
};

mount_table& mounts() {
    static mount_table table;
    return table;
}

// The prefix matches whole path components: "smb://nas/a" covers
// "smb://nas/a/x" but not "smb://nas/ab".
bool covers(const std::string& prefix, const std::string& url) {
    if (url.compare(0, prefix.size(), prefix) != 0) return false;
    return url.size() == prefix.size() || prefix.back() == '/' || url[prefix.size()] == '/';
}

bool has_parent_step(const std::string& relative) {
    size_t begin = 0;
    while (begin <= relative.size()) {
        size_t end = relative.find_first_of("/\\", begin);
        if (end == std::string::npos) end = relative.size();
        if (relative.compare(begin, end - begin, "..") == 0 && end - begin == 2) return true;
        begin = end + 1;
    }
    return false;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
            hex_value(text[i + 2]) >= 0) {
            out += char(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

void RStream::setMount(const std::string& prefix, const std::string& folder) {
    if (prefix.empty()) return;
    mount_table& table = mounts();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (folder.empty())
        table.folders.erase(normalized_prefix(prefix));
    else
        table.folders[normalized_prefix(prefix)] = folder;
}

std::string RStream::resolveMount(const std::string& url) {
    std::string prefix, folder;
    {
        mount_table& table = mounts();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (const auto& entry : table.folders) {
            if (entry.first.size() > prefix.size() && covers(entry.first, url)) {
                prefix = entry.first;
                folder = entry.second;
            }
        }
    }
    if (prefix.empty()) return std::string();

    std::string rest = url.substr(prefix.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    rest = unescaped(rest);
    while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    if (has_parent_step(rest)) return std::string();
    if (rest.empty()) return folder;
    if (folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder + rest;
}

}  // namespace CM
}  // namespace Ruv

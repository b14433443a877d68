// Key/value splitting and substring replacement.
#include "lib/kolmbase/strings.h"

namespace kolmbase {
namespace strutil {

std::map<std::string, std::string> kvmap_with_kvstr(const std::string& text, char pair_separator,
                                                    char kv_separator) {
    std::map<std::string, std::string> map;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(pair_separator, begin);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(begin, end - begin);
        if (!pair.empty()) {
            const size_t cut = pair.find(kv_separator);
            if (cut == std::string::npos)
                map[pair] = std::string();
            else
                map[pair.substr(0, cut)] = pair.substr(cut + 1);
        }
        begin = end + 1;
    }
    return map;
}

std::string replace(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string out;
    size_t begin = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, begin)) {
        out.append(text, begin, at - begin);
        out += to;
        begin = at + from.size();
    }
    out.append(text, begin, std::string::npos);
    return out;
}

}  // namespace strutil
}  // namespace kolmbase

// Percent-escape conversions.
#include "cf/percent_escapes.h"

#include <cstring>
#include <vector>

#include "cf/text_encoding.h"

namespace qtrt {

namespace {

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

bool contains(const std::u16string& set, char32_t c) {
    for (size_t i = 0; i < set.size();) {
        size_t units;
        if (code_point_at(set, i, units) == c) {
            return true;
        }
        i += units;
    }
    return false;
}

// The number of bytes of the UTF-8 sequence a lead byte starts; 0 if none.
size_t utf8_length(uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        return 4;
    }
    return 0;
}

}  // namespace

bool is_legal_url_char(char32_t c) {
    if (c <= 0x20 || c >= 0x7F) {
        return false;
    }
    return std::strchr("\"%<>[\\]^`{|}", int(c)) == nullptr;
}

bool remove_percent_escapes(const std::u16string& in, const std::u16string& leave_escaped,
                            std::u16string& out) {
    out.clear();
    size_t i = 0;
    while (i < in.size()) {
        if (in[i] != u'%') {
            out.push_back(in[i++]);
            continue;
        }
        // One character: a UTF-8 sequence spread over consecutive escapes.
        std::vector<uint8_t> bytes;
        size_t start = i;
        size_t need = 1;
        while (bytes.size() < need) {
            if (i + 2 >= in.size() || in[i] != u'%') {
                return false;
            }
            int hi = hex_value(in[i + 1]);
            int lo = hex_value(in[i + 2]);
            if (hi < 0 || lo < 0) {
                return false;
            }
            bytes.push_back(uint8_t(hi << 4 | lo));
            i += 3;
            if (bytes.size() == 1) {
                need = utf8_length(bytes[0]);
                if (need == 0) {
                    return false;
                }
            }
        }
        std::u16string decoded;
        if (!decode_text(bytes.data(), bytes.size(), kCFStringEncodingUTF8, false,
                         decoded)) {
            return false;
        }
        size_t units;
        if (contains(leave_escaped, code_point_at(decoded, 0, units))) {
            out.append(in, start, i - start);
        } else {
            out += decoded;
        }
    }
    return true;
}

bool add_percent_escapes(const std::u16string& in, const std::u16string& leave_unescaped,
                         const std::u16string& escape_too, CFStringEncoding encoding,
                         std::u16string& out) {
    static const char k_hex[] = "0123456789ABCDEF";
    out.clear();
    for (size_t i = 0; i < in.size();) {
        size_t units;
        char32_t c = code_point_at(in, i, units);
        bool escape = is_legal_url_char(c) ? contains(escape_too, c)
                                           : !contains(leave_unescaped, c);
        if (!escape) {
            out.append(in, i, units);
            i += units;
            continue;
        }
        std::string bytes;
        if (!encode_char(c, encoding, bytes)) {
            return false;
        }
        for (char b : bytes) {
            uint8_t v = uint8_t(b);
            out.push_back(u'%');
            out.push_back(char16_t(k_hex[v >> 4]));
            out.push_back(char16_t(k_hex[v & 15]));
        }
        i += units;
    }
    return true;
}

}  // namespace qtrt

// Text encodings: UTF-8, UTF-16 in both byte orders, ASCII, ISO Latin 1,
// Mac OS Roman and Windows Latin 1.
#include "cf/text_encoding.h"

namespace qtrt {

namespace {

// Bytes 0x80-0xFF of Mac OS Roman.
const char16_t k_mac_roman[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// Bytes 0x80-0x9F of Windows Latin 1; the rest is ISO Latin 1. Unassigned
// bytes map to the C1 control of the same value, as Windows does.
const char16_t k_windows_latin1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool is_utf16(CFStringEncoding e) {
    return e == kCFStringEncodingUnicode || e == kCFStringEncodingUTF16BE ||
           e == kCFStringEncodingUTF16LE;
}

char16_t byte_to_unit(uint8_t b, CFStringEncoding e) {
    if (b < 0x80) {
        return b;
    }
    if (e == kCFStringEncodingMacRoman) {
        return k_mac_roman[b - 0x80];
    }
    if (e == kCFStringEncodingWindowsLatin1 && b < 0xA0) {
        return k_windows_latin1[b - 0x80];
    }
    return b;
}

void append_utf16(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out.push_back(char16_t(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(char16_t(0xD800 + (cp >> 10)));
    out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
}

bool decode_utf16(const uint8_t* bytes, size_t count, CFStringEncoding e,
                  bool external, std::u16string& out) {
    if (count % 2 != 0) {
        return false;
    }
    bool big = e == kCFStringEncodingUTF16BE;
    if (e == kCFStringEncodingUnicode) {
        uint16_t one = 1;
        big = *reinterpret_cast<uint8_t*>(&one) == 0;
        if (external && count >= 2) {
            if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
                big = true;
                bytes += 2;
                count -= 2;
            } else if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
                big = false;
                bytes += 2;
                count -= 2;
            }
        }
    }
    for (size_t i = 0; i < count; i += 2) {
        out.push_back(big ? char16_t(bytes[i] << 8 | bytes[i + 1])
                          : char16_t(bytes[i + 1] << 8 | bytes[i]));
    }
    return true;
}

bool decode_utf8(const uint8_t* bytes, size_t count, std::u16string& out) {
    size_t i = 0;
    while (i < count) {
        uint8_t b = bytes[i];
        size_t extra;
        char32_t cp;
        char32_t min;
        if (b < 0x80) {
            extra = 0, cp = b, min = 0;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (extra > count - i - 1) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = cp << 6 | (bytes[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        append_utf16(cp, out);
        i += extra + 1;
    }
    return true;
}

void append_utf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | cp >> 6));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | cp >> 12));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | cp >> 18));
        out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

bool encode_8bit(char32_t cp, CFStringEncoding e, std::string& out) {
    if (cp < 0x80) {
        out.push_back(char(cp));
        return true;
    }
    if (e == kCFStringEncodingASCII) {
        return false;
    }
    if (e == kCFStringEncodingISOLatin1) {
        if (cp > 0xFF) {
            return false;
        }
        out.push_back(char(cp));
        return true;
    }
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        if (byte_to_unit(uint8_t(b), e) == cp) {
            out.push_back(char(b));
            return true;
        }
    }
    return false;
}

}  // namespace

bool decode_text(const uint8_t* bytes, size_t count, CFStringEncoding encoding,
                 bool external, std::u16string& out) {
    out.clear();
    if (bytes == nullptr && count > 0) {
        return false;
    }
    if (is_utf16(encoding)) {
        return decode_utf16(bytes, count, encoding, external, out);
    }
    if (encoding == kCFStringEncodingUTF8) {
        if (external && count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
            bytes[2] == 0xBF) {
            bytes += 3;
            count -= 3;
        }
        return decode_utf8(bytes, count, out);
    }
    switch (encoding) {
    case kCFStringEncodingASCII:
        for (size_t i = 0; i < count; ++i) {
            if (bytes[i] >= 0x80) {
                return false;
            }
        }
        break;
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingWindowsLatin1:
    case kCFStringEncodingISOLatin1:
        break;
    default:
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        out.push_back(byte_to_unit(bytes[i], encoding));
    }
    return true;
}

bool encode_char(char32_t cp, CFStringEncoding encoding, std::string& out) {
    if (encoding == kCFStringEncodingUTF8) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            return false;
        }
        append_utf8(cp, out);
        return true;
    }
    if (is_utf16(encoding)) {
        std::u16string units;
        append_utf16(cp, units);
        bool big = encoding == kCFStringEncodingUTF16BE;
        if (encoding == kCFStringEncodingUnicode) {
            uint16_t one = 1;
            big = *reinterpret_cast<uint8_t*>(&one) == 0;
        }
        for (char16_t u : units) {
            char hi = char(u >> 8), lo = char(u & 0xFF);
            out.push_back(big ? hi : lo);
            out.push_back(big ? lo : hi);
        }
        return true;
    }
    switch (encoding) {
    case kCFStringEncodingASCII:
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingWindowsLatin1:
    case kCFStringEncodingISOLatin1:
        return encode_8bit(cp, encoding, out);
    default:
        return false;
    }
}

std::string byte_order_mark(CFStringEncoding encoding) {
    std::string bom;
    if (encoding == kCFStringEncodingUnicode) {
        encode_char(0xFEFF, encoding, bom);
    }
    return bom;
}

char32_t code_point_at(const std::u16string& text, size_t index, size_t& units) {
    char16_t u = text[index];
    units = 1;
    if (u >= 0xD800 && u <= 0xDBFF && index + 1 < text.size()) {
        char16_t low = text[index + 1];
        if (low >= 0xDC00 && low <= 0xDFFF) {
            units = 2;
            return 0x10000 + (char32_t(u - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return u;
}

std::string to_utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t units;
        char32_t cp = code_point_at(text, i, units);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        append_utf8(cp, out);
        i += units;
    }
    return out;
}

bool from_utf8(const std::string& text, std::u16string& out) {
    return decode_text(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                       kCFStringEncodingUTF8, false, out);
}

}  // namespace qtrt

#include "json_line.h"

#include <cmath>
#include <cstdio>

namespace ruv_import {

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(c));
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string json_fourcc(uint32_t code) {
    std::string characters;
    for (int shift = 24; shift >= 0; shift -= 8) characters += char((code >> shift) & 0xFF);
    return json_string(characters);
}

std::string json_number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", value);
    return text;
}

json_object& json_object::add(const char* key, const std::string& raw_json) {
    if (m_text.size() > 1) m_text += ',';
    m_text += json_string(key);
    m_text += ':';
    m_text += raw_json;
    return *this;
}

json_object& json_object::add_string(const char* key, const std::string& text) {
    return add(key, json_string(text));
}

json_object& json_object::add_fourcc(const char* key, uint32_t code) {
    return add(key, json_fourcc(code));
}

json_object& json_object::add_number(const char* key, double value) {
    return add(key, json_number(value));
}

json_object& json_object::add_integer(const char* key, int64_t value) {
    return add(key, std::to_string(value));
}

json_object& json_object::add_unsigned(const char* key, uint64_t value) {
    return add(key, std::to_string(value));
}

}  // namespace ruv_import

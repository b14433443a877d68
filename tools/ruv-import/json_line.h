// Building one JSON object as one line of text, for the --json output: keys
// in the order they are added, four-character codes as their characters,
// times with enough digits to tell microseconds apart.
#pragma once

#include <cstdint>
#include <string>

namespace ruv_import {

// The text as a JSON string, quotes included; bytes outside printable ASCII
// are written as \u00XX.
std::string json_string(const std::string& text);
// A four-character code as a JSON string of its four characters.
std::string json_fourcc(uint32_t code);
// A number of seconds (or any double) with 12 significant digits; NaN and
// infinities, which JSON lacks, as null.
std::string json_number(double value);

class json_object {
public:
    json_object& add(const char* key, const std::string& raw_json);
    json_object& add_string(const char* key, const std::string& text);
    json_object& add_fourcc(const char* key, uint32_t code);
    json_object& add_number(const char* key, double value);
    json_object& add_integer(const char* key, int64_t value);
    json_object& add_unsigned(const char* key, uint64_t value);

    // The object, closed.
    std::string text() const { return m_text + "}"; }

private:
    std::string m_text = "{";
};

}  // namespace ruv_import

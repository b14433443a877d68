// Just enough JSON to read ruv-import's output in tests: objects, arrays,
// strings (with \uXXXX escapes of single bytes), numbers and null.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace json_test {

struct value {
    double num = 0;
    std::string text;
    std::vector<value> items;
    std::map<std::string, value> members;
    // Keys in the order they were written.
    std::vector<std::string> order;

    // The member of that name; a null value when there is none.
    const value& operator[](const std::string& key) const;
    bool has(const std::string& key) const { return members.count(key) != 0; }
};

// false when the text is not one whole JSON value.
bool parse(const std::string& text, value& out);

}  // namespace json_test

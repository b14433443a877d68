// Key/value configuration with parsing, defaults and clamping.
#include "lib/cm/CMConfiguration.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "lib/kolmbase/strings.h"

namespace Ruv {
namespace CM {
namespace {

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Decimal or 0x hexadecimal, with an optional sign, the whole text.
bool parse_integer(const std::string& text, long long& value) {
    std::string digits = trimmed(text);
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    // strtoull would accept a second sign or blanks of its own.
    if (digits.empty() || !std::isxdigit((unsigned char)digits[0])) return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0') return false;
    const bool too_large = errno == ERANGE || magnitude > (unsigned long long)LLONG_MAX;
    if (too_large)
        value = negative ? LLONG_MIN : LLONG_MAX;
    else
        value = negative ? -(long long)magnitude : (long long)magnitude;
    return true;
}

bool parse_double(const std::string& text, double& value) {
    const std::string number = trimmed(text);
    if (number.empty()) return false;
    char* end = nullptr;
    value = std::strtod(number.c_str(), &end);
    return *end == '\0' && !std::isnan(value);
}

}  // namespace

RComponentConfiguration::RComponentConfiguration() = default;

RComponentConfiguration::~RComponentConfiguration() = default;

void RComponentConfiguration::set(const std::string& key, const std::string& value) {
    m_values[key] = value;
}

void RComponentConfiguration::remove(const std::string& key) { m_values.erase(key); }

bool RComponentConfiguration::has(const std::string& key) const {
    return m_values.count(key) != 0;
}

void RComponentConfiguration::setFromKVString(const std::string& text) {
    for (const auto& entry : kolmbase::strutil::kvmap_with_kvstr(text, ';', '='))
        if (!entry.first.empty()) m_values[entry.first] = entry.second;
}

int RComponentConfiguration::getInt(const char* key, int defaultValue, int lower,
                                    int upper) const {
    const auto found = m_values.find(key ? key : "");
    long long value = 0;
    if (found == m_values.end() || !parse_integer(found->second, value)) return defaultValue;
    if (value > upper) value = upper;
    if (value < lower) value = lower;
    return int(value);
}

double RComponentConfiguration::getFloat64(const char* key, double defaultValue, double lower,
                                           double upper) const {
    const auto found = m_values.find(key ? key : "");
    double value = 0;
    if (found == m_values.end() || !parse_double(found->second, value)) return defaultValue;
    if (value > upper) value = upper;
    if (value < lower) value = lower;
    return value;
}

RPtr<RString> RComponentConfiguration::getString(const char* key,
                                                 const char* defaultValue) const {
    const auto found = m_values.find(key ? key : "");
    if (found == m_values.end()) return RPtr<RString>(new RString(CString(defaultValue)));
    return RPtr<RString>(new RString(CString(found->second)));
}

RImporterConfiguration::RImporterConfiguration() = default;

RImporterConfiguration::~RImporterConfiguration() = default;

}  // namespace CM
}  // namespace Ruv

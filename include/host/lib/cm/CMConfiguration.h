// Per-component configuration: text values by key.
//
// The getters never fail: a key that is absent, or whose value does not parse
// as a whole (surrounding blanks allowed), gives the default; a parsed value
// outside [lower, upper] is clamped to the nearer bound. Integers are decimal
// or 0x-prefixed hexadecimal, with an optional sign; an integer beyond the
// 64-bit range clamps like any other out-of-bounds value. "nan" does not parse.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/CString.h"
#include "lib/ruv/RPtr.h"

namespace Ruv {
namespace CM {

class CM_API RComponentConfiguration : public kolmbase::object_refcount {
public:
    RComponentConfiguration();
    ~RComponentConfiguration() override;

    void set(const std::string& key, const std::string& value);
    void remove(const std::string& key);
    bool has(const std::string& key) const;
    // Adds every "key=value" of a list separated by ';' (later ones win).
    void setFromKVString(const std::string& text);

    int getInt(const char* key, int defaultValue, int lower, int upper) const;
    double getFloat64(const char* key, double defaultValue, double lower, double upper) const;
    RPtr<RString> getString(const char* key, const char* defaultValue) const;

    const std::map<std::string, std::string>& values() const { return m_values; }

private:
    std::map<std::string, std::string> m_values;
};

class CM_API RImporterConfiguration : public RComponentConfiguration {
public:
    RImporterConfiguration();
    ~RImporterConfiguration() override;
};

}  // namespace CM
}  // namespace Ruv

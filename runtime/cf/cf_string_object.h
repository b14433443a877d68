// The object behind a CFStringRef.
#pragma once

#include <string>

#include "cf/cf_object.h"

namespace qtrt {

class cf_string : public cf_object {
public:
    cf_string(std::u16string text, bool is_mutable);

    // Creates a string with one reference; null when memory runs out.
    static cf_string* create(std::u16string text, bool is_mutable);

    CFStringRef ref() const {
        return static_cast<CFStringRef>(static_cast<const void*>(
            static_cast<const cf_object*>(this)));
    }

    const std::u16string& text() const { return m_text; }
    bool is_mutable() const { return m_mutable; }
    void set_text(std::u16string text) { m_text = std::move(text); }

    // The text as UTF-8, kept for immutable strings so that a pointer to it
    // stays valid for the string's life.
    const std::string& utf8() const { return m_utf8; }
    bool ascii() const { return m_ascii; }

private:
    std::u16string m_text;
    bool m_mutable;
    std::string m_utf8;
    bool m_ascii = true;
};

// The live string behind ref, or null.
cf_string* as_string(CFTypeRef ref);

}  // namespace qtrt

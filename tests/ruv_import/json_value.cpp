#include "ruv_import/json_value.h"

#include <cctype>
#include <cstdlib>

namespace json_test {

namespace {

class parser {
public:
    explicit parser(const std::string& text) : m_text(text) {}

    bool whole(value& out) {
        if (!parse_value(out)) return false;
        skip_blanks();
        return m_pos == m_text.size();
    }

private:
    void skip_blanks() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    }
    bool take(char c) {
        skip_blanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool parse_string(std::string& out) {
        if (!take('"')) return false;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            // ruv-import escapes only the quote, the backslash, and other
            // bytes as \u00XX.
            if (m_pos < m_text.size() && (m_text[m_pos] == '"' || m_text[m_pos] == '\\')) {
                out += m_text[m_pos++];
                continue;
            }
            if (m_text.compare(m_pos, 1, "u") != 0 || m_pos + 5 > m_text.size()) return false;
            long code = std::strtol(m_text.substr(m_pos + 1, 4).c_str(), nullptr, 16);
            if (code > 0xFF) return false;
            out += char(code);
            m_pos += 5;
        }
        return false;
    }
    bool parse_value(value& out) {
        skip_blanks();
        if (m_pos >= m_text.size()) return false;
        char c = m_text[m_pos];
        if (c == '{') {
            ++m_pos;
            if (take('}')) return true;
            do {
                std::string key;
                skip_blanks();
                if (!parse_string(key) || !take(':')) return false;
                value member;
                if (!parse_value(member)) return false;
                out.order.push_back(key);
                out.members[key] = std::move(member);
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            ++m_pos;
            if (take(']')) return true;
            do {
                value item;
                if (!parse_value(item)) return false;
                out.items.push_back(std::move(item));
            } while (take(','));
            return take(']');
        }
        if (c == '"') return parse_string(out.text);
        // ruv-import writes no true or false; null for a number without a value.
        if (m_text.compare(m_pos, 4, "null") == 0) {
            m_pos += 4;
            return true;
        }
        const char* start = m_text.c_str() + m_pos;
        char* end = nullptr;
        out.num = std::strtod(start, &end);
        if (end == start) return false;
        m_pos += size_t(end - start);
        return true;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

}  // namespace

const value& value::operator[](const std::string& key) const {
    static const value none;
    auto it = members.find(key);
    return it == members.end() ? none : it->second;
}

bool parse(const std::string& text, value& out) {
    out = value();
    return parser(text).whole(out);
}

}  // namespace json_test

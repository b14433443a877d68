// A column of unsigned 64-bit values (chunk offsets, running sums of sample
// sizes) kept in 32 bits each while every value fits, as in every movie file
// under 4 GiB: the largest of a media's tables in half the memory. The first
// value that does not fit widens the whole column.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qtrt {

class offset_column {
public:
    size_t size() const { return m_wide ? m_wide_values.size() : m_narrow.size(); }
    bool empty() const { return size() == 0; }
    uint64_t operator[](size_t i) const { return m_wide ? m_wide_values[i] : m_narrow[i]; }
    uint64_t back() const { return (*this)[size() - 1]; }

    void clear() {
        m_narrow.clear();
        m_wide_values.clear();
        m_wide = false;
    }
    void resize(size_t count) {
        if (m_wide)
            m_wide_values.resize(count);
        else
            m_narrow.resize(count);
    }
    void set(size_t i, uint64_t value) {
        if (!m_wide && value > UINT32_MAX) widen();
        if (m_wide)
            m_wide_values[i] = value;
        else
            m_narrow[i] = uint32_t(value);
    }
    void push_back(uint64_t value) {
        if (!m_wide && value > UINT32_MAX) widen();
        if (m_wide)
            m_wide_values.push_back(value);
        else
            m_narrow.push_back(uint32_t(value));
    }

private:
    void widen() {
        m_wide_values.assign(m_narrow.begin(), m_narrow.end());
        std::vector<uint32_t>().swap(m_narrow);
        m_wide = true;
    }

    bool m_wide = false;
    std::vector<uint32_t> m_narrow;
    std::vector<uint64_t> m_wide_values;
};

}  // namespace qtrt

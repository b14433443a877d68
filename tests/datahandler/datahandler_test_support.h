// Shared pieces of the data handler tests: the diagnostic lines the code
// prints, data references over bytes in memory, and component calls sent to
// the data handler's entry routine as QuickTime sends them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "datahandler/CMStreamDataRef.h"
#include "quicktime/components.h"

namespace dh_test {

// Collects every line printed through the host's diagnostics (threshold 6)
// while it lives.
class printed_lines {
public:
    printed_lines();
    ~printed_lines();
    printed_lines(const printed_lines&) = delete;
    printed_lines& operator=(const printed_lines&) = delete;

    const std::vector<std::string>& lines() const { return m_lines; }
    // Lines printed at exactly this level.
    std::vector<std::string> at_level(int level) const;
    bool contains(const std::string& line) const;

private:
    static void collect(int level, const char* text, void* context);
    std::vector<std::string> m_lines;
    std::vector<int> m_levels;
    int m_previous_threshold;
};

// An opened memory stream under uri holding data.
Ruv::RPtr<Ruv::CM::RStream> memory_stream(const std::vector<uint8_t>& data, const std::string& uri);
// A stream data reference over such a stream (owned by the caller).
CMStreamDataRef* memory_data_ref(const std::vector<uint8_t>& data, const std::string& uri);

// Calls the data handler's entry with a parameter record holding what and the
// parameter words, as QuickTime's Component Manager does.
ComponentResult call_entry(void* storage, int16_t what, std::initializer_list<int32_t> params);

template <typename T>
int32_t word(T* pointer) {
    return int32_t(reinterpret_cast<intptr_t>(pointer));
}

// The bytes of a handle (empty for a null handle).
std::vector<uint8_t> handle_bytes(Handle h);
// A new handle holding bytes.
Handle handle_with(const std::vector<uint8_t>& bytes);

}  // namespace dh_test

#include "datahandler/datahandler_test_support.h"

#include <algorithm>

#include "datahandler/data_handler_entry.h"
#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/stream_mem.h"
#include "quicktime/routines.h"

namespace dh_test {

printed_lines::printed_lines() : m_previous_threshold(kolmbase::ds_og::threshold()) {
    kolmbase::ds_og::set_threshold(6);
    kolmbase::ds_og::set_sink(&printed_lines::collect, this);
}

printed_lines::~printed_lines() {
    kolmbase::ds_og::set_sink(nullptr, nullptr);
    kolmbase::ds_og::set_threshold(m_previous_threshold);
}

void printed_lines::collect(int level, const char* text, void* context) {
    auto* self = static_cast<printed_lines*>(context);
    self->m_lines.push_back(text);
    self->m_levels.push_back(level);
}

std::vector<std::string> printed_lines::at_level(int level) const {
    std::vector<std::string> found;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_levels[i] == level) found.push_back(m_lines[i]);
    }
    return found;
}

bool printed_lines::contains(const std::string& line) const {
    return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end();
}

Ruv::RPtr<Ruv::CM::RStream> memory_stream(const std::vector<uint8_t>& data, const std::string& uri) {
    Ruv::RPtr<Ruv::CM::RStream> stream =
        Ruv::CM::RStream::createWithMemory(kolmbase::stream::mem(data), Ruv::CString(uri));
    stream->open();
    return stream;
}

CMStreamDataRef* memory_data_ref(const std::vector<uint8_t>& data, const std::string& uri) {
    return new CMStreamDataRef(memory_stream(data, uri));
}

ComponentResult call_entry(void* storage, int16_t what, std::initializer_list<int32_t> params) {
    std::vector<int32_t> words(1 + params.size());
    auto* record = reinterpret_cast<ComponentParameters*>(words.data());
    record->flags = 0;
    record->paramSize = uint8_t(params.size() * 4);
    record->what = what;
    std::copy(params.begin(), params.end(), words.begin() + 1);
    return data_handler_entry(record, static_cast<Handle>(storage));
}

std::vector<uint8_t> handle_bytes(Handle h) {
    if (h == nullptr || *h == nullptr) return {};
    const auto* begin = reinterpret_cast<const uint8_t*>(*h);
    return std::vector<uint8_t>(begin, begin + GetHandleSize(h));
}

Handle handle_with(const std::vector<uint8_t>& bytes) {
    Handle h = nullptr;
    PtrToHand(bytes.data(), &h, long(bytes.size()));
    return h;
}

}  // namespace dh_test

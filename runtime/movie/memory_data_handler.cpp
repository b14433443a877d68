// The data handler over bytes held in memory.
#include <cstring>

#include "movie/data_handler.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

class memory_data_handler : public data_handler {
public:
    explicit memory_data_handler(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    OSErr read(uint64_t offset, uint32_t size, void* destination) override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) return eofErr;
        if (size) std::memcpy(destination, m_bytes.data() + offset, size);
        return noErr;
    }

    OSErr data_size(uint64_t& size) override {
        size = m_bytes.size();
        return noErr;
    }

    bool concurrent_reads() const override { return true; }

private:
    std::vector<uint8_t> m_bytes;
};

}  // namespace

std::shared_ptr<data_handler> make_memory_data_handler(std::vector<uint8_t> bytes) {
    return std::make_shared<memory_data_handler>(std::move(bytes));
}

}  // namespace qtrt

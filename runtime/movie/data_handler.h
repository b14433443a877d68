// The one path through which the runtime reads a movie's bytes: the movie atom
// as well as every sample. The runtime's file handler implements it; handlers
// that are components implement it too.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quicktime/mac_types.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

class data_handler {
public:
    virtual ~data_handler() = default;
    // Reads exactly size bytes at offset into destination; an error (for
    // example a read past the end of the data) when that is not possible.
    virtual OSErr read(uint64_t offset, uint32_t size, void* destination) = 0;
    // The size of the data in bytes.
    virtual OSErr data_size(uint64_t& size) = 0;
    // True when read and data_size may be called from several threads at
    // once (positioned reads, bytes in memory); a handler that seeks, or one
    // that is a component, is called from one thread at a time.
    virtual bool concurrent_reads() const { return false; }

    // noErr when the data holds size bytes at offset, else eofErr. The size
    // is asked again only for bytes past the size seen last: a file may grow
    // while it is open (a recording), and reading sample after sample then
    // asks once. A file cut short while open is found by the read that fails.
    OSErr contains(uint64_t offset, uint64_t size) {
        uint64_t known = m_size_seen.load(std::memory_order_relaxed);
        if (offset > known || size > known - offset) {
            const OSErr err = data_size(known);
            if (err != noErr) return err;
            m_size_seen.store(known, std::memory_order_relaxed);
        }
        return offset <= known && size <= known - offset ? OSErr(noErr) : OSErr(eofErr);
    }

private:
    std::atomic<uint64_t> m_size_seen{0};
};

// A handler over a file of the file system (64-bit offsets). Null, with the
// reason in `error`, when the file cannot be opened.
std::shared_ptr<data_handler> open_file_data_handler(const std::string& path, OSErr& error);

// A handler over bytes held in memory.
std::shared_ptr<data_handler> make_memory_data_handler(std::vector<uint8_t> bytes);

}  // namespace qtrt

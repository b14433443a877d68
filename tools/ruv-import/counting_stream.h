// The input stream ruv-import hands the importer: the host's stream for the
// movie, with a count of the bytes it has delivered, so that a user sees how
// much of the movie the importer read through it.
#pragma once

#include <atomic>
#include <cstdint>

#include "lib/cm/CMStream.h"

namespace ruv_import {

class counting_stream : public Ruv::CM::RStream {
public:
    explicit counting_stream(Ruv::RPtr<Ruv::CM::RStream> inner);

    int open() override;
    void close() override;
    int64_t lseek(int64_t offset, unsigned char origin) override;
    int64_t size() override;
    Ruv::CString getURI() const override;

    // Bytes every read so far has delivered.
    int64_t bytes_read() const { return m_bytes_read.load(); }

protected:
    int64_t readSome(unsigned char* buffer, int64_t length) override;

private:
    Ruv::RPtr<Ruv::CM::RStream> m_inner;
    std::atomic<int64_t> m_bytes_read{0};
};

}  // namespace ruv_import

#include "counting_stream.h"

#include <utility>

namespace ruv_import {

counting_stream::counting_stream(Ruv::RPtr<Ruv::CM::RStream> inner) : m_inner(std::move(inner)) {}

int counting_stream::open() { return m_inner->open(); }

void counting_stream::close() { m_inner->close(); }

int64_t counting_stream::lseek(int64_t offset, unsigned char origin) {
    return m_inner->lseek(offset, origin);
}

int64_t counting_stream::size() { return m_inner->size(); }

Ruv::CString counting_stream::getURI() const { return m_inner->getURI(); }

int64_t counting_stream::readSome(unsigned char* buffer, int64_t length) {
    const int64_t count = m_inner->read(buffer, length);
    if (count > 0) m_bytes_read += count;
    return count;
}

}  // namespace ruv_import

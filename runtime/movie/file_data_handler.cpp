// The data handler over a file of the file system.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "movie/data_handler.h"
#include "quicktime/movie_constants.h"

namespace qtrt {
namespace {

#ifdef _WIN32
bool seek_to(FILE* file, uint64_t offset) {
    return offset <= uint64_t(INT64_MAX) && _fseeki64(file, int64_t(offset), SEEK_SET) == 0;
}

// Windows reads through stdio.
class file_data_handler : public data_handler {
public:
    explicit file_data_handler(FILE* file) : m_file(file) {}
    ~file_data_handler() override { std::fclose(m_file); }
    file_data_handler(const file_data_handler&) = delete;
    file_data_handler& operator=(const file_data_handler&) = delete;

    OSErr read(uint64_t offset, uint32_t size, void* destination) override {
        if (size == 0) return noErr;
        if (!seek_to(m_file, offset)) return OSErr(readErr);
        if (std::fread(destination, 1, size, m_file) != size) {
            std::clearerr(m_file);
            return OSErr(eofErr);
        }
        return noErr;
    }

    // The file's size now: a file may grow or shrink while a movie is open
    // (a recording, a copy that is still arriving).
    OSErr data_size(uint64_t& size) override {
        struct _stat64 status;
        if (_fstat64(_fileno(m_file), &status) != 0) return OSErr(readErr);
        size = uint64_t(status.st_size);
        return noErr;
    }

private:
    FILE* m_file;
};
#else
// Each read is one positioned read straight into the caller's memory: no
// stdio buffer between the page cache and the sample, no seek.
class file_data_handler : public data_handler {
public:
    explicit file_data_handler(int fd) : m_fd(fd) {}
    ~file_data_handler() override { ::close(m_fd); }
    file_data_handler(const file_data_handler&) = delete;
    file_data_handler& operator=(const file_data_handler&) = delete;

    OSErr read(uint64_t offset, uint32_t size, void* destination) override {
        if (offset > uint64_t(INT64_MAX) - size) return OSErr(readErr);
        uint8_t* out = static_cast<uint8_t*>(destination);
        for (uint32_t done = 0; done < size;) {
            const ssize_t n = ::pread(m_fd, out + done, size - done, off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return OSErr(readErr);
            if (n == 0) return OSErr(eofErr);
            done += uint32_t(n);
        }
        return noErr;
    }

    // The file's size now: a file may grow or shrink while a movie is open
    // (a recording, a copy that is still arriving). One fstat, no seek.
    OSErr data_size(uint64_t& size) override {
        struct stat status;
        if (::fstat(m_fd, &status) != 0) return OSErr(readErr);
        size = uint64_t(status.st_size);
        return noErr;
    }

    bool concurrent_reads() const override { return true; }

private:
    int m_fd;
};
#endif

#ifdef _WIN32
// File-system paths are UTF-8 in the runtime; Windows opens files by UTF-16
// names.
std::wstring utf16_of(const std::string& utf8) {
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        const uint8_t lead = uint8_t(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k) c = c << 6 | (uint8_t(utf8[i + k]) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += wchar_t(0xD800 + (c >> 10));
            out += wchar_t(0xDC00 + (c & 0x3FF));
        } else {
            out += wchar_t(c);
        }
    }
    return out;
}
#endif

// Only a regular file: a device or a pipe named by a movie could block the
// open or every read, or never end.
std::shared_ptr<data_handler> open_regular_file(const std::string& path) {
#ifdef _WIN32
    const std::wstring name = utf16_of(path);
    struct _stat64 status;
    if (_wstat64(name.c_str(), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
    FILE* file = _wfopen(name.c_str(), L"rb");
    if (!file) return nullptr;
    return std::make_shared<file_data_handler>(file);
#else
    struct stat status;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    // Non-blocking, and checked again once open: the name may have been
    // replaced by a pipe in between. Reads of a regular file do not block
    // either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_shared<file_data_handler>(fd);
#endif
}

}  // namespace

std::shared_ptr<data_handler> open_file_data_handler(const std::string& path, OSErr& error) {
    std::shared_ptr<data_handler> handler = open_regular_file(path);
    error = handler ? OSErr(noErr) : OSErr(fnfErr);
    return handler;
}

}  // namespace qtrt

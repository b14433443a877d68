// The data handler over a file of the file system.
#include <sys/stat.h>

#include <cstdio>

#include "movie/data_handler.h"
#include "movie/movie_errors.h"

namespace qtrt {
namespace {

bool seek_to(FILE* file, uint64_t offset) {
    if (offset > uint64_t(INT64_MAX)) return false;
#ifdef _WIN32
    return _fseeki64(file, int64_t(offset), SEEK_SET) == 0;
#else
    return fseeko(file, off_t(offset), SEEK_SET) == 0;
#endif
}

bool tell(FILE* file, uint64_t& offset) {
#ifdef _WIN32
    int64_t pos = _ftelli64(file);
#else
    int64_t pos = int64_t(ftello(file));
#endif
    if (pos < 0) return false;
    offset = uint64_t(pos);
    return true;
}

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

    OSErr data_size(uint64_t& size) override {
#ifdef _WIN32
        if (_fseeki64(m_file, 0, SEEK_END) != 0) return readErr;
#else
        if (fseeko(m_file, 0, SEEK_END) != 0) return readErr;
#endif
        return tell(m_file, size) ? OSErr(noErr) : OSErr(readErr);
    }

private:
    FILE* m_file;
};

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
FILE* open_for_reading(const std::string& path) {
#ifdef _WIN32
    const std::wstring name = utf16_of(path);
    struct _stat64 status;
    if (_wstat64(name.c_str(), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
    return _wfopen(name.c_str(), L"rb");
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

std::shared_ptr<data_handler> open_file_data_handler(const std::string& path, OSErr& error) {
    FILE* file = open_for_reading(path);
    if (!file) {
        error = fnfErr;
        return nullptr;
    }
    error = noErr;
    return std::make_shared<file_data_handler>(file);
}

}  // namespace qtrt

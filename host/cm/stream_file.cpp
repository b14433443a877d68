// Local file streams with 64-bit offsets, and the local path of "file:" URLs.

#include <sys/stat.h>
#include <sys/types.h>

#include <cctype>
#include <algorithm>
#include <cstdio>

#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "stream_kinds.h"
#include "stream_seek.h"

namespace Ruv {
namespace CM {
namespace {

#if defined(_WIN32)
int seek64(FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin); }
int64_t tell64(FILE* file) { return _ftelli64(file); }
#else
static_assert(sizeof(off_t) == 8, "file offsets must be 64-bit");
int seek64(FILE* file, int64_t offset, int origin) { return fseeko(file, off_t(offset), origin); }
int64_t tell64(FILE* file) { return int64_t(ftello(file)); }
#endif

// The file's size now: another program may cut a file short or add to it
// while it is read. Negative when it cannot be known.
int64_t current_size(FILE* file) {
#if defined(_WIN32)
    struct _stat64 info;
    return _fstat64(_fileno(file), &info) == 0 ? int64_t(info.st_size) : -1;
#else
    struct stat info;
    return fstat(fileno(file), &info) == 0 ? int64_t(info.st_size) : -1;
#endif
}

// Directories open with fopen on POSIX systems but cannot be read.
bool is_regular_file(FILE* file) {
#if defined(_WIN32)
    (void)file;
    return true;
#else
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

class file_stream : public RStream {
public:
    file_stream(const std::string& path, const CString& uri) : m_path(path), m_uri(uri) {}
    ~file_stream() override { close(); }

    int open() override {
        if (m_file) return 0;
        FILE* file = std::fopen(m_path.c_str(), "rb");
        if (!file) return fail("the file cannot be opened");
        if (!is_regular_file(file) || seek64(file, 0, SEEK_END) != 0) {
            std::fclose(file);
            return fail("not a readable file");
        }
        m_size = tell64(file);
        if (m_size < 0 || seek64(file, 0, SEEK_SET) != 0) {
            std::fclose(file);
            return fail("the file's size is unknown");
        }
        m_file = file;
        m_position = 0;
        m_file_position = 0;
        return 0;
    }

    void close() override {
        if (m_file) std::fclose(m_file);
        m_file = nullptr;
    }

    int64_t lseek(int64_t offset, unsigned char origin) override {
        if (!m_file) return -1;
        if (origin == 2) {
            const int64_t size = current_size(m_file);
            if (size < 0) return -1;
            m_size = size;
        }
        const int64_t target = streams::seek_target(m_position, m_size, offset, origin);
        if (target < 0) return -1;
        m_position = target;
        return m_position;
    }

    int64_t size() override {
        if (!m_file) return -1;
        const int64_t now = current_size(m_file);
        if (now >= 0) m_size = now;
        return now;
    }
    CString getURI() const override { return m_uri; }

protected:
    int64_t readSome(unsigned char* buffer, int64_t length) override {
        if (!m_file) return -1;
        // The size seen at open may be gone: a short read reports what the
        // file holds now, and the caller sees the count fall short.
        const int64_t size = current_size(m_file);
        if (size < 0) return -1;
        m_size = size;
        if (m_position >= m_size) return 0;
        if (m_file_position != m_position) {
            if (seek64(m_file, m_position, SEEK_SET) != 0) return -1;
            m_file_position = m_position;
        }
        const int64_t wanted = std::min<int64_t>(length, std::min<int64_t>(m_size - m_position, 1 << 30));
        const size_t count = std::fread(buffer, 1, size_t(wanted), m_file);
        if (count == 0 && std::ferror(m_file)) {
            std::clearerr(m_file);
            m_file_position = -1;
            return -1;
        }
        m_position += int64_t(count);
        m_file_position = m_position;
        // Cut short between the size and the read: the end stays unmarked
        // (stdio keeps it), so a file that grows again is read again.
        if (int64_t(count) < wanted) {
            std::clearerr(m_file);
            m_file_position = -1;
        }
        return int64_t(count);
    }

private:
    int fail(const char* reason) {
        kolmbase::ds_og::print(1, "cannot open '%s': %s", m_path.c_str(), reason);
        return -1;
    }

    std::string m_path;
    CString m_uri;
    FILE* m_file = nullptr;
    int64_t m_size = 0;
    int64_t m_position = 0;
    int64_t m_file_position = 0;
};

bool is_drive(const std::string& path, size_t at) {
    return path.size() >= at + 2 && std::isalpha((unsigned char)path[at]) && path[at + 1] == ':';
}

}  // namespace

RPtr<RStream> streams::file(const std::string& path, const CString& uri) {
    return RPtr<RStream>(new file_stream(path, uri));
}

std::string streams::local_path_of_file_url(const std::string& url) {
    std::string path = kolmbase::url_path(url, true);
    // "file:///C:/x" names the drive path "C:/x".
    if (!path.empty() && path[0] == '/' && is_drive(path, 1)) return path.substr(1);
    // "file://server/share/x" names the UNC path "//server/share/x".
    const size_t colon = url.find(':');
    if (url.compare(colon + 1, 2, "//") == 0) {
        const size_t authority_end = url.find_first_of("/?#", colon + 3);
        const std::string host = url.substr(colon + 3, authority_end == std::string::npos
                                                           ? std::string::npos
                                                           : authority_end - colon - 3);
        if (!host.empty() && host != "localhost") return "//" + host + path;
    }
    return path;
}

}  // namespace CM
}  // namespace Ruv

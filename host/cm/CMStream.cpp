// Choosing a stream for a URI, and what every stream shares.
#include "lib/cm/CMStream.h"

#include <algorithm>
#include <cctype>

#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "stream_kinds.h"

namespace Ruv {
namespace CM {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool is_mounted_scheme(const std::string& scheme) {
    return scheme == "kolmfs" || scheme == "smb" || scheme == "cifs" || scheme == "ftp";
}

class unreadable_stream : public RStream {
public:
    unreadable_stream(const CString& uri, const std::string& reason)
        : m_uri(uri), m_reason(reason) {}

    int open() override {
        kolmbase::ds_og::print(1, "cannot open '%s': %s", m_uri.c_str(), m_reason.c_str());
        return -1;
    }
    void close() override {}
    int64_t lseek(int64_t, unsigned char) override { return -1; }
    int64_t size() override { return -1; }
    CString getURI() const override { return m_uri; }

protected:
    int64_t readSome(unsigned char*, int64_t) override { return -1; }

private:
    CString m_uri;
    std::string m_reason;
};

}  // namespace

RPtr<RStream> streams::unreadable(const CString& uri, const std::string& reason) {
    return RPtr<RStream>(new unreadable_stream(uri, reason));
}

CStreamP::~CStreamP() = default;

int64_t CStreamP::read(unsigned char* buffer, int64_t length) {
    if (length <= 0) return 0;
    if (!buffer) return -1;
    int64_t total = 0;
    while (total < length) {
        const int64_t count = readSome(buffer + total, length - total);
        if (count < 0) return total > 0 ? total : count;
        if (count == 0) break;
        total += count;
    }
    return total;
}

RPtr<RStream> RStream::getStream(const RPtr<RURI>& uri, unsigned, unsigned) {
    if (!uri) return streams::unreadable(CString(), "no URI");
    const CString& text = uri->getString();
    const std::string scheme = lower(kolmbase::url_scheme(text.str()));
    if (scheme.empty()) return streams::file(text.str(), text);
    if (scheme == "file") return streams::file(streams::local_path_of_file_url(text.str()), text);
    if (scheme == "mem") return streams::registered_memory(text.str().substr(4), text);
    if (!is_mounted_scheme(scheme))
        return streams::unreadable(text, "no stream for the scheme '" + scheme + "'");
    const std::string path = resolveMount(text.str());
    if (path.empty()) return streams::unreadable(text, "no mount for the URL");
    return streams::file(path, text);
}

}  // namespace CM
}  // namespace Ruv

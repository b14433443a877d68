// Stream data references: reading through the host stream and the static
// resolves passed from a node to the children it spawns.
#include "datahandler/CMStreamDataRef.h"

#include "lib/kolmbase/ds_og.h"
#include "lib/kolmbase/strings.h"
#include "lib/ruv/RURI.h"

CMStreamDataRef::CMStreamDataRef(Ruv::RPtr<Ruv::CM::RStream> stream)
    : m_stream(std::move(stream)) {}

CMStreamDataRef::~CMStreamDataRef() = default;

CMStreamDataRef::CMStreamDataRef(const CMStreamDataRef& other) = default;

CMStreamDataRef& CMStreamDataRef::operator=(const CMStreamDataRef& other) = default;

CMStreamDataRef* CMStreamDataRef::create_with_url(const std::string& url) {
    Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(url)));
    Ruv::RPtr<Ruv::CM::RStream> stream = Ruv::CM::RStream::getStream(uri, 0, 0);
    if (!stream || stream->open() != 0) {
        const std::string message =
            kolmbase::string_with_format("Failed to open stream, %s", url.c_str());
        kolmbase::ds_og::print(0, "<datah> %s\n", message.c_str());
        return nullptr;
    }
    return new CMStreamDataRef(stream);
}

void CMStreamDataRef::add_resolve(const std::string& key, const std::string& value) {
    m_static_resolves[key] = value;
}

std::string CMStreamDataRef::get_url() const { return m_stream->getURI().c_str(); }

int64_t CMStreamDataRef::read(unsigned char* buffer, int64_t count) {
    return m_stream->read(buffer, count);
}

int64_t CMStreamDataRef::seek(int64_t offset, uint8_t origin) {
    return m_stream->lseek(offset, origin);
}

int64_t CMStreamDataRef::size() { return m_stream->size(); }

CMDataRef* CMStreamDataRef::spawn_new_data_ref_impl(std::string url) {
    CMStreamDataRef* child = create_with_url(url);
    if (child == nullptr) return nullptr;
    for (const auto& entry : m_static_resolves) child->m_static_resolves[entry.first] = entry.second;
    return child;
}

std::string CMStreamDataRef::get_static_resolve(const std::string& url) const {
    // Ascending key order: of two keys where one extends the other, the
    // shorter is met first and wins.
    for (const auto& entry : m_static_resolves) {
        const std::string& key = entry.first;
        if (url.compare(0, key.size(), key) != 0) continue;
        const std::string path = entry.second + url.substr(key.size());
        const std::string result = kolmbase::url_set_path(get_url(), path, true);
        kolmbase::ds_og::print(6, "<datah> Found static resolve for %s => %s\n", url.c_str(),
                               result.c_str());
        return result;
    }
    kolmbase::ds_og::print(6, "<datah> No static resolve for %s\n", url.c_str());
    return std::string();
}

// The data reference over an opened host stream, with a table of static
// resolves: URL prefixes and the path prefixes that replace them.
#pragma once

#include <map>
#include <string>

#include "datahandler/CMDataRef.h"
#include "lib/cm/CMStream.h"
#include "lib/ruv/RPtr.h"

class MOVIE_APPLE_QT_API CMStreamDataRef : public CMDataRef {
public:
    // Holds (retains) an already opened stream; the table starts empty.
    explicit CMStreamDataRef(Ruv::RPtr<Ruv::CM::RStream> stream);
    ~CMStreamDataRef() override;
    CMStreamDataRef(const CMStreamDataRef& other);
    CMStreamDataRef& operator=(const CMStreamDataRef& other);

    // Opens the host stream for url; null (after a level-0 line) when it does
    // not open. The caller owns the result.
    static CMStreamDataRef* create_with_url(const std::string& url);

    // Stores value under key, replacing an earlier value for the same key.
    void add_resolve(const std::string& key, const std::string& value);

    std::string get_url() const override;
    int64_t read(unsigned char* buffer, int64_t count) override;
    int64_t seek(int64_t offset, uint8_t origin) override;
    int64_t size() override;
    // A new stream data reference for url carrying a copy of this table.
    CMDataRef* spawn_new_data_ref_impl(std::string url) override;
    // The first key in ascending order that is a prefix of url is replaced by
    // its value; the result is this node's own URL with that path. "" when no
    // key matches.
    std::string get_static_resolve(const std::string& url) const override;

private:
    Ruv::RPtr<Ruv::CM::RStream> m_stream;
    std::map<std::string, std::string> m_static_resolves;
};

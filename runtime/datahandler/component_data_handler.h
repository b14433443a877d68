// Data handler components: reading a movie's bytes through an instance of a
// registered 'dhlr' component, as QuickTime does for data references whose
// type names such a component (the plug-in's 'zvh ' handle references).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "movie/data_handler.h"
#include "quicktime/components.h"

namespace qtrt {


// The data handler calls the runtime makes, by selector.
enum : int16_t {
    kDataHOpenForReadSelect = 0x08,
    kDataHCloseForReadSelect = 0x09,
    kDataHSetDataRefSelect = 0x0A,
    kDataHScheduleData64Select = 0x2E,
    kDataHGetFileSize64Select = 0x30,
    kDataHGetMovieWithFlagsSelect = 0x3E,
};

// The registered data handler component whose subtype is the data reference
// type; null when none is.
Component find_data_handler_component(OSType data_ref_type);

// Opens an instance of the data handler for the type and gives it the data
// reference (DataHSetDataRef; the instance keeps its own copy). Null, with the
// reason in error, when no component serves the type or it refuses.
ComponentInstance open_data_handler_instance(OSType data_ref_type, Handle data_ref,
                                             OSErr& error);

// Reads through a data handler instance: synchronous DataHScheduleData64
// calls without a schedule record, and DataHGetFileSize64.
class component_data_handler : public data_handler {
public:
    // owned: the handler closes the instance (after DataHCloseForRead when it
    // opened it for reading) when it is destroyed.
    component_data_handler(ComponentInstance instance, bool owned);
    ~component_data_handler() override;
    component_data_handler(const component_data_handler&) = delete;
    component_data_handler& operator=(const component_data_handler&) = delete;

    // DataHOpenForRead; every read may follow without it, but QuickTime asks
    // first.
    OSErr open_for_read();

    // A read that does not lie wholly inside the data fails with eofErr: the
    // component reports the bytes it delivered only through its result, and
    // a short read there (eofErr) stays eofErr here.
    OSErr read(uint64_t offset, uint32_t size, void* destination) override;
    OSErr data_size(uint64_t& size) override;

    ComponentInstance instance() const { return m_instance; }

private:
    ComponentInstance m_instance;
    bool m_owned;
    bool m_open_for_read = false;
    bool m_size_known = false;
    uint64_t m_size = 0;
};

// A handler for a data reference (its type and bytes) that a registered data
// handler component serves: an instance opened for it, given the reference
// and opened for reading. Null, with the reason in error, otherwise.
std::shared_ptr<data_handler> open_component_data_handler(OSType data_ref_type,
                                                          const std::vector<uint8_t>& data_ref,
                                                          OSErr& error);

}  // namespace qtrt

#include "datahandler/component_data_handler.h"

#include "components/component_manager.h"
#include "memory/memory_manager.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

namespace {

int32_t word(const void* pointer) { return int32_t(reinterpret_cast<intptr_t>(pointer)); }

}  // namespace

Component find_data_handler_component(OSType data_ref_type) {
    ComponentDescription looking_for{DataHandlerType, data_ref_type, 0, 0, 0};
    return find_component(looking_for);
}

ComponentInstance open_data_handler_instance(OSType data_ref_type, Handle data_ref,
                                             OSErr& error) {
    Component component = find_data_handler_component(data_ref_type);
    if (component == nullptr) {
        error = cantFindHandler;
        return nullptr;
    }
    ComponentResult result = noErr;
    ComponentInstance instance = open_component(component, &result);
    if (instance == nullptr) {
        error = OSErr(result != noErr ? result : cantFindHandler);
        return nullptr;
    }
    result = call_component(instance, kDataHSetDataRefSelect, {word(data_ref)});
    if (result != noErr) {
        close_component(instance);
        error = OSErr(result);
        return nullptr;
    }
    error = noErr;
    return instance;
}

component_data_handler::component_data_handler(ComponentInstance instance, bool owned)
    : m_instance(instance), m_owned(owned) {}

component_data_handler::~component_data_handler() {
    if (!m_owned) return;
    if (m_open_for_read) call_component(m_instance, kDataHCloseForReadSelect, {});
    close_component(m_instance);
}

OSErr component_data_handler::open_for_read() {
    const ComponentResult result = call_component(m_instance, kDataHOpenForReadSelect, {});
    if (result == noErr) m_open_for_read = true;
    return OSErr(result);
}

OSErr component_data_handler::read(uint64_t offset, uint32_t size, void* destination) {
    if (size == 0) return noErr;
    if (size > uint32_t(INT32_MAX)) return paramErr;
    uint64_t total = 0;
    const OSErr err = data_size(total);
    if (err != noErr) return err;
    if (offset > total || size > total - offset) return eofErr;
    const wide at{uint32_t(offset), int32_t(uint32_t(offset >> 32))};
    const ComponentResult result = call_component(
        m_instance, kDataHScheduleData64Select,
        {word(destination), word(&at), int32_t(size), 0, 0, 0});
    // A component that delivered fewer bytes than asked says eofErr (the data
    // was cut short since its size was asked); any other failure is readErr.
    if (result == noErr) return noErr;
    return result == eofErr ? OSErr(eofErr) : OSErr(readErr);
}

OSErr component_data_handler::data_size(uint64_t& size) {
    if (m_size_known) {
        size = m_size;
        return noErr;
    }
    wide answer{};
    const ComponentResult result =
        call_component(m_instance, kDataHGetFileSize64Select, {word(&answer)});
    if (result != noErr) return readErr;
    if (answer.hi < 0) return readErr;
    m_size = uint64_t(uint32_t(answer.hi)) << 32 | answer.lo;
    m_size_known = true;
    size = m_size;
    return noErr;
}

std::shared_ptr<data_handler> open_component_data_handler(OSType data_ref_type,
                                                          const std::vector<uint8_t>& data_ref,
                                                          OSErr& error) {
    // Types no component serves are left to the caller (a file, perhaps).
    if (find_data_handler_component(data_ref_type) == nullptr) {
        error = cantFindHandler;
        return nullptr;
    }
    Handle h = nullptr;
    error = PtrToHand(data_ref.data(), &h, int32_t(data_ref.size()));
    if (error != noErr) return nullptr;
    ComponentInstance instance = open_data_handler_instance(data_ref_type, h, error);
    DisposeHandle(h);
    if (instance == nullptr) return nullptr;
    auto handler = std::make_shared<component_data_handler>(instance, true);
    error = handler->open_for_read();
    if (error != noErr) return nullptr;
    return handler;
}

}  // namespace qtrt

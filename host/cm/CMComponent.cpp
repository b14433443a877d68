// Component status, notifications and the component base.
#include "lib/cm/CMComponent.h"

namespace Ruv {
namespace CM {

CComponentStatus::CComponentStatus() : CComponentStatus(0, 0, 0) {}

CComponentStatus::CComponentStatus(unsigned code, unsigned frames, unsigned bytes)
    : m_code(code), m_frames(frames), m_bytes(bytes), m_user_data(nullptr) {}

CNotification::CNotification(unsigned code, void* data) : m_code(code), m_data(data) {}

RComponent::RComponent() {
    setLastRelease(&RComponent::lastRelease);
    setThreadEnd(&RComponent::threadEnd);
}

RComponent::~RComponent() = default;

const char* RComponent::type() const { return "component"; }

CComponentStatus RComponent::getStatus() const { return CComponentStatus(); }

void RComponent::componentWillReset() {
    std::lock_guard<std::mutex> lock(m_exceptions_mutex);
    m_exceptions.clear();
}

int RComponent::handleNotification(CNotification&) { return 0; }

int RComponent::authenticate(const char*) { return 0; }

void RComponent::lastRelease(const kolmbase::object_refcount* object) {
    RComponent* self = static_cast<RComponent*>(const_cast<kolmbase::object_refcount*>(object));
    if (self->isCurrentThread()) {
        self->m_destroy_when_thread_ends = true;
        return;
    }
    if (self->isRunning()) {
        if (self->m_cancel) self->m_cancel(*self);
        self->join();
    }
    delete self;
}

void RComponent::threadEnd(CThread<RComponent>* thread) {
    RComponent* self = static_cast<RComponent*>(thread);
    if (!self->m_destroy_when_thread_ends) return;
    self->detach();
    delete self;
}

void RComponent::handleException(const CException& exception) {
    std::lock_guard<std::mutex> lock(m_exceptions_mutex);
    m_exceptions.push_back(exception);
}

bool RComponent::hasException() const {
    std::lock_guard<std::mutex> lock(m_exceptions_mutex);
    return !m_exceptions.empty();
}

std::vector<CException> RComponent::getExceptions() const {
    std::lock_guard<std::mutex> lock(m_exceptions_mutex);
    return m_exceptions;
}

}  // namespace CM
}  // namespace Ruv

#include "lib/cm/CMDescription.h"

namespace Ruv {
namespace CM {

RDescription::~RDescription() = default;

void RDescription::addParameter(const char* name, RBuffer* value) {
    m_parameters.emplace_back(name ? name : "", RPtr<RBuffer>(value));
}

const std::string& RDescription::getParameterName(size_t index) const {
    static const std::string none;
    return index < m_parameters.size() ? m_parameters[index].first : none;
}

const RBuffer* RDescription::getParameter(size_t index) const {
    return index < m_parameters.size() ? m_parameters[index].second.get() : nullptr;
}

const RBuffer* RDescription::findParameter(const char* name) const {
    if (!name) return nullptr;
    for (const auto& parameter : m_parameters)
        if (parameter.first == name) return parameter.second.get();
    return nullptr;
}

RVideoDescription::RVideoDescription() = default;

RAudioDescription::RAudioDescription() = default;

}  // namespace CM
}  // namespace Ruv

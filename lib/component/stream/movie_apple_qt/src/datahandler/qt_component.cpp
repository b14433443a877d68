#include "datahandler/qt_component.h"

#include <algorithm>

namespace qt {

component::component() : fields{} {}

component::component(const component& other) : name(other.name) {
    std::copy(other.fields, other.fields + 7, fields);
}

component& component::operator=(const component& other) {
    std::copy(other.fields, other.fields + 7, fields);
    name = other.name;
    return *this;
}

component::~component() = default;

component_manager::component_manager() = default;
component_manager::component_manager(const component_manager& other) = default;
component_manager& component_manager::operator=(const component_manager& other) = default;
component_manager::~component_manager() = default;

}  // namespace qt

// The data-reference tree: parent and children links, spawning and printing.
#include "datahandler/CMDataRef.h"

#include <cstdio>

#include "datahandler/data_ref_registry.h"

CMDataRef::CMDataRef() : m_parent(nullptr) { datahandler::add_live_data_ref(this); }

CMDataRef::~CMDataRef() { datahandler::remove_live_data_ref(this); }

CMDataRef::CMDataRef(const CMDataRef& other)
    : m_children(other.m_children), m_parent(other.m_parent) {
    datahandler::add_live_data_ref(this);
}

CMDataRef& CMDataRef::operator=(const CMDataRef& other) {
    m_children = other.m_children;
    m_parent = other.m_parent;
    return *this;
}

std::string CMDataRef::get_static_resolve(const std::string&) const { return std::string(); }

void CMDataRef::set_parent(CMDataRef* parent) { m_parent = parent; }

CMDataRef* CMDataRef::get_parent() const { return m_parent; }

const std::vector<CMDataRef*>& CMDataRef::get_children() const { return m_children; }

CMDataRef* CMDataRef::spawn_new_data_ref(std::string url) {
    CMDataRef* child = spawn_new_data_ref_impl(std::move(url));
    if (child == nullptr) return nullptr;
    child->set_parent(this);
    m_children.push_back(child);
    return child;
}

void CMDataRef::PrintDataRef(CMDataRef* node, int indent) {
    if (node == nullptr) return;
    // Inner nodes (with a parent and children) are implied by their leaves.
    if (node->get_parent() == nullptr || node->get_children().empty()) {
        std::string line = "# ";
        for (int i = 0; i < indent; ++i) line += "  ";
        line += "url='" + node->get_url() + "'\n";
        std::fputs(line.c_str(), stdout);
    }
    for (CMDataRef* child : node->get_children()) PrintDataRef(child, indent + 1);
}

// The classes the plug-in module exports to other modules: the two data
// references and the two QuickTime value classes, each with its
// constructors, destructor, assignment and members, and the virtual tables
// and type information of the polymorphic ones.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/elf_symbols.h"

namespace {

const std::string kModulePath = std::string(RUV_OUTPUT_DIR) + "/ruv_importer_any_apple_qt.so";

std::string demangled(const std::string& name) {
    int status = 0;
    char* text = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (text == nullptr) return name;
    std::string result(text);
    std::free(text);
    return result;
}

class PluginModuleExports : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        std::vector<std::string> names;
        std::string error;
        ASSERT_TRUE(read_exported_symbols(kModulePath, names, error)) << error;
        for (const std::string& name : names) exported.push_back(demangled(name));
    }

    static bool exports(const std::string& prefix) {
        return std::any_of(exported.begin(), exported.end(), [&](const std::string& name) {
            return name.compare(0, prefix.size(), prefix) == 0;
        });
    }

    static std::vector<std::string> exported;
};

std::vector<std::string> PluginModuleExports::exported;

TEST_P(PluginModuleExports, IncludesMember) { EXPECT_TRUE(exports(GetParam())) << GetParam(); }

INSTANTIATE_TEST_SUITE_P(
    DataReferences, PluginModuleExports,
    ::testing::Values("CMDataRef::CMDataRef()", "CMDataRef::CMDataRef(CMDataRef const&)",
                      "CMDataRef::~CMDataRef()", "CMDataRef::operator=(CMDataRef const&)",
                      "CMDataRef::set_parent(CMDataRef*)", "CMDataRef::get_parent() const",
                      "CMDataRef::get_children() const", "CMDataRef::spawn_new_data_ref(",
                      "CMDataRef::PrintDataRef(CMDataRef*, int)", "CMDataRef::get_static_resolve(",
                      "vtable for CMDataRef", "typeinfo for CMDataRef",
                      "CMStreamDataRef::CMStreamDataRef(Ruv::RPtr<Ruv::CM::RStream>)",
                      "CMStreamDataRef::CMStreamDataRef(CMStreamDataRef const&)",
                      "CMStreamDataRef::~CMStreamDataRef()",
                      "CMStreamDataRef::operator=(CMStreamDataRef const&)",
                      "CMStreamDataRef::create_with_url(", "CMStreamDataRef::add_resolve(",
                      "CMStreamDataRef::get_url",
                      "CMStreamDataRef::read(unsigned char*, long long)",
                      "CMStreamDataRef::seek(long long, unsigned char)", "CMStreamDataRef::size()",
                      "CMStreamDataRef::spawn_new_data_ref_impl(",
                      "CMStreamDataRef::get_static_resolve(", "vtable for CMStreamDataRef",
                      "typeinfo for CMStreamDataRef"));

INSTANTIATE_TEST_SUITE_P(
    QuickTimeValues, PluginModuleExports,
    ::testing::Values("qt::component::component()",
                      "qt::component::component(qt::component const&)",
                      "qt::component::~component()",
                      "qt::component::operator=(qt::component const&)",
                      "qt::component_manager::component_manager()",
                      "qt::component_manager::component_manager(qt::component_manager const&)",
                      "qt::component_manager::~component_manager()",
                      "qt::component_manager::operator=(qt::component_manager const&)"));

}  // namespace

// The plug-in module as a host loads it: what it exports, and the importer
// its factory makes.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "elf_symbols.h"
#include "lib/cm/CMComponent.h"

namespace {

using Ruv::RPtr;
using Ruv::CM::RImporter;

const std::string kModulePath = std::string(RUV_OUTPUT_DIR) + "/ruv_importer_any_apple_qt.so";

// What the module exports besides its own code: the linker's markers of a
// shared object; instances of the standard library's templates, emitted with
// default visibility wherever they are used; members defined in the host's
// headers (the virtual tables and type information of host classes the
// importer makes, such as the buffers of description parameters), emitted
// wherever they are used with the host's visibility; and the classes it
// exports by design, the data references and the QuickTime value classes.
bool is_foreign_export(const std::string& name) {
    for (const char* marker : {"_init", "_fini", "_edata", "_end", "__bss_start"})
        if (name == marker) return true;
    std::vector<std::string> prefixes = {
        "_ZNSt",          "_ZNKSt",         "_ZSt",           "_ZTVSt",       "_ZTISt",
        "_ZTSSt",         "_ZN9__gnu_cxx",  "_ZNK9__gnu_cxx", "_ZN3Ruv",      "_ZNK3Ruv",
        "_ZTVN3Ruv",      "_ZTIN3Ruv",      "_ZTSN3Ruv",      "_ZN8kolmbase", "_ZNK8kolmbase",
        "_ZTVN8kolmbase", "_ZTIN8kolmbase", "_ZTSN8kolmbase"};
    for (const char* kind : {"_ZN", "_ZNK", "_ZTV", "_ZTI", "_ZTS"})
        for (const char* cls :
             {"9CMDataRef", "15CMStreamDataRef", "2qt9component", "2qt17component_manager"})
            prefixes.push_back(std::string(kind) + cls);
    for (const std::string& prefix : prefixes)
        if (name.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

TEST(ModuleSymbols, ExportsOnlyTheFactoryFromItsOwnCode) {
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(read_exported_symbols(kModulePath, names, error)) << error;

    std::vector<std::string> own;
    for (const std::string& name : names)
        if (!is_foreign_export(name)) own.push_back(name);
    EXPECT_EQ(own, std::vector<std::string>{"getComponentInstance"});
}

// The factory, found in the loaded module, and every slot the importer fills
// reached through the host's base class across the module boundary: without
// a movie none of them answers success.
TEST(LoadedModule, FactoryMakesAnUncountedImporterThatRefusesWithoutAMovie) {
    void* handle = dlopen(kModulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto factory =
        reinterpret_cast<Ruv::CM::GetComponentInstanceFn>(dlsym(handle, "getComponentInstance"));
    ASSERT_NE(factory, nullptr);
    RImporter* raw = factory();
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->refcount(), 0);
    RPtr<RImporter> importer(raw);
    EXPECT_STREQ(importer->type(), "importer");
    EXPECT_TRUE(importer->getMovieInfo().isNull());

    RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    EXPECT_THROW(importer->configure(*configuration), Ruv::CException);
    EXPECT_NE(importer->setTime(0, 0.0), 0);
    EXPECT_NE(importer->runloop(nullptr), 0);
    EXPECT_EQ(importer->processNextFrame(0), nullptr);
    EXPECT_THROW(importer->preflight(*configuration), Ruv::CException);
    Ruv::CM::CComponentStatus status = importer->getStatus();
    EXPECT_EQ(status.getStatusCode(), 0u);
    EXPECT_EQ(status.getNumberOfFrames(), 0u);
    EXPECT_EQ(status.getNumberOfBytes(), 0u);
}

}  // namespace

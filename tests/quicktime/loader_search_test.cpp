// The folder search of the QuickTime loader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/temp_folder.h"
#include "quicktime/fresh_process.h"
#include "quicktime/qt_loader.h"
#include "windows.h"

using test_support::quicktime_registry;
using test_support::run_in_fresh_process;
using test_support::runtime_module;
using test_support::temp_folder;

namespace {

// A machine: a temporary folder, its registry file and its system directory.
class LoaderSearch : public ::testing::Test {
protected:
    void SetUp() override {
        m_system = m_folder.make_folder("windows/system32");
        setenv("RUV_SYSTEM_DIR", m_system.c_str(), 1);
        set_registry({});
    }
    void TearDown() override {
        unsetenv("RUV_SYSTEM_DIR");
        unsetenv("RUV_REGISTRY");
    }
    void set_registry(const std::map<std::string, std::string>& values) {
        std::string file = m_folder.write_file("registry.reg", quicktime_registry(values));
        setenv("RUV_REGISTRY", file.c_str(), 1);
    }
    std::string system_folder() {
        char buffer[MAX_PATH] = "unchanged";
        bool found = GetQuickTimeSystemFolder(buffer, sizeof(buffer));
        EXPECT_EQ(found, buffer[0] != '\0');
        return buffer;
    }
    std::string extension_folder() {
        char buffer[MAX_PATH] = "unchanged";
        size_t length = GetQuickTimeExtensionFolder(buffer, sizeof(buffer));
        EXPECT_EQ(length, std::string(buffer).size());
        return buffer;
    }

    temp_folder m_folder;
    std::string m_system;
};

TEST_F(LoaderSearch, LoadedRuntimeFolderWinsOverTheRegistry) {
    std::string other = m_folder.make_folder("other");
    set_registry({{"QTSysDir", other}, {"QuickTime.qts folder", other}});
    std::string loaded = m_folder.copy_file(runtime_module(""), "loaded/QuickTime.qts");
    run_in_fresh_process([&] {
        ASSERT_NE(nullptr, LoadLibraryA(loaded.c_str()));
        EXPECT_EQ(m_folder / "loaded/", system_folder());
    });
}

// The registry's two folder values (folders below the machine's folder;
// "missing" is never made, null leaves the value out) and the system folder
// found, which ends in one separator.
struct search_case {
    const char* sys_dir;
    const char* qts_folder;
    const char* found;
};

class FolderSearchOrder : public LoaderSearch,
                          public ::testing::WithParamInterface<search_case> {};

TEST_P(FolderSearchOrder, FirstExistingFolderWins) {
    std::map<std::string, std::string> values;
    for (auto value : {std::make_pair("QTSysDir", GetParam().sys_dir),
                       std::make_pair("QuickTime.qts folder", GetParam().qts_folder)}) {
        if (!value.second) continue;
        if (std::string(value.second) != "missing") m_folder.make_folder(value.second);
        values[value.first] = m_folder / value.second;
    }
    set_registry(values);
    EXPECT_EQ(m_folder / GetParam().found, system_folder());
}

INSTANTIATE_TEST_SUITE_P(Registry, FolderSearchOrder,
                         ::testing::Values(search_case{"first", "second", "first\\"},
                                           search_case{"missing", "second", "second\\"},
                                           search_case{"qt/", nullptr, "qt/"},
                                           search_case{nullptr, nullptr, "windows/system32\\"}));

TEST_F(LoaderSearch, NoFolderAnywhereEmptiesTheBuffers) {
    char buffer[MAX_PATH] = "stale";
    ReadQuickTimeFolderSetting(kQuickTimeRegistryKey, "QTExtDir", buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);
    setenv("RUV_SYSTEM_DIR", (m_folder / "no-such-system").c_str(), 1);
    EXPECT_EQ("", system_folder());
    EXPECT_EQ("", extension_folder());
}

// The extension folder: QTExtDir as it is (not tested for existence), else
// the system folder, with the subfolder QuickTime when that is the Windows
// system directory.
TEST_F(LoaderSearch, ExtensionFolderFollowsTheRegistryOrTheSystemFolder) {
    EXPECT_EQ(m_system + "\\QuickTime\\", extension_folder());
    // The system folder is read with 10 characters less room: a buffer that
    // holds it but not the subfolder gives no extension folder.
    std::vector<char> buffer(m_system.size() + 2 + 5);
    EXPECT_EQ(0u, GetQuickTimeExtensionFolder(buffer.data(), buffer.size()));
    std::string qt = m_folder.make_folder("qt");
    set_registry({{"QTSysDir", qt}});
    EXPECT_EQ(qt + "\\", extension_folder());
    set_registry({{"QTSysDir", qt}, {"QTExtDir", "C:\\Program Files\\QuickTime\\QTSystem"}});
    EXPECT_EQ("C:\\Program Files\\QuickTime\\QTSystem\\", extension_folder());
}

TEST_F(LoaderSearch, RuntimeInTheSystemDirectorysQuickTimeSubfolderIsLoaded) {
    std::string module = m_folder.copy_file(runtime_module("qt-7.0.2"),
                                            "windows/system32/QuickTime/QuickTime.qts");
    run_in_fresh_process([&] {
        HMODULE loaded = static_cast<HMODULE>(LoadQuickTimeLibrary(kQuickTimeLibraryName));
        ASSERT_NE(nullptr, loaded);
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(loaded, path, sizeof(path));
        EXPECT_EQ(module, std::string(path, length));
    });
}

}  // namespace

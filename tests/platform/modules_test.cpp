#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/temp_folder.h"
#include "windows.h"

namespace {

// A copy of the runtime module, a shared object with known exports.
class Modules : public ::testing::Test {
protected:
    // The module stays loaded once loaded, so every test loads its own name.
    void SetUp() override {
        m_name = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 ".qts";
        m_path = m_folder.copy_file(RUV_OUTPUT_DIR "/QuickTime.qts", "sub dir/" + m_name);
    }
    test_support::temp_folder m_folder;
    std::string m_name;
    std::string m_path;
};

TEST_F(Modules, LoadLibraryAcceptsBackslashes) {
    HMODULE module = LoadLibraryA(test_support::windows_style(m_path).c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, GetProcAddress(module, "theQuickTimeDispatcher"));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(Modules, MissingModuleFailsWithModNotFound) {
    EXPECT_EQ(nullptr, LoadLibraryA((m_folder / "missing.qts").c_str()));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST_F(Modules, GetProcAddressAnswersOnlyTheModulesOwnExports) {
    HMODULE module = LoadLibraryA(m_path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(nullptr, GetProcAddress(module, "NoSuchEntry"));
    EXPECT_EQ(DWORD(ERROR_PROC_NOT_FOUND), GetLastError());
    // Found by dlsym in the module's dependencies, but not the module's export.
    EXPECT_EQ(nullptr, GetProcAddress(module, "malloc"));
    FreeLibrary(module);
}

TEST_F(Modules, LoadedModuleIsFoundByFileNameAndKnowsItsPath) {
    EXPECT_EQ(nullptr, GetModuleHandleA(m_name.c_str()));
    HMODULE module = LoadLibraryA(m_path.c_str());
    ASSERT_NE(nullptr, module);
    std::string other_case(m_name);
    for (char& c : other_case) c = char(c ^ (std::isalpha(static_cast<unsigned char>(c)) ? 0x20 : 0));
    EXPECT_EQ(module, GetModuleHandleA(other_case.c_str()));
    EXPECT_EQ(module, GetModuleHandleA(("C:\\anywhere\\" + m_name).c_str()));

    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, sizeof(path));
    EXPECT_EQ(m_path, std::string(path, length));
    FreeLibrary(module);
}

TEST_F(Modules, ShortBufferTruncatesTheModuleFileName) {
    HMODULE module = LoadLibraryA(m_path.c_str());
    ASSERT_NE(nullptr, module);
    char path[8];
    EXPECT_EQ(DWORD(sizeof(path)), GetModuleFileNameA(module, path, sizeof(path)));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(m_path.substr(0, 7), std::string(path));
    FreeLibrary(module);
}

}  // namespace

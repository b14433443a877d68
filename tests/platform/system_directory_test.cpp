#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "io.h"
#include "platform/temp_folder.h"
#include "windows.h"

namespace {

class SystemDirectory : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("RUV_SYSTEM_DIR"); }
    test_support::temp_folder m_folder;
};

TEST_F(SystemDirectory, ComesFromTheEnvironmentWithoutTrailingSeparator) {
    setenv("RUV_SYSTEM_DIR", (m_folder.path() + "/").c_str(), 1);
    char buffer[MAX_PATH];
    UINT length = GetSystemDirectoryA(buffer, sizeof(buffer));
    EXPECT_EQ(m_folder.path(), std::string(buffer));
    EXPECT_EQ(UINT(m_folder.path().size()), length);
}

TEST_F(SystemDirectory, DefaultsToTheProgramFolder) {
    unsetenv("RUV_SYSTEM_DIR");
    char buffer[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(buffer, sizeof(buffer)), 0u);
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
    ASSERT_GT(length, 0u);
    std::string program_path(program, length);
    EXPECT_EQ(program_path.substr(0, program_path.rfind('/')), std::string(buffer));
}

TEST_F(SystemDirectory, SmallBufferAnswersTheNeededSize) {
    setenv("RUV_SYSTEM_DIR", m_folder.path().c_str(), 1);
    char buffer[4] = "xyz";
    EXPECT_EQ(UINT(m_folder.path().size() + 1), GetSystemDirectoryA(buffer, sizeof(buffer)));
    EXPECT_STREQ("xyz", buffer);
}

TEST_F(SystemDirectory, AccessAcceptsBackslashesAndTrailingSeparators) {
    m_folder.write_file("sub/file.txt", "x");
    std::string windows_path = test_support::windows_style(m_folder / "sub");
    EXPECT_EQ(0, _access(windows_path.c_str(), 0));
    EXPECT_EQ(0, _access((windows_path + "\\").c_str(), 0));
    EXPECT_EQ(0, _access((windows_path + "\\file.txt").c_str(), 4));
    EXPECT_EQ(-1, _access((windows_path + "\\missing").c_str(), 0));
}

}  // namespace

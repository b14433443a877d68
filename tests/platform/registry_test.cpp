// The registry reading the QuickTime loader relies on: REG_SZ values of its
// key from a REGEDIT4 export, and the failures it must see as such.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/temp_folder.h"
#include "windows.h"

namespace {

const char kQuickTimeKey[] = "Software\\Apple Computer, Inc.\\QuickTime";

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        std::string file = m_folder.write_file(
            "registry.reg",
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Apple Computer, Inc.\\QuickTime]\r\n"
            "\"QTSysDir\"=\"C:\\\\Windows\\\\System32\\\\\"\r\n"
            "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
            "\"Count\"=dword:0000002a\r\n");
        setenv("RUV_REGISTRY", file.c_str(), 1);
    }
    void TearDown() override { unsetenv("RUV_REGISTRY"); }

    LONG query(const char* name, char* buffer, DWORD& size) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key);
        if (status != ERROR_SUCCESS) return status;
        DWORD type = REG_NONE;
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
        if (status == ERROR_SUCCESS) {
            EXPECT_EQ(DWORD(REG_SZ), type);
        }
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
        return status;
    }

    test_support::temp_folder m_folder;
};

TEST_F(Registry, StringValuesLoseTheirEscapesAndCountTheTerminator) {
    char buffer[MAX_PATH];
    DWORD size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, query("QTSysDir", buffer, size));
    EXPECT_STREQ("C:\\Windows\\System32\\", buffer);
    EXPECT_EQ(DWORD(sizeof("C:\\Windows\\System32\\")), size);
    size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, query("Quoted", buffer, size));
    EXPECT_STREQ("say \"hi\"", buffer);
}

TEST_F(Registry, ShortBufferMissingValueAndOtherTypesFail) {
    char buffer[4];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_MORE_DATA, query("QTSysDir", buffer, size));
    EXPECT_EQ(DWORD(sizeof("C:\\Windows\\System32\\")), size);
    size = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query("QTExtDir", buffer, size));
    size = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query("Count", buffer, size));
}

TEST_F(Registry, WithoutTheExportNoKeyExists) {
    for (bool missing_file : {true, false}) {
        if (missing_file)
            setenv("RUV_REGISTRY", (m_folder / "missing.reg").c_str(), 1);
        else
            unsetenv("RUV_REGISTRY");
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND,
                  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key));
    }
}

}  // namespace

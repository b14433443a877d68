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
        m_file = m_folder.write_file("registry.reg",
                                     "REGEDIT4\r\n"
                                     "\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Apple Computer, Inc.\\QuickTime]\r\n"
                                     "\"QTSysDir\"=\"C:\\\\Windows\\\\System32\\\\\"\r\n"
                                     "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
                                     "\"Count\"=dword:0000002a\r\n"
                                     "@=\"default\"\r\n"
                                     "\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Other\\Deep\\Key]\r\n"
                                     "\"QTSysDir\"=\"elsewhere\"\r\n");
        setenv("RUV_REGISTRY", m_file.c_str(), 1);
    }
    void TearDown() override { unsetenv("RUV_REGISTRY"); }

    // Reads a REG_SZ value of the QuickTime key into a buffer of size bytes.
    LONG query(const char* name, char* buffer, DWORD& size, DWORD* type = nullptr) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key);
        if (status != ERROR_SUCCESS) return status;
        status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<LPBYTE>(buffer), &size);
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
        return status;
    }

    test_support::temp_folder m_folder;
    std::string m_file;
};

TEST_F(Registry, StringValueHasEscapesRemovedAndTerminatorCounted) {
    char buffer[MAX_PATH];
    DWORD size = sizeof(buffer);
    DWORD type = REG_NONE;
    ASSERT_EQ(ERROR_SUCCESS, query("QTSysDir", buffer, size, &type));
    EXPECT_STREQ("C:\\Windows\\System32\\", buffer);
    EXPECT_EQ(DWORD(sizeof("C:\\Windows\\System32\\")), size);
    EXPECT_EQ(DWORD(REG_SZ), type);

    size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, query("Quoted", buffer, size));
    EXPECT_STREQ("say \"hi\"", buffer);
}

TEST_F(Registry, KeyAndValueNamesIgnoreCase) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                           "SOFTWARE\\apple computer, inc.\\quicktime", 0,
                                           KEY_QUERY_VALUE, &key));
    char buffer[64];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "qtsysdir", nullptr, nullptr,
                                              reinterpret_cast<LPBYTE>(buffer), &size));
    RegCloseKey(key);
}

TEST_F(Registry, DefaultValueIsReadAndValuesOfOtherTypesAreAbsent) {
    char buffer[16];
    DWORD size = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, query("", buffer, size));
    EXPECT_STREQ("default", buffer);

    size = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query("Count", buffer, size));
}

TEST_F(Registry, SmallBufferAnswersMoreDataWithNeededSize) {
    char buffer[4];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_MORE_DATA, query("QTSysDir", buffer, size));
    EXPECT_EQ(DWORD(sizeof("C:\\Windows\\System32\\")), size);
}

TEST_F(Registry, NullDataAnswersTheSize) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Quoted", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(DWORD(sizeof("say \"hi\"")), size);
    RegCloseKey(key);
}

TEST_F(Registry, MissingValueIsFileNotFound) {
    char buffer[16];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query("QTExtDir", buffer, size));
}

TEST_F(Registry, KeyWithOnlySubkeysExistsAndSubkeyOpensRelative) {
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Other", 0, KEY_QUERY_VALUE, &parent));
    HKEY child = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(parent, "Deep\\Key", 0, KEY_QUERY_VALUE, &child));
    char buffer[16];
    DWORD size = sizeof(buffer);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(child, "QTSysDir", nullptr, nullptr,
                                              reinterpret_cast<LPBYTE>(buffer), &size));
    EXPECT_STREQ("elsewhere", buffer);
    RegCloseKey(child);
    RegCloseKey(parent);
}

TEST_F(Registry, SectionPrefixIsNotAKey) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Apple", 0, KEY_QUERY_VALUE, &key));
    EXPECT_EQ(nullptr, key);
}

TEST_F(Registry, NoRegistryFileMeansNoKey) {
    setenv("RUV_REGISTRY", (m_folder / "missing.reg").c_str(), 1);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key));
    unsetenv("RUV_REGISTRY");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key));
}

TEST_F(Registry, ClosedKeyIsAnInvalidHandle) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuickTimeKey, 0, KEY_QUERY_VALUE, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

}  // namespace

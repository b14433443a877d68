// Module loading as the QuickTime loader relies on it: a copy of the runtime
// module found again by its file name, its full path, cut to a short buffer
// with the error the loader checks for.
#include <gtest/gtest.h>

#include <string>

#include "platform/temp_folder.h"
#include "windows.h"

namespace {

TEST(Modules, LoadedModuleIsFoundByFileNameAndKnowsItsPath) {
    test_support::temp_folder folder;
    const std::string path = folder.copy_file(RUV_OUTPUT_DIR "/QuickTime.qts", "sub dir/Copy.qts");
    EXPECT_EQ(nullptr, GetModuleHandleA("Copy.qts"));
    HMODULE module = LoadLibraryA(test_support::windows_style(path).c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(module, GetModuleHandleA("C:\\anywhere\\copy.QTS"));
    EXPECT_NE(nullptr, GetProcAddress(module, "theQuickTimeDispatcher"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "malloc"));

    char full[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, full, sizeof(full));
    EXPECT_EQ(path, std::string(full, length));
    char cut[8];
    EXPECT_EQ(DWORD(sizeof(cut)), GetModuleFileNameA(module, cut, sizeof(cut)));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(path.substr(0, 7), std::string(cut));
    EXPECT_TRUE(FreeLibrary(module));
}

}  // namespace

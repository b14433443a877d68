// The file version the QuickTime loader reads: the fixed file information
// block is found by its signature wherever it lies, across the reader's
// 64 KiB chunks too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/temp_folder.h"
#include "windows.h"

namespace {

std::string fixed_info_bytes(DWORD most, DWORD least) {
    VS_FIXEDFILEINFO info = {};
    info.dwSignature = VS_FFI_SIGNATURE;
    info.dwStrucVersion = VS_FFI_STRUCVERSION;
    info.dwFileVersionMS = most;
    info.dwFileVersionLS = least;
    return std::string(reinterpret_cast<const char*>(&info), sizeof(info));
}

class FileVersionAtOffset : public ::testing::TestWithParam<size_t> {};

TEST_P(FileVersionAtOffset, BlockIsFoundBySignature) {
    test_support::temp_folder folder;
    // A lone signature without the structure version is not a block.
    std::string content = "\xBD\x04\xEF\xFE" + std::string(GetParam(), 'x') +
                          fixed_info_bytes(0x00070000, 0x00020000) + std::string(100, 'y');
    std::string path = test_support::windows_style(folder.write_file("module.qts", content));
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(0u, handle);
    ASSERT_NE(0u, size);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length));
    EXPECT_EQ(UINT(sizeof(VS_FIXEDFILEINFO)), length);
    EXPECT_EQ(0x00070000u, info->dwFileVersionMS);
    EXPECT_EQ(0x00020000u, info->dwFileVersionLS);
}

INSTANTIATE_TEST_SUITE_P(Offsets, FileVersionAtOffset,
                         ::testing::Values(0, 65536 - 30, 65536 - 4, 3 * 65536 + 7));

}  // namespace

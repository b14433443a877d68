#include <gtest/gtest.h>

#include <cstring>
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

bool read_version(const std::string& path, DWORD& most, DWORD& least) {
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(0u, handle);
    if (size == 0) return false;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length)) return false;
    EXPECT_EQ(UINT(sizeof(VS_FIXEDFILEINFO)), length);
    most = info->dwFileVersionMS;
    least = info->dwFileVersionLS;
    return true;
}

// Where the block sits in the file: anywhere, including across the reader's
// 64 KiB chunks.
class FileVersionAtOffset : public ::testing::TestWithParam<size_t> {
protected:
    test_support::temp_folder m_folder;
};

TEST_P(FileVersionAtOffset, BlockIsFoundBySignature) {
    // A lone signature without the structure version is not a block.
    std::string content = "\xBD\x04\xEF\xFE" + std::string(GetParam(), 'x');
    content += fixed_info_bytes(0x00070000, 0x00020000);
    content += std::string(100, 'y');
    std::string path = m_folder.write_file("module.qts", content);
    DWORD most = 0;
    DWORD least = 0;
    ASSERT_TRUE(read_version(test_support::windows_style(path), most, least));
    EXPECT_EQ(0x00070000u, most);
    EXPECT_EQ(0x00020000u, least);
}

INSTANTIATE_TEST_SUITE_P(Offsets, FileVersionAtOffset,
                         ::testing::Values(0, 1, 65536 - 30, 65536 - 4, 65536, 3 * 65536 + 7));

TEST(FileVersion, FileWithoutBlockHasNoVersionInformation) {
    test_support::temp_folder folder;
    std::string path = folder.write_file("plain.bin", std::string(70000, 'z'));
    DWORD handle = 0;
    EXPECT_EQ(0u, GetFileVersionInfoSizeA(path.c_str(), &handle));
    EXPECT_EQ(0u, GetFileVersionInfoSizeA((folder / "missing").c_str(), &handle));
}

TEST(FileVersion, OnlyTheRootBlockIsAnswered) {
    test_support::temp_folder folder;
    std::string path = folder.write_file("m.qts", fixed_info_bytes(1, 2));
    std::vector<unsigned char> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, DWORD(block.size()), block.data()));
    LPVOID value = nullptr;
    UINT length = 0;
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value,
                                &length));
}

TEST(FileVersion, RuntimeModuleCarriesItsVersion) {
    DWORD most = 0;
    DWORD least = 0;
    ASSERT_TRUE(read_version(RUV_OUTPUT_DIR "/qt-7.0.2/QuickTime.qts", most, least));
    EXPECT_EQ(0x00070000u, most);
    EXPECT_EQ(0x00020000u, least);
}

}  // namespace

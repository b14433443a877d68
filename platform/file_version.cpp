// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA. The
// version information of a file is the first VS_FIXEDFILEINFO it carries,
// found by its signature and structure version. The block handed out has the
// layout of a VS_VERSIONINFO resource: a header (length, value length, type,
// the key L"VS_VERSION_INFO", padding to 32 bits) followed by the fixed info.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "posix_path.h"
#include "windows.h"

namespace {

constexpr size_t kFixedSize = sizeof(VS_FIXEDFILEINFO);
constexpr size_t kHeaderSize = 40;  // 3 words, 16 UTF-16 characters, 2 bytes padding
constexpr size_t kBlockSize = kHeaderSize + kFixedSize;
constexpr char kKey[] = "VS_VERSION_INFO";

uint32_t read_u32le(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Scans the file in bounded chunks for the fixed file information.
bool find_fixed_info(const char* file_name, VS_FIXEDFILEINFO& info) {
    if (!file_name) return false;
    std::FILE* file = std::fopen(win32_posix::to_posix_path(file_name).c_str(), "rb");
    if (!file) return false;
    constexpr size_t kChunk = 64 * 1024;
    std::vector<unsigned char> buffer(kChunk + kFixedSize);
    size_t kept = 0;
    bool found = false;
    for (;;) {
        size_t got = std::fread(buffer.data() + kept, 1, kChunk, file);
        size_t filled = kept + got;
        for (size_t i = 0; i + kFixedSize <= filled; ++i) {
            if (read_u32le(&buffer[i]) == VS_FFI_SIGNATURE &&
                read_u32le(&buffer[i + 4]) == VS_FFI_STRUCVERSION) {
                std::memcpy(&info, &buffer[i], kFixedSize);
                found = true;
                break;
            }
        }
        if (found || got == 0) break;
        // Keep the tail that may hold the start of a block cut by the chunk end.
        kept = filled < kFixedSize - 1 ? filled : kFixedSize - 1;
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
    }
    std::fclose(file);
    return found;
}

void put_u16le(unsigned char* p, unsigned value) {
    p[0] = (unsigned char)value;
    p[1] = (unsigned char)(value >> 8);
}

}  // namespace

extern "C" DWORD GetFileVersionInfoSizeA(LPCSTR file_name, LPDWORD handle) {
    if (handle) *handle = 0;
    VS_FIXEDFILEINFO info;
    if (!find_fixed_info(file_name, info)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return 0;
    }
    return DWORD(kBlockSize);
}

extern "C" BOOL GetFileVersionInfoA(LPCSTR file_name, DWORD, DWORD size, LPVOID data) {
    VS_FIXEDFILEINFO info;
    if (!data || !find_fixed_info(file_name, info)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    unsigned char block[kBlockSize] = {};
    put_u16le(block, kBlockSize);
    put_u16le(block + 2, kFixedSize);
    put_u16le(block + 4, 0);
    for (size_t i = 0; i < sizeof(kKey); ++i) put_u16le(block + 6 + 2 * i, (unsigned char)kKey[i]);
    std::memcpy(block + kHeaderSize, &info, kFixedSize);
    std::memcpy(data, block, size < kBlockSize ? size : kBlockSize);
    return TRUE;
}

extern "C" BOOL VerQueryValueA(LPCVOID block, LPCSTR sub_block, LPVOID* buffer, PUINT length) {
    if (!block || !sub_block || !buffer) return FALSE;
    // Only the root block (the fixed file information) is carried.
    if (std::strcmp(sub_block, "\\") != 0 && std::strcmp(sub_block, "/") != 0) return FALSE;
    const auto* bytes = static_cast<const unsigned char*>(block);
    unsigned value_length = unsigned(bytes[2]) | unsigned(bytes[3]) << 8;
    if (value_length != kFixedSize || read_u32le(bytes + kHeaderSize) != VS_FFI_SIGNATURE)
        return FALSE;
    *buffer = const_cast<unsigned char*>(bytes + kHeaderSize);
    if (length) *length = UINT(kFixedSize);
    return TRUE;
}

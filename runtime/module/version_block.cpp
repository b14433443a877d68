// The module's fixed file-version block (the VS_FIXEDFILEINFO layout), which
// the Win32 layer of other systems finds in the file by its signature. On
// Windows the VERSIONINFO resource carries the same version.
#include <cstdint>

namespace {

constexpr uint16_t kVersion[4] = {QTRT_FILE_VERSION};
constexpr uint32_t kMostSignificant = uint32_t(kVersion[0]) << 16 | kVersion[1];
constexpr uint32_t kLeastSignificant = uint32_t(kVersion[2]) << 16 | kVersion[3];

}  // namespace

extern "C" {

extern const uint32_t qtrt_fixed_file_info[13];
__attribute__((used)) const uint32_t qtrt_fixed_file_info[13] = {
    0xFEEF04BD,         // signature
    0x00010000,         // structure version 1.0
    kMostSignificant,   // file version
    kLeastSignificant,  //
    kMostSignificant,   // product version
    kLeastSignificant,  //
    0x0000003F,         // flags mask
    0,                  // flags
    0x00040004,         // VOS_NT_WINDOWS32
    0x00000002,         // VFT_DLL
    0,                  // subtype
    0,                  // date
    0,                  //
};

}  // extern "C"

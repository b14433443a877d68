// GetSystemDirectoryA and _access.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "io.h"
#include "posix_path.h"
#include "windows.h"

extern "C" UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const char* configured = getenv("RUV_SYSTEM_DIR");
    std::string folder = configured && *configured ? win32_posix::to_posix_path(configured)
                                                   : win32_posix::program_folder();
    // The Windows system directory carries no trailing separator.
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // Too small a buffer: nothing is written and the needed size, terminator
    // included, is answered.
    if (!buffer || folder.size() >= size) return UINT(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return UINT(folder.size());
}

extern "C" int _access(const char* path, int mode) {
    if (!path) return -1;
    int posix_mode = F_OK;
    if (mode & 2) posix_mode |= W_OK;
    if (mode & 4) posix_mode |= R_OK;
    return access(win32_posix::to_posix_path(path).c_str(), posix_mode) == 0 ? 0 : -1;
}

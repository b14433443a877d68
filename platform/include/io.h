// The C runtime's file-existence test, as the Windows C runtime names it.
#pragma once

#ifdef _WIN32
#error "on Windows the C runtime's io.h is used"
#endif

#ifdef __cplusplus
extern "C" {
#endif

// 0 when the path exists and allows the access in mode (0 existence, 2 write,
// 4 read, 6 both); -1 otherwise. Accepts '\\' as a separator.
int _access(const char* path, int mode);

#ifdef __cplusplus
}
#endif

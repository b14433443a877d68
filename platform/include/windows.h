// The subset of the Win32 API that the QuickTime loader calls, for builds
// that are not Windows. Names, types, result codes and semantics follow the
// Windows SDK; only narrow-character (ANSI) forms exist.
//
// Where Windows reads its own state, this layer reads the host's:
// - the registry is a REGEDIT4 text file named by the environment variable
//   RUV_REGISTRY (no variable or no file: every key is absent);
// - the system directory is RUV_SYSTEM_DIR, else the running program's folder;
// - modules are shared objects opened with the dynamic loader; paths may use
//   '\\' or '/' as separator;
// - a file's version information is the VS_FIXEDFILEINFO block the file
//   carries, found by its signature.
#pragma once

#ifdef _WIN32
#error "on Windows the system's windows.h is used"
#endif

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned long DWORD;
typedef long LONG;
typedef unsigned int UINT;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef UINT* PUINT;
typedef DWORD REGSAM;

typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef intptr_t (*FARPROC)(void);

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define HKEY_USERS ((HKEY)(uintptr_t)0x80000003u)

#define KEY_QUERY_VALUE 0x0001

#define REG_NONE 0
#define REG_SZ 1

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_MORE_DATA 234L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u

typedef struct tagVS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

DWORD GetLastError(void);
void SetLastError(DWORD error);

// Registry (read-only).
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD data_size);
LONG RegCloseKey(HKEY key);

// Modules.
HMODULE LoadLibraryA(LPCSTR file_name);
FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name);
BOOL FreeLibrary(HMODULE module);
HMODULE GetModuleHandleA(LPCSTR module_name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);

// The system directory.
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);

// File version information.
DWORD GetFileVersionInfoSizeA(LPCSTR file_name, LPDWORD handle);
BOOL GetFileVersionInfoA(LPCSTR file_name, DWORD handle, DWORD size, LPVOID data);
BOOL VerQueryValueA(LPCVOID block, LPCSTR sub_block, LPVOID* buffer, PUINT length);

#ifdef __cplusplus
}
#endif

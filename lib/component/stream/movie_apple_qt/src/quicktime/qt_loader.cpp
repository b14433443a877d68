#include "quicktime/qt_loader.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include "io.h"
#include "windows.h"
#endif

#include "quicktime/routines.h"

extern "C" {

void* qtb_library = nullptr;
qtb_hook qtb_first_call_hook = PrepareQuickTime;
qtb_entry qtb_dispatcher_entry = UnboundEntry;
qtb_entry qtb_call_component_entry = UnboundEntry;
qtb_entry qtb_call_with_storage_entry = UnboundEntry;
bool qtb_version_known = false;
bool qtb_version_sufficient = false;
void* qtb_empty_data_symbol_slot = nullptr;

}  // extern "C"

namespace {

constexpr size_t kPathSize = MAX_PATH;
constexpr char kSubfolder[] = "QuickTime\\";
constexpr size_t kSubfolderLength = sizeof(kSubfolder) - 1;  // 10
constexpr uint32_t kCanReleaseLibraryHandleSelector = 0x1D0059;

bool ends_in_separator(const char* text) {
    size_t length = std::strlen(text);
    return length > 0 && (text[length - 1] == '\\' || text[length - 1] == '/');
}

// Appends a backslash unless the text is empty or ends in a separator.
void add_trailing_separator(char* buffer, size_t size) {
    size_t length = std::strlen(buffer);
    if (length == 0 || ends_in_separator(buffer) || length + 1 >= size) return;
    buffer[length] = '\\';
    buffer[length + 1] = '\0';
}

bool folder_exists(const char* folder) { return folder[0] != '\0' && _access(folder, 0) == 0; }

// The folder of a QuickTime.qts the process has already loaded.
bool loaded_library_folder(char* buffer, size_t size) {
    HMODULE module = GetModuleHandleA(kQuickTimeLibraryName);
    if (!module) return false;
    char path[kPathSize] = {};
    DWORD length = GetModuleFileNameA(module, path, kPathSize);
    if (length == 0 || length >= kPathSize) return false;
    size_t name_length = sizeof(kQuickTimeLibraryName) - 1;
    if (length <= name_length) return false;
    size_t folder_length = length - name_length;
    if (size <= folder_length + 1) return false;
    std::memcpy(buffer, path, folder_length);
    buffer[folder_length] = '\0';
    return true;
}

bool registry_folder(const char* value_name, char* buffer, size_t size) {
    ReadQuickTimeFolderSetting(kQuickTimeRegistryKey, value_name, buffer, size);
    return folder_exists(buffer);
}

bool system_directory(char* buffer, size_t size) {
    UINT length = GetSystemDirectoryA(buffer, UINT(size));
    if (length == 0 || length >= size) return false;
    return folder_exists(buffer);
}

HMODULE load_from(const char* folder, const char* file_name) {
    char path[kPathSize];
    if (std::strlen(folder) + std::strlen(file_name) >= sizeof(path)) return nullptr;
    std::strcpy(path, folder);
    std::strcat(path, file_name);
    return LoadLibraryA(path);
}

template <typename T>
T entry_cast(FARPROC entry) {
    T result;
    static_assert(sizeof(result) == sizeof(entry), "entry sizes differ");
    std::memcpy(&result, &entry, sizeof(result));
    return result;
}

}  // namespace

extern "C" long UnboundEntry() { return kQTRuntimeUnavailable; }

extern "C" void ReadQuickTimeFolderSetting(const char* key_path, const char* value_name,
                                           char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = '\0';
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    DWORD value_size = DWORD(size);
    LONG status = RegQueryValueExA(key, value_name, nullptr, nullptr,
                                   reinterpret_cast<LPBYTE>(buffer), &value_size);
    if (status == ERROR_SUCCESS) {
        buffer[size - 1] = '\0';
        add_trailing_separator(buffer, size);
    } else {
        buffer[0] = '\0';
    }
    RegCloseKey(key);
}

extern "C" bool GetQuickTimeSystemFolder(char* buffer, size_t size) {
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    bool found = loaded_library_folder(buffer, size) || registry_folder("QTSysDir", buffer, size) ||
                 registry_folder("QuickTime.qts folder", buffer, size) ||
                 system_directory(buffer, size);
    if (!found) {
        buffer[0] = '\0';
        return false;
    }
    add_trailing_separator(buffer, size);
    return true;
}

extern "C" size_t GetQuickTimeExtensionFolder(char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    ReadQuickTimeFolderSetting(kQuickTimeRegistryKey, "QTExtDir", buffer, size);
    if (buffer[0] != '\0') return std::strlen(buffer);
    if (size <= kSubfolderLength) return 0;

    // Both with room for the subfolder name, so that it always fits.
    const size_t room = size - kSubfolderLength < kPathSize ? size - kSubfolderLength : kPathSize;
    char windows_folder[kPathSize] = {};
    char quicktime_folder[kPathSize] = {};
    UINT length = GetSystemDirectoryA(windows_folder, UINT(room));
    if (length >= room) windows_folder[0] = '\0';
    if (!GetQuickTimeSystemFolder(quicktime_folder, room)) return 0;
    add_trailing_separator(windows_folder, room);

    std::strcpy(buffer, quicktime_folder);
    if (std::strcmp(quicktime_folder, windows_folder) == 0) std::strcat(buffer, kSubfolder);
    return std::strlen(buffer);
}

extern "C" void* LoadQuickTimeLibrary(const char* file_name) {
    size_t name_length = std::strlen(file_name);
    if (name_length >= kPathSize) return nullptr;
    const size_t room = kPathSize - name_length;
    char folder[kPathSize];
    if (!GetQuickTimeSystemFolder(folder, room)) return nullptr;
    if (HMODULE module = load_from(folder, file_name)) return module;
    if (GetQuickTimeExtensionFolder(folder, room) == 0) return nullptr;
    return load_from(folder, file_name);
}

extern "C" void GetFileVersionNumbers(const char* path, uint32_t* most_significant,
                                      uint32_t* least_significant) {
    *most_significant = 0;
    *least_significant = 0;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return;
    void* block = std::calloc(size, 1);
    if (!block) return;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT info_length = 0;
    if (GetFileVersionInfoA(path, handle, size, block) &&
        VerQueryValueA(block, "\\", reinterpret_cast<LPVOID*>(&info), &info_length) && info &&
        info_length >= sizeof(VS_FIXEDFILEINFO)) {
        *most_significant = uint32_t(info->dwFileVersionMS);
        *least_significant = uint32_t(info->dwFileVersionLS);
    }
    std::free(block);
}

extern "C" bool IsSelectorAvailable(uint32_t) {
    if (qtb_version_known) return qtb_version_sufficient;

    HMODULE module = static_cast<HMODULE>(qtb_library);
    const bool loaded_here = module == nullptr;
    if (loaded_here) {
        module = static_cast<HMODULE>(LoadQuickTimeLibrary(kQuickTimeLibraryName));
        if (!module) return false;
    }
    char path[kPathSize + 1] = {};
    DWORD length = GetModuleFileNameA(module, path, sizeof(path));
    if (length != 0) {
        uint32_t most = 0;
        uint32_t least = 0;
        GetFileVersionNumbers(path, &most, &least);
        qtb_version_sufficient = pack_file_version(most, least) >= kFirstSufficientVersion;
    }
    if (loaded_here) FreeLibrary(module);
    qtb_version_known = true;
    return qtb_version_sufficient;
}

extern "C" OSErr BindQuickTimeEntryPoints() {
    struct binding {
        const char* name;
        qtb_entry* entry;
    };
    const binding bindings[] = {
        {"_CallComponentFunctionWithStorage", &qtb_call_with_storage_entry},
        {"_CallComponent", &qtb_call_component_entry},
        {"theQuickTimeDispatcher", &qtb_dispatcher_entry},
    };
    for (const binding& b : bindings) {
        FARPROC found =
            qtb_library ? GetProcAddress(static_cast<HMODULE>(qtb_library), b.name) : nullptr;
        if (!found) return kQTEntryPointMissing;
        *b.entry = entry_cast<qtb_entry>(found);
    }
    qtb_first_call_hook = nullptr;
    return noErr;
}

extern "C" void PrepareQuickTime() {
    const bool loaded_earlier = qtb_library != nullptr;
    if (!loaded_earlier) {
        qtb_library = LoadQuickTimeLibrary(kQuickTimeLibraryName);
        if (!qtb_library) return;
    }
    BindQuickTimeEntryPoints();
    if (loaded_earlier) return;
    if (!IsSelectorAvailable(kCanReleaseLibraryHandleSelector)) return;
    // When the binding failed the hook is still set: the stub below re-enters
    // it (which returns at once, the library being loaded now) and answers
    // -2095 through UnboundEntry, whose low byte is non-zero. The handle then
    // goes too, and the next operation searches for the runtime again.
    if (CanReleaseLibraryHandle() & 0xFF) {
        FreeLibrary(static_cast<HMODULE>(qtb_library));
        qtb_library = nullptr;
    }
}

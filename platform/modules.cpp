// LoadLibraryA, GetProcAddress, FreeLibrary, GetModuleHandleA and
// GetModuleFileNameA over the dynamic loader. A module handle is the handle
// dlopen returns; the handle of the program itself is dlopen(NULL).
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <climits>
#include <cstring>
#include <string>

#include "posix_path.h"
#include "windows.h"

using win32_posix::file_name_of;
using win32_posix::program_folder;
using win32_posix::same_file_name;
using win32_posix::to_posix_path;

namespace {

HMODULE open_module(const std::string& path, int extra_flags) {
    return reinterpret_cast<HMODULE>(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | extra_flags));
}

// The loaded object's path as the dynamic loader recorded it; the program's
// own path for the program's handle.
std::string module_path(HMODULE module) {
    void* self = dlopen(nullptr, RTLD_NOW);
    bool is_program = module == nullptr || reinterpret_cast<void*>(module) == self;
    if (self) dlclose(self);
    std::string path;
    if (is_program) {
        return win32_posix::program_path();
    }
    struct link_map* map = nullptr;
    if (dlinfo(reinterpret_cast<void*>(module), RTLD_DI_LINKMAP, &map) != 0 || !map ||
        !map->l_name)
        return path;
    path = map->l_name;
    char resolved[PATH_MAX];
    if (!path.empty() && realpath(path.c_str(), resolved)) path = resolved;
    return path;
}

struct module_search {
    std::string wanted;
    std::string found_path;
};

int match_loaded_object(struct dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<module_search*>(data);
    if (!info->dlpi_name || !*info->dlpi_name) return 0;
    if (!same_file_name(file_name_of(info->dlpi_name), search->wanted)) return 0;
    search->found_path = info->dlpi_name;
    return 1;
}

}  // namespace

extern "C" HMODULE LoadLibraryA(LPCSTR file_name) {
    if (!file_name || !*file_name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string path = to_posix_path(file_name);
    HMODULE module = nullptr;
    if (path.find('/') == std::string::npos) {
        // A bare name: the program's folder first, then the loader's own
        // search, as Windows looks in the application folder first.
        std::string folder = program_folder();
        if (!folder.empty()) module = open_module(folder + "/" + path, 0);
    }
    if (!module) module = open_module(path, 0);
    if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
    return module;
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name) {
    if (!module || !proc_name) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(reinterpret_cast<void*>(module), proc_name);
    // dlsym also searches the module's dependencies; Windows answers only the
    // module's own exports.
    Dl_info where;
    struct link_map* map = nullptr;
    if (symbol && dladdr(symbol, &where) &&
        dlinfo(reinterpret_cast<void*>(module), RTLD_DI_LINKMAP, &map) == 0 && map) {
        Dl_info own;
        if (map->l_ld && dladdr(map->l_ld, &own) && own.dli_fbase != where.dli_fbase)
            symbol = nullptr;
    }
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    FARPROC entry;
    static_assert(sizeof(entry) == sizeof(symbol), "function and object pointers differ");
    std::memcpy(&entry, &symbol, sizeof(entry));
    return entry;
}

extern "C" BOOL FreeLibrary(HMODULE module) {
    if (!module || dlclose(reinterpret_cast<void*>(module)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

extern "C" HMODULE GetModuleHandleA(LPCSTR module_name) {
    if (!module_name) {
        void* self = dlopen(nullptr, RTLD_NOW);
        if (self) dlclose(self);
        return reinterpret_cast<HMODULE>(self);
    }
    module_search search{file_name_of(to_posix_path(module_name)), std::string()};
    dl_iterate_phdr(match_loaded_object, &search);
    if (search.found_path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // RTLD_NOLOAD gives the handle of the loaded object without loading;
    // closing it at once keeps the count as it was, as GetModuleHandleA does.
    HMODULE module = open_module(search.found_path, RTLD_NOLOAD);
    if (module) dlclose(reinterpret_cast<void*>(module));
    else SetLastError(ERROR_MOD_NOT_FOUND);
    return module;
}

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size) {
    std::string path = module_path(module);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!file_name || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer: truncated, terminated, the size answered and
    // ERROR_INSUFFICIENT_BUFFER set (Windows Vista and later).
    if (path.size() >= size) {
        std::memcpy(file_name, path.data(), size - 1);
        file_name[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(file_name, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return DWORD(path.size());
}

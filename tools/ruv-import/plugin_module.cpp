#include "plugin_module.h"

// The Win32 module loader: the system's on Windows, the platform layer's
// elsewhere. Without either, the POSIX loader stands in.
#if defined(_WIN32) || __has_include(<windows.h>)
#define RUV_IMPORT_WIN32_LOADER 1
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <fstream>
#include <vector>

namespace ruv_import {

namespace {

const char kFactoryName[] = "getComponentInstance";

#if defined(_WIN32)
const char kModuleFile[] = "ruv_importer_any_apple_qt.dll";
#else
const char kModuleFile[] = "ruv_importer_any_apple_qt.so";
#endif

// The folder of a file path, with its trailing separator; "" for a bare name.
std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Tells a missing file from one the loader refuses.
std::string load_failure(const std::string& file, const std::string& reason) {
    if (!std::ifstream(file, std::ios::binary)) return "no such file";
    return "not a loadable module (" + reason + ")";
}

std::string program_path() {
    std::vector<char> buffer(4096);
#if defined(RUV_IMPORT_WIN32_LOADER)
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size()));
    if (length == 0 || length >= buffer.size()) return std::string();
    return std::string(buffer.data(), length);
#else
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || size_t(length) >= buffer.size()) return std::string();
    return std::string(buffer.data(), size_t(length));
#endif
}

}  // namespace

plugin_module::~plugin_module() {
    if (!m_handle) return;
#if defined(RUV_IMPORT_WIN32_LOADER)
    FreeLibrary(static_cast<HMODULE>(m_handle));
#else
    dlclose(m_handle);
#endif
}

bool plugin_module::load(const std::string& path, std::string& error) {
    m_path = path;
    // A bare file name names a file in the current folder, not one found on
    // the loader's search path.
#if defined(_WIN32)
    const char* here = ".\\";
#else
    const char* here = "./";
#endif
    std::string file = path.find_first_of("/\\") == std::string::npos ? here + path : path;
#if defined(RUV_IMPORT_WIN32_LOADER)
    m_handle = LoadLibraryA(file.c_str());
    if (!m_handle) {
        error = load_failure(file, "error " + std::to_string(GetLastError()));
        return false;
    }
#else
    m_handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* reason = dlerror();
        error = load_failure(file, reason ? reason : "unknown error");
        return false;
    }
#endif
    return true;
}

Ruv::CM::GetComponentInstanceFn plugin_module::factory() const {
    if (!m_handle) return nullptr;
#if defined(RUV_IMPORT_WIN32_LOADER)
    FARPROC symbol = GetProcAddress(static_cast<HMODULE>(m_handle), kFactoryName);
#else
    void* symbol = dlsym(m_handle, kFactoryName);
#endif
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Ruv::CM::GetComponentInstanceFn>(reinterpret_cast<void (*)()>(symbol));
}

std::string default_module_path() { return folder_of(program_path()) + kModuleFile; }

}  // namespace ruv_import

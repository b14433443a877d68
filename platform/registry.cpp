// RegOpenKeyExA, RegQueryValueExA and RegCloseKey over the registry file.
// An opened key is a snapshot of its values taken when it was opened.
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "registry_file.h"
#include "windows.h"

using win32_posix::registry_key_data;

namespace {

std::mutex g_keys_mutex;
std::set<registry_key_data*>& open_keys() {
    static std::set<registry_key_data*> keys;
    return keys;
}

const char* predefined_key_name(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_USERS) return "HKEY_USERS";
    return nullptr;
}

registry_key_data* opened_key(HKEY key) {
    auto* data = reinterpret_cast<registry_key_data*>(key);
    std::lock_guard<std::mutex> lock(g_keys_mutex);
    return open_keys().count(data) ? data : nullptr;
}

// The full path of key, or empty when key is no valid handle.
std::string key_path(HKEY key) {
    if (const char* name = predefined_key_name(key)) return name;
    registry_key_data* data = opened_key(key);
    return data ? data->path : std::string();
}

}  // namespace

extern "C" LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string path = key_path(key);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (sub_key && *sub_key) {
        std::string sub(sub_key);
        while (!sub.empty() && sub.back() == '\\') sub.pop_back();
        path += "\\" + sub;
    }
    auto* data = new registry_key_data();
    if (!win32_posix::read_registry_key(path, *data)) {
        delete data;
        return ERROR_FILE_NOT_FOUND;
    }
    std::lock_guard<std::mutex> lock(g_keys_mutex);
    open_keys().insert(data);
    *result = reinterpret_cast<HKEY>(data);
    return ERROR_SUCCESS;
}

extern "C" LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type,
                                 LPBYTE data, LPDWORD data_size) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (data && !data_size) return ERROR_INVALID_PARAMETER;
    registry_key_data* opened = opened_key(key);
    if (!opened) return ERROR_INVALID_HANDLE;
    auto it = opened->values.find(win32_posix::registry_fold(value_name ? value_name : ""));
    if (it == opened->values.end()) return ERROR_FILE_NOT_FOUND;
    const std::string& text = it->second;
    const DWORD needed = DWORD(text.size() + 1);
    if (type) *type = REG_SZ;
    if (!data) {
        if (data_size) *data_size = needed;
        return ERROR_SUCCESS;
    }
    if (*data_size < needed) {
        *data_size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, text.c_str(), needed);
    *data_size = needed;
    return ERROR_SUCCESS;
}

extern "C" LONG RegCloseKey(HKEY key) {
    if (predefined_key_name(key)) return ERROR_SUCCESS;
    auto* data = reinterpret_cast<registry_key_data*>(key);
    {
        std::lock_guard<std::mutex> lock(g_keys_mutex);
        if (!open_keys().erase(data)) return ERROR_INVALID_HANDLE;
    }
    delete data;
    return ERROR_SUCCESS;
}

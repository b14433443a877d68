// Finding, loading and binding the QuickTime runtime (QuickTime.qts).
//
// Nothing is loaded until the first QuickTime operation runs: every operation
// stub calls the first-call hook (PrepareQuickTime) while it is set, which
// loads the runtime, binds its three entries and clears the hook. Until then,
// and whenever the runtime cannot be found, the entries answer -2095.
//
// The state is process-wide and unguarded: it is written only by the first
// calls, and afterwards only read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quicktime/mac_types.h"

extern "C" {

typedef long (*qtb_entry)();
typedef void (*qtb_hook)();

// The process-wide state read by the operation stubs. The library handle is
// the HMODULE of the runtime; this header keeps <windows.h> out of its users.
extern void* qtb_library;
extern qtb_hook qtb_first_call_hook;
extern qtb_entry qtb_dispatcher_entry;             // theQuickTimeDispatcher
extern qtb_entry qtb_call_component_entry;         // _CallComponent (bound, never called)
extern qtb_entry qtb_call_with_storage_entry;      // _CallComponentFunctionWithStorage
extern bool qtb_version_known;
extern bool qtb_version_sufficient;
// Answered instead of a data symbol's address by a runtime older than 7.0.2;
// it holds a null pointer.
extern void* qtb_empty_data_symbol_slot;

// Ignores its arguments and answers -2095 (no runtime bound).
long UnboundEntry();

// The module handle of file_name loaded from the QuickTime system folder, else
// from the QuickTime extension folder; null when neither has it.
void* LoadQuickTimeLibrary(const char* file_name);

// The folder QuickTime.qts lives in, with a trailing separator: the folder of
// an already loaded QuickTime.qts, the registry's "QTSysDir" or
// "QuickTime.qts folder", or the Windows system directory. False, and the
// buffer empty, when none is found.
bool GetQuickTimeSystemFolder(char* buffer, size_t size);

// The folder of QuickTime's extensions: the registry's "QTExtDir", else the
// system folder, or its "QuickTime" subfolder when the system folder is the
// Windows system directory. Answers the length written (0 when none).
size_t GetQuickTimeExtensionFolder(char* buffer, size_t size);

// Reads a folder from the value of the QuickTime key under HKEY_LOCAL_MACHINE
// and gives it a trailing backslash; the buffer is empty when there is none.
void ReadQuickTimeFolderSetting(const char* key_path, const char* value_name, char* buffer,
                                size_t size);

// The file version of path as its two 32-bit words; both 0 when the file has
// no version information.
void GetFileVersionNumbers(const char* path, uint32_t* most_significant,
                           uint32_t* least_significant);

// Whether the runtime is recent enough (file version 7.0.2.0 or later) for the
// operation with this selector. Read once; a missing runtime is asked again.
bool IsSelectorAvailable(uint32_t selector);

// Binds the runtime's three entries; 0, or -2094 at the first one missing.
OSErr BindQuickTimeEntryPoints();

// The first-call hook: loads and binds the runtime, then lets its handle go
// when CanReleaseLibraryHandle answers true (the runtime keeps itself loaded)
// or, the binding having failed, answers -2095.
void PrepareQuickTime();

}  // extern "C"

// The loader's own answers: an entry point missing from the runtime, and no
// runtime bound.
enum : OSErr {
    kQTEntryPointMissing = -2094,
    kQTRuntimeUnavailable = -2095,
};

// The registry key of QuickTime's settings under HKEY_LOCAL_MACHINE.
constexpr const char kQuickTimeRegistryKey[] = "Software\\Apple Computer, Inc.\\QuickTime";
constexpr const char kQuickTimeLibraryName[] = "QuickTime.qts";
// The first runtime with every gated operation: 7.0.2.0, packed a byte a part.
constexpr uint32_t kFirstSufficientVersion = 0x07000200;

// Packs a file version's two words a byte per part (the low byte of each).
constexpr uint32_t pack_file_version(uint32_t most_significant, uint32_t least_significant) {
    return (most_significant >> 16 & 0xFF) << 24 | (most_significant & 0xFF) << 16 |
           (least_significant >> 16 & 0xFF) << 8 | (least_significant & 0xFF);
}

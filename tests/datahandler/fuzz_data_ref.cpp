// libFuzzer target: the bytes are a handle data reference, given to
// data_ref_from_handle and then to the data handler's calls. Byte 0 (in the
// handle slot, which nothing reads) chooses the address of a handle that
// parses: 0 keeps the one the input carries, which the module never made and
// must refuse; 1 puts in that of a data reference destroyed just before; any
// other value that of a live data reference over the same bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "datahandler/register_data_handler.h"
#include "quicktime/routines.h"

using dh_test::call_entry;
using dh_test::word;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (register_data_handler(), true);
    (void)registered;
    const std::vector<uint8_t> bytes(data, data + size);
    std::unique_ptr<CMStreamDataRef> live(dh_test::memory_data_ref(bytes, "kolmfs://fuzz/data.mov"));
    uintptr_t destroyed = 0;
    {
        std::unique_ptr<CMStreamDataRef> gone(dh_test::memory_data_ref(bytes, "kolmfs://fuzz/gone.mov"));
        destroyed = reinterpret_cast<uintptr_t>(gone.get());
    }
    Handle h = dh_test::handle_with(bytes);
    if (h == nullptr) return 0;
    const size_t at = size > 4 ? 13 + size_t(bytes[4]) : size;
    if (size > 0 && bytes[0] != 0 && at + 4 <= size) {
        const uintptr_t address = bytes[0] == 1 ? destroyed : reinterpret_cast<uintptr_t>(live.get());
        for (int i = 0; i < 4; ++i) (*h)[at + size_t(i)] = char(address >> (8 * i));
    }
    auto* storage = NewPtrClear(12);
    if (storage == nullptr) {
        DisposeHandle(h);
        return 0;
    }
    long flags = 0;
    Boolean equal = false;
    call_entry(storage, 0x13, {word(h), word(&flags)});  // CanUseDataRef
    call_entry(storage, 0x0A, {word(h)});                // SetDataRef
    call_entry(storage, 0x0C, {word(h), word(&equal)});  // CompareDataRef
    unsigned char name[256];
    call_entry(storage, 0x25, {word(name)});  // GetFileName
    wide file_size{};
    call_entry(storage, 0x30, {word(&file_size)});  // GetFileSize64
    uint8_t buffer[64];
    const wide offset{uint32_t(size / 2), 0};
    call_entry(storage, 0x2E, {word(buffer), word(&offset), int32_t(sizeof buffer), 0, 0, 0});  // ScheduleData64
    Handle copy = nullptr;
    if (call_entry(storage, 0x0B, {word(&copy)}) == noErr) DisposeHandle(copy);  // GetDataRef
    call_entry(storage, -2, {0});                                                // Close
    DisposeHandle(h);
    return 0;
}

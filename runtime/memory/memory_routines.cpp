// The routines of this area of the runtime, by selector.
#include "core/routine_table.h"
#include "memory/memory_manager.h"

namespace qtrt {

namespace {

const routine k_rows[] = {
    {0x150006, reinterpret_cast<const void*>(&MemError)},
    {0x150008, reinterpret_cast<const void*>(&NewHandle)},
    {0x15000A, reinterpret_cast<const void*>(&NewHandleClear)},
    {0x150011, reinterpret_cast<const void*>(&NewPtrClear)},
    {0x150019, reinterpret_cast<const void*>(&HLock)},
    {0x15001A, reinterpret_cast<const void*>(&HUnlock)},
    {0x15002F, reinterpret_cast<const void*>(&DisposePtr)},
    {0x150030, reinterpret_cast<const void*>(&GetPtrSize)},
    {0x150032, reinterpret_cast<const void*>(&DisposeHandle)},
    {0x150034, reinterpret_cast<const void*>(&GetHandleSize)},
    {0x15003F, reinterpret_cast<const void*>(&BlockMoveData)},
    {0x15005B, reinterpret_cast<const void*>(&HandToHand)},
    {0x15005D, reinterpret_cast<const void*>(&PtrToHand)},
    {0x15005F, reinterpret_cast<const void*>(&PtrAndHand)},
    {0x1D0017, reinterpret_cast<const void*>(&EndianU64_BtoN)},
};

}  // namespace

extern const routine_table k_memory_routines;
const routine_table k_memory_routines = make_table(k_rows);

}  // namespace qtrt

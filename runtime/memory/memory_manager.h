// The Memory Manager: relocatable blocks reached through handles, nonrelocatable
// pointer blocks, the byte copy and the per-thread result of the last call.
//
// A Handle points to a master pointer; the master pointer points to the block.
// The block may move when it grows (never while locked), the master pointer
// does not. Every call sets MemError for the calling thread.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

namespace qtrt {

// Handles.
Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
void SetHandleSize(Handle h, Size newSize);
void HLock(Handle h);
void HUnlock(Handle h);
OSErr PtrToHand(const void* srcPtr, Handle* dstHndl, int32_t size);
OSErr PtrAndHand(const void* ptr1, Handle hand2, int32_t size);
OSErr HandToHand(Handle* theHndl);

// Nonrelocatable blocks.
Ptr NewPtr(Size byteCount);
Ptr NewPtrClear(Size byteCount);
Size GetPtrSize(Ptr p);
void DisposePtr(Ptr p);

// Copies count bytes; the ranges may overlap.
void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);

// The result of the calling thread's last Memory Manager call.
OSErr MemError();

// A big-endian 64-bit value in native byte order.
uint64_t EndianU64_BtoN(uint64_t value);

// For the runtime's own checks: true when h is a live handle of this manager.
bool is_valid_handle(Handle h);

}  // namespace qtrt

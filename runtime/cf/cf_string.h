// CoreFoundation strings. The text is kept as UTF-16 so that lengths and
// ranges count UTF-16 units as CoreFoundation does.
//
// Routines whose public form takes a structure or returns one by value are
// reached through the call surface's forwarded form: the routine receives the
// address of its result slot first, then the address of every parameter in
// order, and writes its result into the slot. Those routines are written here
// in that address-list form and named with the suffix _fwd.
#pragma once

#include <string>

#include "quicktime/core_foundation.h"

namespace qtrt {

// Internal helpers for the other areas of the runtime.
CFStringRef make_cf_string(const std::string& utf8);  // +1 reference
// The text of s as UTF-8; false when s is not a live string.
bool cf_string_utf8(CFStringRef s, std::string& utf8);
bool cf_string_utf16(CFStringRef s, std::u16string& text);

// Public routines.
CFStringRef __CFStringMakeConstantString(const char* cStr);
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes,
                                    CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean isExternalRepresentation);
CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString);
CFIndex CFStringGetLength(CFStringRef theString);
Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer,
                                CFIndex bufferSize, CFStringEncoding encoding);
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFOptionFlags compareOptions);
Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix);

// Public forms, for the runtime's own use.
CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str,
                                        CFRange range);
CFIndex CFStringGetBytes(CFStringRef theString, CFRange range,
                         CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer,
                         CFIndex maxBufLen, CFIndex* usedBufLen);
Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind,
                                CFRange rangeToSearch, CFOptionFlags searchOptions,
                                CFRange* result);
CFIndex CFStringFindAndReplace(CFMutableStringRef theString, CFStringRef stringToFind,
                               CFStringRef replacementString, CFRange rangeToSearch,
                               CFOptionFlags compareOptions);

// Forwarded forms, as the dispatcher reaches them.
void CFStringCreateWithSubstring_fwd(CFStringRef* result, const CFAllocatorRef* alloc,
                                     const CFStringRef* str, const CFRange* range);
void CFStringGetBytes_fwd(CFIndex* result, const CFStringRef* theString,
                          const CFRange* range, const CFStringEncoding* encoding,
                          const UInt8* lossByte, const Boolean* isExternalRepresentation,
                          UInt8* const* buffer, const CFIndex* maxBufLen,
                          CFIndex* const* usedBufLen);
void CFStringFindWithOptions_fwd(Boolean* result, const CFStringRef* theString,
                                 const CFStringRef* stringToFind,
                                 const CFRange* rangeToSearch,
                                 const CFOptionFlags* searchOptions,
                                 CFRange* const* found);
void CFStringFindAndReplace_fwd(CFIndex* result, const CFMutableStringRef* theString,
                                const CFStringRef* stringToFind,
                                const CFStringRef* replacementString,
                                const CFRange* rangeToSearch,
                                const CFOptionFlags* compareOptions);

}  // namespace qtrt

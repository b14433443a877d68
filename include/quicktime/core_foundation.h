// The CoreFoundation subset QuickTime for Windows carries: strings, URLs and
// their constants.
#pragma once

#include <cstdint>

#include "quicktime/mac_types.h"

typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFURL* CFURLRef;
typedef int32_t CFIndex;
typedef uint32_t CFOptionFlags;
typedef uint32_t CFStringEncoding;
typedef CFIndex CFComparisonResult;
typedef CFIndex CFURLPathStyle;

struct CFRange {
    CFIndex location;
    CFIndex length;
};

enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingWindowsLatin1 = 0x0500,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100,
};

enum : CFIndex {
    kCFURLPOSIXPathStyle = 0,
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2,
};

enum : CFIndex {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

enum : CFOptionFlags {
    kCFCompareCaseInsensitive = 1,
    kCFCompareBackwards = 4,
    kCFCompareAnchored = 8,
    kCFCompareNonliteral = 16,
};

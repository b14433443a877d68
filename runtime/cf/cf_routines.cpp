// The routines of this area of the runtime, by selector. Rows marked
// "forwarded" take the address of their result slot and then the address of
// every parameter.
#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "core/routine_table.h"

namespace qtrt {

namespace {

const routine k_rows[] = {
    {0x32006C, reinterpret_cast<const void*>(&CFRelease)},
    {0x3201DB, reinterpret_cast<const void*>(&CFStringCreateWithCString)},
    {0x3201E0, reinterpret_cast<const void*>(&CFStringCreateWithSubstring_fwd)},  // forwarded
    {0x3201E4, reinterpret_cast<const void*>(&CFStringCreateMutable)},
    {0x3201E7, reinterpret_cast<const void*>(&CFStringGetLength)},
    {0x3201EA, reinterpret_cast<const void*>(&CFStringGetPascalString)},
    {0x3201EB, reinterpret_cast<const void*>(&CFStringGetCString)},
    {0x3201ED, reinterpret_cast<const void*>(&CFStringGetCStringPtr)},
    {0x3201EF, reinterpret_cast<const void*>(&CFStringGetBytes_fwd)},  // forwarded
    {0x3201F0, reinterpret_cast<const void*>(&CFStringCreateWithBytes)},
    {0x3201F7, reinterpret_cast<const void*>(&CFStringCompare)},
    {0x3201F8, reinterpret_cast<const void*>(&CFStringFindWithOptions_fwd)},  // forwarded
    {0x3201FB, reinterpret_cast<const void*>(&CFStringHasPrefix)},
    {0x320204, reinterpret_cast<const void*>(&CFStringAppend)},
    {0x32020E, reinterpret_cast<const void*>(&CFStringFindAndReplace_fwd)},  // forwarded
    {0x320222, reinterpret_cast<const void*>(&__CFStringMakeConstantString)},
    {0x320225, reinterpret_cast<const void*>(&CFURLCreateWithString)},
    {0x320226, reinterpret_cast<const void*>(&CFURLCreateWithFileSystemPath)},
    {0x320233, reinterpret_cast<const void*>(&CFURLCopyFileSystemPath)},
    {0x320243, reinterpret_cast<const void*>(&CFURLCreateStringByReplacingPercentEscapes)},
    {0x320244, reinterpret_cast<const void*>(&CFURLCreateStringByAddingPercentEscapes)},
    {0x32028A, reinterpret_cast<const void*>(&CFDataPointerForName)},
};

}  // namespace

extern const routine_table k_cf_routines;
const routine_table k_cf_routines = make_table(k_rows);

}  // namespace qtrt

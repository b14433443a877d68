// CoreFoundation strings as the plug-in uses them: Pascal strings of limited
// room, substrings, find and replace, bytes in an encoding, constants.
#include <gtest/gtest.h>

#include <utility>

#include "cf_test_support.h"

using namespace qtrt;

// 255 bytes fit; a longer text leaves an empty string. UTF-8 counts bytes,
// Mac OS Roman one byte per character.
TEST(PascalString, FitsUpTo255Bytes) {
    Str255 buffer;
    cf_ref fits(utf8_string(std::string(255, 'n'))), too_long(utf8_string(std::string(256, 'n')));
    EXPECT_TRUE(CFStringGetPascalString(fits.str(), buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_EQ(buffer[0], 255);
    EXPECT_FALSE(
        CFStringGetPascalString(too_long.str(), buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_EQ(buffer[0], 0);

    std::string accents;
    for (int i = 0; i < 128; ++i) accents += "\xC3\xA9";
    cf_ref wide(utf8_string(accents));
    EXPECT_FALSE(CFStringGetPascalString(wide.str(), buffer, 256, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetPascalString(wide.str(), buffer, 256, kCFStringEncodingMacRoman));
    EXPECT_EQ(buffer[0], 128);
    EXPECT_EQ(buffer[1], 0x8E);
}

TEST(CFStringCreate, InvalidUtf8GivesNoString) {
    const UInt8 bad[] = {'a', 0xC3, 0x28};
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, bad, 3, kCFStringEncodingUTF8, false), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
}

// A range outside the string gives no string.
TEST(Substring, TakesTheRangeThroughTheForwardedForm) {
    cf_ref s(utf8_string("movie.mov"));
    const std::pair<CFRange, const char*> cases[] = {
        {{6, 3}, "mov"}, {{6, 4}, "<null>"}, {{0x7FFFFFFF, 2}, "<null>"}};
    for (const auto& [range, expected] : cases) {
        CFStringRef result = reinterpret_cast<CFStringRef>(1);
        CFAllocatorRef alloc = nullptr;
        CFStringRef source = s.str();
        CFRange r = range;
        CFStringCreateWithSubstring_fwd(&result, &alloc, &source, &r);
        cf_ref owned(result);
        EXPECT_EQ(text_of(result), expected) << range.location << "+" << range.length;
    }
}

struct replace_case {
    const char* text;
    const char* find;
    const char* replacement;
    CFRange range;  // length -1: the whole string
    CFOptionFlags options;
    CFIndex count;
    const char* result;
};

TEST(FindAndReplace, CountsAndReplaces) {
    const replace_case cases[] = {{"\\\\srv\\a\\b.mov", "\\", "/", {0, -1}, 0, 4, "//srv/a/b.mov"},
                                  {"xXx", "x", "-", {0, -1}, kCFCompareCaseInsensitive, 3, "---"},
                                  {"abcabc", "abc", "", {1, 5}, 0, 1, "abc"}};
    for (const replace_case& c : cases) {
        cf_ref text(CFStringCreateMutable(nullptr, 0));
        cf_ref initial(utf8_string(c.text)), find(utf8_string(c.find)),
            replacement(utf8_string(c.replacement));
        CFStringAppend(text.mut(), initial.str());
        CFRange range = c.range.length < 0 ? CFRange{0, CFStringGetLength(text.str())} : c.range;
        CFIndex count = -1;
        CFMutableStringRef target = text.mut();
        CFStringRef find_ref = find.str(), replacement_ref = replacement.str();
        CFOptionFlags options = c.options;
        CFStringFindAndReplace_fwd(&count, &target, &find_ref, &replacement_ref, &range, &options);
        EXPECT_EQ(count, c.count) << c.text;
        EXPECT_EQ(text_of(text.ref), c.result) << c.text;
    }
}

TEST(FindWithOptions, BackwardsFindsTheLastOccurrence) {
    cf_ref s(utf8_string("a.b.c")), dot(utf8_string("."));
    CFRange found{-1, -1};
    EXPECT_TRUE(CFStringFindWithOptions(s.str(), dot.str(), CFRange{0, 5}, kCFCompareBackwards,
                                        &found));
    EXPECT_EQ(found.location, 3);
    EXPECT_EQ(found.length, 1);
    EXPECT_FALSE(CFStringFindWithOptions(s.str(), dot.str(), CFRange{4, 1}, 0, &found));
}

TEST(GetBytes, StopsAtTheBufferOrAtALossWithoutLossByte) {
    cf_ref s(utf8_string("ab\xE2\x82\xAC" "c"));
    UInt8 buffer[8];
    CFIndex used = -1;
    EXPECT_EQ(CFStringGetBytes(s.str(), CFRange{0, 4}, kCFStringEncodingUTF8, 0, false, buffer,
                               4, &used),
              2);
    EXPECT_EQ(used, 2);
    EXPECT_EQ(CFStringGetBytes(s.str(), CFRange{0, 4}, kCFStringEncodingASCII, 0, false, buffer,
                               8, &used),
              2);
    EXPECT_EQ(CFStringGetBytes(s.str(), CFRange{0, 4}, kCFStringEncodingASCII, '?', false,
                               buffer, 8, &used),
              4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size_t(used)), "ab?c");
    // Without a buffer the call measures.
    EXPECT_EQ(CFStringGetBytes(s.str(), CFRange{0, 4}, kCFStringEncodingUTF8, 0, false, nullptr,
                               0, &used),
              4);
    EXPECT_EQ(used, 6);
}

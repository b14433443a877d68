// CoreFoundation URLs as the plug-in makes them from paths: percent escapes
// removed and added, file-system paths of each style, and file paths back.
#include <gtest/gtest.h>

#include "cf/cf_url.h"
#include "cf_test_support.h"

using namespace qtrt;

struct escape_case {
    const char* escaped;
    const char* plain;
};

class PercentEscapes : public ::testing::TestWithParam<escape_case> {};

TEST_P(PercentEscapes, RemovedAndAddedAgain) {
    cf_ref escaped(utf8_string(GetParam().escaped)), plain(utf8_string(GetParam().plain));
    cf_ref all(utf8_string(""));
    cf_ref removed(CFURLCreateStringByReplacingPercentEscapes(nullptr, escaped.str(), all.str()));
    EXPECT_EQ(text_of(removed.ref), GetParam().plain);
    cf_ref added(CFURLCreateStringByAddingPercentEscapes(nullptr, plain.str(), nullptr, nullptr,
                                                         kCFStringEncodingUTF8));
    EXPECT_EQ(text_of(added.ref), GetParam().escaped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentEscapes,
    ::testing::Values(escape_case{"file:///C:/My%20Movies/a.mov", "file:///C:/My Movies/a.mov"},
                      escape_case{"caf%C3%A9%7B%7D", "caf\xC3\xA9{}"},
                      escape_case{"a?b=c#d;e&f", "a?b=c#d;e&f"}));

TEST(PercentEscapes, MalformedEscapeGivesNoString) {
    cf_ref all(utf8_string(""));
    for (const char* bad : {"%", "%4", "%zz", "%C3", "%FF"}) {
        cf_ref s(utf8_string(bad));
        cf_ref out(CFURLCreateStringByReplacingPercentEscapes(nullptr, s.str(), all.str()));
        EXPECT_EQ(out.ref, nullptr) << bad;
    }
}

struct path_case {
    const char* path;
    CFURLPathStyle style;
    bool directory;
    const char* url;
    const char* back;  // the path made from the URL; null: the same path
};

class FileSystemPath : public ::testing::TestWithParam<path_case> {};

TEST_P(FileSystemPath, ToUrlAndBack) {
    const path_case& c = GetParam();
    cf_ref path(utf8_string(c.path));
    cf_ref url(CFURLCreateWithFileSystemPath(nullptr, path.str(), c.style, c.directory));
    std::string text;
    ASSERT_TRUE(cf_url_string(url.url(), text));
    EXPECT_EQ(text, c.url);
    cf_ref back(CFURLCopyFileSystemPath(url.url(), c.style));
    EXPECT_EQ(text_of(back.ref), c.back != nullptr ? c.back : c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FileSystemPath,
    ::testing::Values(
        path_case{"C:\\Movies\\clip one.mov", kCFURLWindowsPathStyle, false,
                  "file:///C:/Movies/clip%20one.mov", nullptr},
        path_case{"\\\\server\\share\\dir\\a#1.mov", kCFURLWindowsPathStyle, false,
                  "file://server/share/dir/a%231.mov", nullptr},
        path_case{"D:", kCFURLWindowsPathStyle, true, "file:///D:/", "D:\\"},
        path_case{"/tmp/100%/caf\xC3\xA9.mov", kCFURLPOSIXPathStyle, false,
                  "file:///tmp/100%25/caf%C3%A9.mov", nullptr}));

TEST(UrlWithString, RejectsTextThatIsNotAUrl) {
    for (const char* bad : {"file:///a b.mov", "file:///a%2", "http://x/{y}", "a#b#c"}) {
        cf_ref s(utf8_string(bad));
        cf_ref url(CFURLCreateWithString(nullptr, s.str(), nullptr));
        EXPECT_EQ(url.ref, nullptr) << bad;
    }
}

// CoreFoundation URLs as the plug-in makes them from paths: percent escapes
// removed and added, file-system paths of each style, and file paths back.
#include <gtest/gtest.h>

#include <utility>

#include "cf/cf_url.h"
#include "cf_test_support.h"

using namespace qtrt;

TEST(PercentEscapes, RemovedAndAddedAgain) {
    cf_ref all(utf8_string(""));
    // Escaped, plain.
    const std::pair<const char*, const char*> cases[] = {
        {"file:///C:/My%20Movies/a.mov", "file:///C:/My Movies/a.mov"},
        {"caf%C3%A9%7B%7D", "caf\xC3\xA9{}"},
        {"a?b=c#d;e&f", "a?b=c#d;e&f"}};
    for (const auto& [escaped, plain] : cases) {
        cf_ref escaped_text(utf8_string(escaped)), plain_text(utf8_string(plain));
        cf_ref removed(
            CFURLCreateStringByReplacingPercentEscapes(nullptr, escaped_text.str(), all.str()));
        EXPECT_EQ(text_of(removed.ref), plain);
        cf_ref added(CFURLCreateStringByAddingPercentEscapes(nullptr, plain_text.str(), nullptr,
                                                             nullptr, kCFStringEncodingUTF8));
        EXPECT_EQ(text_of(added.ref), escaped);
    }
    // A malformed escape gives no string.
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

TEST(FileSystemPath, ToUrlAndBack) {
    const path_case cases[] = {{"C:\\Movies\\clip one.mov", kCFURLWindowsPathStyle, false,
                                "file:///C:/Movies/clip%20one.mov", nullptr},
                               {"\\\\server\\share\\dir\\a#1.mov", kCFURLWindowsPathStyle, false,
                                "file://server/share/dir/a%231.mov", nullptr},
                               {"D:", kCFURLWindowsPathStyle, true, "file:///D:/", "D:\\"},
                               {"/tmp/100%/caf\xC3\xA9.mov", kCFURLPOSIXPathStyle, false,
                                "file:///tmp/100%25/caf%C3%A9.mov", nullptr}};
    for (const path_case& c : cases) {
        cf_ref path(utf8_string(c.path));
        cf_ref url(CFURLCreateWithFileSystemPath(nullptr, path.str(), c.style, c.directory));
        std::string text;
        ASSERT_TRUE(cf_url_string(url.url(), text)) << c.path;
        EXPECT_EQ(text, c.url);
        cf_ref back(CFURLCopyFileSystemPath(url.url(), c.style));
        EXPECT_EQ(text_of(back.ref), c.back != nullptr ? c.back : c.path);
    }
}

TEST(UrlWithString, RejectsTextThatIsNotAUrl) {
    for (const char* bad : {"file:///a b.mov", "file:///a%2", "http://x/{y}", "a#b#c"}) {
        cf_ref s(utf8_string(bad));
        cf_ref url(CFURLCreateWithString(nullptr, s.str(), nullptr));
        EXPECT_EQ(url.ref, nullptr) << bad;
    }
}

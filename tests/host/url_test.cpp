// URL helpers on plain paths, Windows drive and UNC paths, and URLs.
#include <gtest/gtest.h>

#include "lib/kolmbase/strings.h"

namespace {

struct url_case {
    const char* url;
    const char* scheme;
    const char* path;  // unescaped
};

class UrlPieces : public ::testing::TestWithParam<url_case> {};

TEST_P(UrlPieces, SchemeAndPath) {
    EXPECT_EQ(kolmbase::url_scheme(GetParam().url), GetParam().scheme);
    EXPECT_EQ(kolmbase::url_path(GetParam().url, true), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UrlPieces,
    ::testing::Values(url_case{"c:/media/clip.mov", "", "c:/media/clip.mov"},
                      url_case{"\\\\server\\share\\clip.mov", "", "\\\\server\\share\\clip.mov"},
                      url_case{"file:///C:/media/my%20clip.mov", "file", "/C:/media/my clip.mov"},
                      url_case{"smb://nas/share/a.mov?x=1#f", "smb", "/share/a.mov"},
                      url_case{"kolmfs://store", "kolmfs", ""},
                      url_case{"mem:clip", "mem", "clip"},
                      url_case{"1abc://h/p", "", "1abc://h/p"}));

TEST(UrlPath, KeepsEscapesUnlessAsked) {
    EXPECT_EQ(kolmbase::url_path("ftp://h/a%20b%zz", false), "/a%20b%zz");
    EXPECT_EQ(kolmbase::url_path("ftp://h/a%20b%zz", true), "/a b%zz");
    EXPECT_EQ(kolmbase::url_path("ftp://h/a%2", true), "/a%2");
}

struct set_path_case {
    const char* url;
    const char* path;
    bool escape;
    const char* result;
};

class UrlSetPath : public ::testing::TestWithParam<set_path_case> {};

TEST_P(UrlSetPath, ReplacesOnlyThePath) {
    EXPECT_EQ(kolmbase::url_set_path(GetParam().url, GetParam().path, GetParam().escape),
              GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, UrlSetPath,
    ::testing::Values(
        set_path_case{"smb://nas/a.mov?v=2#t", "/b.mov", false, "smb://nas/b.mov?v=2#t"},
        set_path_case{"smb://nas/a.mov", "b.mov", false, "smb://nas/b.mov"},
        set_path_case{"ftp://h/a", "/my clip#1.mov", true, "ftp://h/my%20clip%231.mov"},
        set_path_case{"/media/a.mov", "/media/b c.mov", true, "/media/b c.mov"}));

TEST(PathFile, LastComponentForEitherSeparator) {
    EXPECT_EQ(kolmbase::path_file("C:\\media/sub\\clip.mov", '\\'), "clip.mov");
    EXPECT_EQ(kolmbase::path_file("/media/clip.mov", '\\'), "clip.mov");
    EXPECT_EQ(kolmbase::path_file("/media/", '/'), "");
}

TEST(FourCC, NonPrintableBytesShowAsDots) {
    EXPECT_EQ(kolmbase::string_with_fourcc(0x7A766820), "zvh ");
    EXPECT_EQ(kolmbase::string_with_fourcc(0x00FF4142), "..AB");
}

}  // namespace

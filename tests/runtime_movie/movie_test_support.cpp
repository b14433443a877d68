#include "runtime_movie/movie_test_support.h"

#include <gtest/gtest.h>

#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "support/native_path_style.h"

namespace movie_test {

OSErr open_movie(const std::string& path, Movie& movie) {
    movie = nullptr;
    CFStringRef text = qtrt::make_cf_string(path);
    CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, text, test_support::kNativePathStyle, 0);
    Boolean yes = 1;
    QTNewMoviePropertyElement props[3] = {
        {qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0},
        {qt_fourcc("mprp"), qt_fourcc("intn"), sizeof yes, &yes, 0},
        {qt_fourcc("mins"), qt_fourcc("aurn"), sizeof yes, &yes, 0},
    };
    OSErr err = qtrt::NewMovieFromProperties(3, props, 0, nullptr, &movie);
    qtrt::CFRelease(url);
    qtrt::CFRelease(text);
    return err;
}

std::string output_path(const std::string& name) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : test)
        if (c == '/') c = '_';
    return std::string(RUV_OUTPUT_DIR) + "/movie_" + test + "_" + name;
}

movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name) {
    const std::string path = output_path(name);
    if (!test_movie::write_movie(plan, path)) {
        ADD_FAILURE() << "cannot write " << path;
        return nullptr;
    }
    Movie movie = nullptr;
    OSErr err = open_movie(path, movie);
    EXPECT_EQ(err, noErr) << "opening " << path;
    return movie_ptr(movie);
}

Track track_of_type(Movie movie, OSType type) {
    return qtrt::GetMovieIndTrackType(movie, 1, type, 1 /* movieTrackMediaType */);
}

Media media_of_type(Movie movie, OSType type) {
    Track track = track_of_type(movie, type);
    return track ? qtrt::GetTrackMedia(track) : nullptr;
}

}  // namespace movie_test

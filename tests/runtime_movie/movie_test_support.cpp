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

movie_ptr open_path(const std::string& path, OSErr* err) {
    Movie movie = nullptr;
    const OSErr result = open_movie(path, movie);
    if (err)
        *err = result;
    else
        EXPECT_EQ(result, noErr) << "opening " << path;
    return movie_ptr(movie);
}

movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name) {
    const std::string path = output_path(name);
    if (test_movie::write_movie(plan, path)) return open_path(path);
    ADD_FAILURE() << "cannot write " << path;
    return nullptr;
}

movie_ptr open_bytes(const test_movie::bytes& file, const std::string& name, OSErr* err) {
    const std::string path = output_path(name);
    if (test_movie::write_bytes(file, path)) return open_path(path, err);
    ADD_FAILURE() << "cannot write " << path;
    if (err) *err = -1;
    return nullptr;
}

OSErr read_sample(Media media, TimeValue64 time, uint8_t* data, ByteCount room, ByteCount* size) {
    return qtrt::GetMediaSample2(media, data, room, size, time, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, 1, nullptr, nullptr);
}

Track track_of_type(Movie movie, OSType type) {
    return qtrt::GetMovieIndTrackType(movie, 1, type, 1 /* movieTrackMediaType */);
}

Media media_of_type(Movie movie, OSType type) {
    Track track = track_of_type(movie, type);
    return track ? qtrt::GetTrackMedia(track) : nullptr;
}

}  // namespace movie_test

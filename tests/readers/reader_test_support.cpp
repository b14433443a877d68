#include "readers/reader_test_support.h"

#include <gtest/gtest.h>


#include "importer/track_video.h"
#include "quicktime/routines.h"
#include "support/native_path_style.h"

namespace reader_test {

void movie_disposer::operator()(MovieType** movie) const {
    if (movie) DisposeMovie(movie);
}

namespace {

// A path in the output folder, unique to the running test.
std::string output_path(const std::string& name) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : test)
        if (c == '/') c = '_';
    return std::string(RUV_OUTPUT_DIR) + "/readers_" + test + "_" + name;
}

// Opens a movie file with the 'dloc'/'cfur' location; null when it does not
// open.
movie_ptr open_movie_file(const std::string& path) {
    CFStringRef text = CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    if (!text) return nullptr;
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, text, test_support::kNativePathStyle, 0);
    CFRelease(text);
    if (!url) return nullptr;
    Boolean yes = 1;
    QTNewMoviePropertyElement properties[3] = {
        {qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0},
        {qt_fourcc("mprp"), qt_fourcc("intn"), sizeof yes, &yes, 0},
        {qt_fourcc("mins"), qt_fourcc("aurn"), sizeof yes, &yes, 0},
    };
    Movie movie = nullptr;
    const OSErr err = NewMovieFromProperties(3, properties, 0, nullptr, &movie);
    CFRelease(url);
    return movie_ptr(err == noErr ? movie : nullptr);
}

}  // namespace

movie_ptr open_built(const test_movie::movie_plan& plan, const std::string& name) {
    const std::string path = output_path(name);
    if (!test_movie::write_movie(plan, path)) {
        ADD_FAILURE() << "cannot write " << path;
        return nullptr;
    }
    movie_ptr movie = open_movie_file(path);
    EXPECT_NE(movie, nullptr) << "opening " << path;
    return movie;
}

bool open_track(const movie_ptr& movie, ns_movie_apple_qt::track& track, double start, double end) {
    if (!movie) {
        ADD_FAILURE() << "no movie";
        return false;
    }
    const int opened = track.open(movie.get());
    const int sought = opened == 0 ? track.seek(start, end) : opened;
    if (sought != 0) ADD_FAILURE() << (opened ? "open" : "seek") << " answered " << sought;
    return sought == 0;
}

movie_ptr open_bytes(const test_movie::bytes& file, const std::string& name) {
    const std::string path = output_path(name);
    if (!test_movie::write_bytes(file, path)) {
        ADD_FAILURE() << "cannot write " << path;
        return nullptr;
    }
    return open_movie_file(path);
}

frame_list::~frame_list() {
    for (ns_movie_apple_qt::frame* f : frames) ns_movie_apple_qt::release_frame(f, true);
}

void drain(ns_movie_apple_qt::track& track, frame_list& out) {
    while (ns_movie_apple_qt::frame* f = track.pop_frame()) out.frames.push_back(f);
}

int read_all(ns_movie_apple_qt::track& track, frame_list& out, size_t limit) {
    int status = 0;
    for (size_t i = 0; i < limit; ++i) {
        status = track.read();
        drain(track, out);
        if (status != 0) break;
    }
    return status;
}

int read_video(const test_movie::movie_plan& plan, frame_list& out, double start) {
    movie_ptr movie = open_built(plan);
    ns_movie_apple_qt::video_track video;
    return open_track(movie, video, start) ? read_all(video, out) : -1;
}

log_recorder::log_recorder() { ns_movie_apple_qt::log::instance().set_handler(this); }

log_recorder::~log_recorder() { ns_movie_apple_qt::log::instance().remove_handler(this); }

void log_recorder::error(int, int, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    lines.push_back(text);
}

}  // namespace reader_test

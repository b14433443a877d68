#include "runtime_movie/movie_walk.h"

#include <cstdint>
#include <vector>

#include "components/component_manager.h"
#include "memory/memory_manager.h"
#include "movie/movie_toolbox.h"

namespace movie_test {
namespace {

constexpr int kMaxSamplesWalked = 2000;
constexpr OSType kExtensions[] = {qt_fourcc("pasp"), qt_fourcc("clap"), qt_fourcc("fiel"),
                                  qt_fourcc("esds"), qt_fourcc("avcC"), qt_fourcc("ARES")};

void walk_media(Movie movie, Track track, Media media) {
    Handle description = qtrt::NewHandle(0);
    for (int32_t d = 1; d <= qtrt::GetMediaSampleDescriptionCount(media) && d <= 8; ++d) {
        qtrt::GetMediaSampleDescription(media, d, reinterpret_cast<SampleDescriptionHandle>(description));
        for (OSType type : kExtensions) {
            Handle extension = nullptr;
            if (qtrt::GetImageDescriptionExtension(reinterpret_cast<ImageDescriptionHandle>(description),
                                                   &extension, int32_t(type), 1) == noErr)
                qtrt::DisposeHandle(extension);
        }
    }
    std::vector<uint8_t> data(4096);
    TimeValue64 t = 0, duration = 0;
    qtrt::GetMediaNextInterestingDecodeTime(media, 0x4001, 0, 0x10000, &t, &duration);
    for (int n = 0; t >= 0 && n < kMaxSamplesWalked; ++n) {
        ByteCount size = 0;
        qtrt::GetMediaSample2(media, data.data(), ByteCount(data.size()), &size, t, nullptr, nullptr,
                              nullptr, reinterpret_cast<SampleDescriptionHandle>(description), nullptr,
                              1, nullptr, nullptr);
        qtrt::GetMediaNextInterestingDecodeTime(media, 0x1, t, 0x10000, &t, &duration);
    }
    for (int16_t flags : {int16_t(0x4008), int16_t(0x4020), int16_t(0x1)}) {
        qtrt::GetMediaNextInterestingDecodeTime(media, flags, qtrt::GetMediaDecodeDuration(media),
                                                -0x10000, &t, &duration);
    }
    qtrt::DisposeHandle(description);

    TimeValue tt = 0, td = 0;
    qtrt::GetTrackNextInterestingTime(track, 0x4004, 0, 0x10000, &tt, &td);
    qtrt::TrackTimeToMediaDisplayTime(tt, track);
    qtrt::TrackTimeToMediaTime(qtrt::GetTrackDuration(track) / 2, track);

    MediaHandler handler = qtrt::GetMediaHandler(media);
    OSType type = 0;
    qtrt::GetMediaHandlerDescription(media, &type, nullptr, nullptr);
    if (handler && type == qt_fourcc("tmcd")) {
        for (TimeValue m = 0; m < qtrt::GetMovieDuration(movie) && m < 100000; m += 1 + m / 2) {
            qtrt::SetMovieTimeValue(movie, m);
            int32_t frame = 0;
            TimeCodeDef def{};
            TimeCodeRecord record{};
            UserData source = nullptr;
            qtrt::call_component(handler, 0x101,
                                 {int32_t(reinterpret_cast<intptr_t>(&frame)),
                                  int32_t(reinterpret_cast<intptr_t>(&def)),
                                  int32_t(reinterpret_cast<intptr_t>(&record)),
                                  int32_t(reinterpret_cast<intptr_t>(&source))});
            if (source) {
                Handle text = qtrt::NewHandle(0);
                qtrt::GetUserDataText(source, text, qt_fourcc("name"), 1, 0);
                qtrt::DisposeHandle(text);
                qtrt::DisposeUserData(source);
            }
        }
    }
}

}  // namespace

void walk_movie(Movie movie) {
    const OSType eyes = qt_fourcc("eyes");
    TimeValue t = 0, d = 0;
    qtrt::GetMovieNextInterestingTime(movie, 0x10, 1, &eyes, 0, 0x10000, &t, &d);
    UserData ud = qtrt::GetMovieUserData(movie);
    for (OSType type = OSType(qtrt::GetNextUserDataType(ud, 0)); type != 0;
         type = OSType(qtrt::GetNextUserDataType(ud, type)))
        qtrt::CountUserDataType(ud, type);
    for (int32_t i = 1; i <= qtrt::GetMovieTrackCount(movie); ++i) {
        Track track = qtrt::GetMovieIndTrack(movie, i);
        walk_media(movie, track, qtrt::GetTrackMedia(track));
    }
}

}  // namespace movie_test

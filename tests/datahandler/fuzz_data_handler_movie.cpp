// libFuzzer target: the bytes are a movie, opened through the plug-in's data
// handler (a memory stream behind a CMStreamDataRef) by the movie runtime
// loaded beside it; its samples are then read back through the handler.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/register_data_handler.h"
#include "datahandler/root_data_ref.h"
#include "quicktime/routines.h"

namespace {

constexpr long kMaxTracks = 8;
constexpr int kMaxSamplesPerTrack = 64;

void read_back(Movie movie) {
    std::vector<uint8_t> buffer(4096);
    for (long i = 1; i <= GetMovieTrackCount(movie) && i <= kMaxTracks; ++i) {
        Media media = GetTrackMedia(GetMovieIndTrack(movie, i));
        if (media == nullptr) continue;
        TimeValue64 time = 0;
        TimeValue64 duration = 0;
        GetMediaNextInterestingDecodeTime(media, 0x4001, 0, 0x10000, &time, &duration);
        for (int n = 0; time >= 0 && n < kMaxSamplesPerTrack; ++n) {
            ByteCount size = 0;
            GetMediaSample2(media, buffer.data(), ByteCount(buffer.size()), &size, time, nullptr,
                            nullptr, nullptr, nullptr, nullptr, 1, nullptr, nullptr);
            GetMediaNextInterestingDecodeTime(media, 0x1, time, 0x10000, &time, &duration);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (register_data_handler(), true);
    (void)registered;
    std::unique_ptr<CMStreamDataRef> ref(dh_test::memory_data_ref(
        std::vector<uint8_t>(data, data + size), "kolmfs://fuzz/movie.mov"));
    DataReferenceRecord location = datahandler::data_location_for(ref.get());
    if (location.dataRef == nullptr) return 0;
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("dref"), sizeof location,
                                       &location, 0};
    Movie movie = nullptr;
    if (NewMovieFromProperties(1, &property, 0, nullptr, &movie) == noErr && movie != nullptr) {
        read_back(movie);
        DisposeMovie(movie);
    }
    DisposeHandle(location.dataRef);
    return 0;
}

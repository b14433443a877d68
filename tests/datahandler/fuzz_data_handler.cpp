// libFuzzer target for the plug-in's data handler, with the movie runtime
// loaded beside it. The first byte chooses what the rest is:
//  - even: a movie, opened through the data handler (a memory stream behind a
//    CMStreamDataRef), whose samples are then read back through it;
//  - odd: a handle data reference, given to data_ref_from_handle and to the
//    data handler's calls. Where it parses, its address is replaced by a live
//    data reference, since the address means something only in the process
//    that wrote it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "datahandler/register_data_handler.h"
#include "datahandler/root_data_ref.h"
#include "quicktime/qt_api.h"

using dh_test::call_entry;
using dh_test::word;

namespace {

constexpr int kMaxSamplesPerTrack = 64;

void read_back(Movie movie) {
    std::vector<uint8_t> buffer(4096);
    for (long i = 1; i <= GetMovieTrackCount(movie) && i <= 8; ++i) {
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

void open_movie(const uint8_t* data, size_t size) {
    std::unique_ptr<CMStreamDataRef> ref(dh_test::memory_data_ref(
        std::vector<uint8_t>(data, data + size), "kolmfs://fuzz/movie.mov"));
    DataReferenceRecord location = datahandler::data_location_for(ref.get());
    if (location.dataRef == nullptr) return;
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("dref"), sizeof location,
                                       &location, 0};
    Movie movie = nullptr;
    if (NewMovieFromProperties(1, &property, 0, nullptr, &movie) == noErr && movie != nullptr) {
        read_back(movie);
        DisposeMovie(movie);
    }
    DisposeHandle(location.dataRef);
}

void handler_calls(const uint8_t* data, size_t size) {
    std::unique_ptr<CMStreamDataRef> live(dh_test::memory_data_ref(
        std::vector<uint8_t>(data, data + size), "kolmfs://fuzz/data.mov"));
    std::vector<uint8_t> bytes(data, data + size);
    Handle h = dh_test::handle_with(bytes);
    if (h == nullptr) return;
    if (data_ref_from_handle(h) != nullptr) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(live.get());
        const size_t at = 13 + size_t(bytes[4]);
        for (int i = 0; i < 4; ++i) (*h)[at + size_t(i)] = char(address >> (8 * i));
    }
    auto* storage = NewPtrClear(12);
    if (storage == nullptr) {
        DisposeHandle(h);
        return;
    }
    long flags = 0;
    Boolean equal = false;
    call_entry(storage, 0x13, {word(h), word(&flags)});     // CanUseDataRef
    call_entry(storage, 0x0A, {word(h)});                   // SetDataRef
    call_entry(storage, 0x0C, {word(h), word(&equal)});     // CompareDataRef
    unsigned char name[256];
    call_entry(storage, 0x25, {word(name)});                // GetFileName
    wide file_size{};
    call_entry(storage, 0x30, {word(&file_size)});          // GetFileSize64
    uint8_t buffer[64];
    const wide offset{uint32_t(size / 2), 0};
    call_entry(storage, 0x2E, {word(buffer), word(&offset), int32_t(sizeof buffer), 0, 0, 0});
    Handle copy = nullptr;
    if (call_entry(storage, 0x0B, {word(&copy)}) == noErr) DisposeHandle(copy);  // GetDataRef
    call_entry(storage, -2, {0});                            // Close
    DisposeHandle(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (register_data_handler(), true);
    (void)registered;
    if (size < 1) return 0;
    if ((data[0] & 1) == 0) {
        open_movie(data + 1, size - 1);
    } else {
        handler_calls(data + 1, size - 1);
    }
    return 0;
}

// What the runtime benchmarks share: opening a movie by path and asking for
// float sound as the importer does, and the wall-clock time since a start.
#pragma once

#include <chrono>
#include <string>

#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "cf/cf_url.h"
#include "movie/movie_toolbox.h"

namespace bench {

using clock_type = std::chrono::steady_clock;

// Null when the movie cannot be opened.
inline Movie open_movie(const std::string& path) {
    CFStringRef string = qtrt::CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, string, kCFURLPOSIXPathStyle, false);
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0};
    Movie movie = nullptr;
    qtrt::NewMovieFromProperties(1, &property, 0, nullptr, &movie);
    qtrt::CFRelease(url);
    qtrt::CFRelease(string);
    return movie;
}

// Asks the session for interleaved 32-bit big-endian floats, the importer's
// format, at the channel count and rate it offers; answers that format.
inline AudioStreamBasicDescription ask_float_big_endian(MovieAudioExtractionRef session) {
    using namespace qtrt::audio;
    AudioStreamBasicDescription asbd{};
    qtrt::MovieAudioExtractionGetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                          kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                          sizeof asbd, &asbd, nullptr);
    asbd.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsBigEndian | kAudioFormatFlagIsPacked;
    asbd.mBitsPerChannel = 32;
    asbd.mBytesPerFrame = asbd.mBytesPerPacket = 4 * asbd.mChannelsPerFrame;
    qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                          kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                          sizeof asbd, &asbd);
    return asbd;
}

inline double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

}  // namespace bench

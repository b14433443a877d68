// libFuzzer target: the bytes are a movie, opened from memory; its sound is
// extracted as the importer extracts it (interleaved 32-bit float, channels
// discrete or mixed as the input's size chooses), with a seek back to the
// middle and fills up to a bounded number of frames.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "movie/movie_open.h"
#include "movie/movie_toolbox.h"

namespace {

using namespace qtrt::audio;

constexpr uint32_t kFramesPerFill = 2048;
constexpr int kMaxFills = 48;
constexpr uint32_t kMaxChannels = 512;

// Fills until the extraction completes, fails or the fills run out; the frames
// delivered.
int64_t fill(MovieAudioExtractionRef session, uint32_t channels, int fills) {
    std::vector<float> buffer(size_t(kFramesPerFill) * channels);
    int64_t delivered = 0;
    for (int i = 0; i < fills; ++i) {
        AudioBufferList list{1, {{channels, uint32_t(buffer.size() * sizeof(float)), buffer.data()}}};
        uint32_t frames = kFramesPerFill, flags = 0;
        if (qtrt::MovieAudioExtractionFillBuffer(session, &frames, &list, &flags) != noErr) break;
        if (flags & kQTMovieAudioExtractionComplete) break;
        delivered += frames;
    }
    return delivered;
}

void extract(MovieAudioExtractionRef session, bool discrete) {
    const Boolean value = discrete ? 1 : 0;
    qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                          kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete,
                                          sizeof value, &value);
    AudioStreamBasicDescription d{};
    if (qtrt::MovieAudioExtractionGetProperty(
            session, kQTPropertyClass_MovieAudioExtraction_Audio,
            kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription, sizeof d, &d,
            nullptr) != noErr)
        return;
    if (d.mChannelsPerFrame == 0 || d.mChannelsPerFrame > kMaxChannels) return;
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    d.mBitsPerChannel = 32;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * d.mChannelsPerFrame;
    if (qtrt::MovieAudioExtractionSetProperty(
            session, kQTPropertyClass_MovieAudioExtraction_Audio,
            kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription, sizeof d, &d) != noErr)
        return;
    const int64_t delivered = fill(session, d.mChannelsPerFrame, kMaxFills);
    TimeRecord middle{};
    middle.value.lo = uint32_t(delivered / 2);
    middle.scale = TimeScale(d.mSampleRate);
    qtrt::MovieAudioExtractionSetProperty(session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                          kQTMovieAudioExtractionMoviePropertyID_CurrentTime,
                                          sizeof middle, &middle);
    fill(session, d.mChannelsPerFrame, 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Movie movie = nullptr;
    auto input = qtrt::make_memory_data_handler(std::vector<uint8_t>(bytes, bytes + size));
    if (qtrt::new_movie_from_data_handler(input, "", movie) != noErr) return 0;
    MovieAudioExtractionRef session = nullptr;
    if (qtrt::MovieAudioExtractionBegin(movie, 0, &session) == noErr) {
        extract(session, size % 2 == 0);
        qtrt::MovieAudioExtractionEnd(session);
    }
    qtrt::DisposeMovie(movie);
    return 0;
}

// A movie opened from a file and an extraction of it as the importer asks for
// one: discrete channels, interleaved 32-bit float in the machine's order, or
// big-endian as the importer asks (frames() answers them in the machine's).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_extraction.h"
#include "audio/packet_decoder.h"
#include "movie/movie_toolbox.h"
#include "support/movie_builder.h"

namespace audio_test {

class extraction {
public:
    explicit extraction(const std::string& path, bool big_endian = false);
    // The plan written to the output folder and extracted; the file goes once
    // the movie is open.
    explicit extraction(const test_movie::movie_plan& plan, bool big_endian = false);
    ~extraction();
    extraction(const extraction&) = delete;
    extraction& operator=(const extraction&) = delete;

    // What opening the movie and beginning the extraction answered.
    OSStatus begun() const { return m_begun; }
    bool ok() const { return m_begun == noErr; }
    Movie movie() const { return m_movie; }
    const AudioStreamBasicDescription& default_description() const { return m_default; }
    uint32_t channels() const { return m_default.mChannelsPerFrame; }

    // Frames from the current position to the end, or `limit` frames, filled
    // per_call frames at a time.
    std::vector<float> frames(size_t limit = SIZE_MAX, uint32_t per_call = 1602);
    void seek(int64_t frame);
    // One MovieAudioExtractionFillBuffer of up to `frames`; frames answers
    // how many came, appended to out, and flags its flags.
    OSStatus fill_once(uint32_t& frames, std::vector<float>& out, uint32_t* flags = nullptr);

private:
    Movie m_movie = nullptr;
    MovieAudioExtractionRef m_session = nullptr;
    OSStatus m_begun = -1;
    bool m_big_endian = false;
    AudioStreamBasicDescription m_default{};
};

// A file of tests/data/compressed.
std::string data_path(const std::string& name);
// The big-endian floats of a reference file.
std::vector<float> reference(const std::string& path);
// The index of the first sample farther than 1e-4 from want[offset + i], or
// the length compared.
size_t first_difference(const std::vector<float>& got, const std::vector<float>& want,
                        size_t offset = 0);

}  // namespace audio_test

#define SKIP_WITHOUT_DECODER()                                          \
    std::string why_not;                                                \
    if (!qtrt::audio::compressed_sound_available(&why_not))             \
    GTEST_SKIP() << "compressed sound is not decoded here: " << why_not \
                 << " (scripts/bootstrap.sh installs libavcodec-dev:i386)"

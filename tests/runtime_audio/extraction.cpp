#include "runtime_audio/extraction.h"

#include <gtest/gtest.h>

#include <cstring>

#include "audio/audio_constants.h"
#include "cf/cf_object.h"
#include "cf/cf_string.h"
#include "cf/cf_url.h"
#include "support/native_path_style.h"

using namespace qtrt::audio;

namespace audio_test {

extraction::extraction(const std::string& path, bool big_endian) : m_big_endian(big_endian) {
    CFStringRef string = qtrt::CFStringCreateWithCString(nullptr, path.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = qtrt::CFURLCreateWithFileSystemPath(nullptr, string, test_support::kNativePathStyle, false);
    QTNewMoviePropertyElement property{qt_fourcc("dloc"), qt_fourcc("cfur"), sizeof url, &url, 0};
    m_begun = qtrt::NewMovieFromProperties(1, &property, 0, nullptr, &m_movie);
    qtrt::CFRelease(url);
    qtrt::CFRelease(string);
    if (!m_movie) return;
    m_begun = qtrt::MovieAudioExtractionBegin(m_movie, 0, &m_session);
    if (m_begun != noErr) return;
    const Boolean discrete = 1;
    qtrt::MovieAudioExtractionSetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                          kQTMovieAudioExtractionMoviePropertyID_AllChannelsDiscrete, 1, &discrete);
    qtrt::MovieAudioExtractionGetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                          kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                          sizeof m_default, &m_default, nullptr);
    AudioStreamBasicDescription d = m_default;
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    if (big_endian) d.mFormatFlags |= kAudioFormatFlagIsBigEndian;
    d.mBitsPerChannel = 32;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * d.mChannelsPerFrame;
    m_begun = qtrt::MovieAudioExtractionSetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Audio,
                                                    kQTMovieAudioExtractionAudioPropertyID_AudioStreamBasicDescription,
                                                    sizeof d, &d);
}

extraction::~extraction() {
    if (m_session) qtrt::MovieAudioExtractionEnd(m_session);
    if (m_movie) qtrt::DisposeMovie(m_movie);
}

std::vector<float> extraction::frames(size_t limit, uint32_t per_call) {
    std::vector<float> all, buffer(size_t(per_call) * channels());
    while (all.size() / channels() < limit) {
        AudioBufferList list{1, {{channels(), uint32_t(buffer.size() * 4), buffer.data()}}};
        uint32_t n = per_call, flags = 0;
        if (qtrt::MovieAudioExtractionFillBuffer(m_session, &n, &list, &flags) != noErr) {
            ADD_FAILURE() << "fill failed";
            break;
        }
        if (flags & kQTMovieAudioExtractionComplete) {
            EXPECT_EQ(n, 0u);
            break;
        }
        if (m_big_endian)
            for (size_t i = 0; i < n * channels(); ++i) {
                uint8_t b[4];
                std::memcpy(b, &buffer[i], 4);
                const uint32_t bits = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
                std::memcpy(&buffer[i], &bits, 4);
            }
        all.insert(all.end(), buffer.begin(), buffer.begin() + n * channels());
    }
    if (all.size() > limit * channels()) all.resize(limit * channels());
    return all;
}

OSStatus extraction::fill_once(uint32_t& frames, std::vector<float>& out) {
    std::vector<float> buffer(size_t(frames) * channels());
    AudioBufferList list{1, {{channels(), uint32_t(buffer.size() * 4), buffer.data()}}};
    uint32_t flags = 0;
    const OSStatus err = qtrt::MovieAudioExtractionFillBuffer(m_session, &frames, &list, &flags);
    if (err == noErr) out.insert(out.end(), buffer.begin(), buffer.begin() + long(frames) * channels());
    return err;
}

void extraction::seek(int64_t frame) {
    TimeRecord time{};
    time.value.lo = uint32_t(frame);
    time.scale = TimeScale(m_default.mSampleRate);
    qtrt::MovieAudioExtractionSetProperty(m_session, kQTPropertyClass_MovieAudioExtraction_Movie,
                                          kQTMovieAudioExtractionMoviePropertyID_CurrentTime, sizeof time, &time);
}

}  // namespace audio_test

#include "runtime_audio/extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "audio/audio_constants.h"
#include "runtime_movie/movie_test_support.h"

using namespace qtrt::audio;

namespace audio_test {

extraction::extraction(const std::string& path, bool big_endian) : m_big_endian(big_endian) {
    m_begun = movie_test::open_movie(path, m_movie);
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

namespace {

std::string written(const test_movie::movie_plan& plan) {
    const std::string path = movie_test::output_path("sound.mov");
    EXPECT_TRUE(test_movie::write_movie(plan, path));
    return path;
}

}  // namespace

extraction::extraction(const test_movie::movie_plan& plan, bool big_endian)
    : extraction(written(plan), big_endian) {
    std::remove(movie_test::output_path("sound.mov").c_str());
}

extraction::~extraction() {
    if (m_session) qtrt::MovieAudioExtractionEnd(m_session);
    if (m_movie) qtrt::DisposeMovie(m_movie);
}

std::vector<float> extraction::frames(size_t limit, uint32_t per_call) {
    std::vector<float> all;
    while (all.size() / channels() < limit) {
        const size_t start = all.size();
        uint32_t n = per_call, flags = 0;
        if (fill_once(n, all, &flags) != noErr) {
            ADD_FAILURE() << "fill failed";
            break;
        }
        if (flags & kQTMovieAudioExtractionComplete) {
            EXPECT_EQ(n, 0u);
            break;
        }
        if (m_big_endian)
            for (size_t i = start; i < all.size(); ++i) {
                uint8_t b[4];
                std::memcpy(b, &all[i], 4);
                const uint32_t bits = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
                std::memcpy(&all[i], &bits, 4);
            }
    }
    if (all.size() > limit * channels()) all.resize(limit * channels());
    return all;
}

OSStatus extraction::fill_once(uint32_t& frames, std::vector<float>& out, uint32_t* flags) {
    std::vector<float> buffer(size_t(frames) * channels());
    AudioBufferList list{1, {{channels(), uint32_t(buffer.size() * 4), buffer.data()}}};
    uint32_t ignored = 0;
    const OSStatus err =
        qtrt::MovieAudioExtractionFillBuffer(m_session, &frames, &list, flags ? flags : &ignored);
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

std::string data_path(const std::string& name) {
    return std::string(RUV_TEST_DATA_DIR) + "/compressed/" + name;
}

std::vector<float> reference(const std::string& path) {
    const std::vector<uint8_t> bytes = test_movie::read_bytes(path);
    std::vector<float> out(bytes.size() / 4);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t v = test_movie::get_u32(bytes, 4 * i);
        std::memcpy(&out[i], &v, 4);
    }
    return out;
}

size_t first_difference(const std::vector<float>& got, const std::vector<float>& want,
                        size_t offset) {
    const size_t n = std::min(got.size(), want.size() - std::min(want.size(), offset));
    for (size_t i = 0; i < n; ++i)
        if (std::fabs(got[i] - want[offset + i]) > 1e-4f) return i;
    return n;
}

}  // namespace audio_test

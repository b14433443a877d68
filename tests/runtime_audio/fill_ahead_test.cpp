// Fills made ahead on a thread of their own against the same calls answered
// in the client's thread, on movies of compressed sound (one beside PCM):
// every answer the same, bit for bit, call by call, with each warning at the
// call that hands over its frames; also where packets do not decode and where
// the file is cut short while the extraction is open.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "audio/audio_constants.h"
#include "audio/extraction_session.h"
#include "audio/fill_ahead.h"
#include "audio/movie_sound_tracks.h"
#include "audio/packet_decoder.h"
#include "movie/movie_access.h"
#include "runtime_audio/extraction.h"
#include "runtime_movie/movie_test_support.h"
#include "support/movie_builder.h"

using namespace qtrt::audio;

namespace {

enum class damage { none, zeroed_packet, cut_while_open };

struct step {
    char op;  // 'f' one fill, 'F' fills to the end, 'P' the same with a pause after each,
              // 's' seek to a frame, 'i' 16-bit integer output
    uint32_t value;
};

struct ahead_case {
    const char* name;
    const char* movie;
    damage harm;
    std::vector<step> steps;
};

// The answers of a session to the steps, filled through `fill_ahead` or not.
std::string answers(const std::string& path, damage harm, const std::vector<step>& steps, bool ahead) {
    Movie movie = nullptr;
    EXPECT_EQ(movie_test::open_movie(path, movie), noErr);
    TimeScale scale = 0;
    std::vector<sound_track_input> tracks;
    EXPECT_EQ(collect_sound_tracks(movie, scale, tracks), noErr);
    if (harm == damage::cut_while_open) {
        EXPECT_EQ(truncate(path.c_str(), 120000), 0);
    }
    extraction_session session(scale, std::move(tracks));
    std::unique_ptr<fill_ahead> filler = ahead ? std::make_unique<fill_ahead>(session) : nullptr;
    const auto set = [&](const std::function<void()>& change) {
        if (filler) filler->settle();
        change();
    };
    AudioStreamBasicDescription d = session.default_description();
    d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    d.mBytesPerFrame = d.mBytesPerPacket = 4 * d.mChannelsPerFrame;
    d.mBitsPerChannel = 32;
    EXPECT_EQ(session.set_description(d), noErr);
    movie_test::warning_log warnings;
    std::ostringstream out;
    std::vector<uint8_t> bytes;
    for (const step& s : steps) {
        for (int repeat = 0; repeat < (s.op == 'f' ? 1 : 400); ++repeat) {
            if (s.op == 's') {
                TimeRecord t{};
                t.value.lo = s.value;
                t.scale = TimeScale(d.mSampleRate);
                set([&] { session.set_current_time(t); });
            } else if (s.op == 'i') {
                d.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked;
                d.mBytesPerFrame = d.mBytesPerPacket = 2 * d.mChannelsPerFrame;
                d.mBitsPerChannel = 16;
                set([&] { EXPECT_EQ(session.set_description(d), noErr); });
            }
            uint32_t frames = s.value, flags = 0;
            OSStatus err = noErr;
            if (s.op == 'f' || s.op == 'F' || s.op == 'P') {
                bytes.assign(size_t(frames) * d.mBytesPerFrame, 0xA5);
                AudioBufferList list{1, {{d.mChannelsPerFrame, uint32_t(bytes.size()), bytes.data()}}};
                err = filler ? filler->fill(frames, list, flags) : session.fill(frames, list, flags);
                out << "fill " << err << ' ' << frames << ' ' << flags << ' ' << list.mBuffers[0].mDataByteSize << ' '
                    << std::hash<std::string>()(std::string(bytes.begin(), bytes.end()));
            }
            const TimeRecord now = filler ? filler->current_time() : session.current_time();
            out << " at " << now.value.lo << '/' << now.scale;
            for (const std::string& w : warnings.lines) out << " warning " << w;
            out << '\n';
            warnings.lines.clear();
            if (s.op == 'P') usleep(100);
            if (err != noErr || (flags & kQTMovieAudioExtractionComplete)) break;
        }
    }
    filler.reset();
    qtrt::DisposeMovie(movie);
    return out.str();
}

class FillAhead : public testing::TestWithParam<ahead_case> {};

TEST_P(FillAhead, AnswersEveryCallAsTheClientsOwnThreadWould) {
    SKIP_WITHOUT_DECODER();
    const ahead_case& c = GetParam();
    test_movie::bytes file = test_movie::read_bytes(std::string(RUV_TEST_DATA_DIR) + "/" + c.movie);
    ASSERT_GT(file.size(), 2000u);
    if (c.harm == damage::zeroed_packet) std::fill(file.begin() + 2500, file.begin() + 2600, 0);
    const std::string path = movie_test::output_path("ahead.mov");
    std::string answered[2];
    for (int ahead = 0; ahead < 2; ++ahead) {
        ASSERT_TRUE(test_movie::write_bytes(file, path));
        answered[ahead] = answers(path, c.harm, c.steps, ahead == 1);
    }
    std::remove(path.c_str());
    EXPECT_EQ(answered[1], answered[0]);
    EXPECT_NE(answered[0].find(c.harm == damage::none ? "fill 0" : c.harm == damage::zeroed_packet ? "warning" : "fill -39"),
              std::string::npos)
        << answered[0];
}

INSTANTIATE_TEST_SUITE_P(
    Movies, FillAhead,
    testing::Values(ahead_case{"SameFillsToTheEnd", "compressed/mp3_stereo.mov", damage::none, {{'F', 300}}},
                    ahead_case{"FillsOfAnotherSize", "compressed/he_aac.mov", damage::none, {{'f', 300}, {'f', 300}, {'f', 700}, {'F', 300}}},
                    ahead_case{"SeekWhileAhead", "compressed/opus_stereo.mov", damage::none, {{'f', 256}, {'f', 256}, {'s', 9000}, {'F', 256}}},
                    ahead_case{"OutputFormatSetWhileAhead", "compressed/aac_51.mov", damage::none, {{'f', 200}, {'f', 200}, {'i', 200}, {'F', 200}}},
                    ahead_case{"CompressedBesidePcm", "compressed/aac_beside_pcm.mov", damage::none, {{'F', 512}}},
                    ahead_case{"PacketThatDoesNotDecode", "compressed/aac_51.mov", damage::zeroed_packet, {{'F', 128}}},
                    ahead_case{"ClientThatNeverPauses", "h264_bframes_tc.mov", damage::none, {{'F', 128}}},
                    ahead_case{"ClientPausingAfterALoop", "h264_bframes_tc.mov", damage::none, {{'f', 99}, {'F', 128}, {'s', 0}, {'P', 128}}},
                    ahead_case{"FileCutWhileOpen", "h264_bframes_tc.mov", damage::cut_while_open, {{'F', 1920}, {'F', 1920}}}),
    [](const testing::TestParamInfo<ahead_case>& info) { return info.param.name; });

}  // namespace

// AAC extraction throughput beside Debian's i386 ffmpeg decoding the same
// movie: five minutes of 44.1 kHz stereo AAC (made by that ffmpeg) extracted as
// interleaved 32-bit big-endian float, in frames per second. Both are timed
// inside their own process, from the first read to the last: ours around the
// fills, ffmpeg's by its -benchmark report of its decoding loop (start-up and
// the opening of the movie left out of both); the best of five runs each,
// long enough that a busy machine's time slices do not decide it.
// Needs RUV_FFMPEG_I386 (scripts/bench.sh sets it); fails when the extraction
// takes longer than ffmpeg (not judged in a quick run, RUV_BENCH_QUICK).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_movie.h"
#include "audio/audio_constants.h"
#include "audio/audio_extraction.h"
#include "audio/packet_decoder.h"

using namespace qtrt::audio;
using bench::clock_type;
using bench::open_movie;
using bench::seconds_since;

namespace {

constexpr uint32_t kFramesPerFill = 1470;  // one 30 fps video frame at 44.1 kHz
constexpr int kRuns = 5;
constexpr double kAllowedRatio = 1.0;

bool quick() {
    const char* value = std::getenv("RUV_BENCH_QUICK");
    return value && *value && std::string(value) != "0";
}

bool make_movie(const std::string& ffmpeg, const std::string& path, double seconds) {
    const std::string command = "'" + ffmpeg +
                                "' -hide_banner -loglevel error -y -f lavfi -i "
                                "'aevalsrc=0.3*sin(2*PI*440*t)+0.1*sin(2*PI*5000*t)|0.3*sin(2*PI*660*t):s=44100:d=" +
                                std::to_string(seconds) + "' -c:a aac -b:a 128k -f mov '" + path + "'";
    return std::system(command.c_str()) == 0;
}

// The best time of ffmpeg's decoding loop for the movie's sound to f32be,
// as its -benchmark report gives it (rtime); negative when it fails.
double ffmpeg_seconds(const std::string& ffmpeg, const std::string& path) {
    const std::string command = "'" + ffmpeg + "' -nostdin -hide_banner -nostats -loglevel info -benchmark -y -i '" +
                                path + "' -map 0:a:0 -f f32be -c:a pcm_f32be /dev/null 2>&1";
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        FILE* out = popen(command.c_str(), "r");
        if (!out) return -1.0;
        char line[512];
        double rtime = -1.0;
        while (std::fgets(line, sizeof line, out))
            if (const char* at = std::strstr(line, "rtime=")) rtime = std::atof(at + 6);
        if (pclose(out) != 0 || rtime < 0) return -1.0;
        best = std::min(best, rtime);
    }
    return best;
}

// Extracts the whole movie as the importer does; the frames extracted, and
// the best time in seconds.
uint64_t extract(Movie movie, double& best) {
    uint64_t total = 0;
    best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        MovieAudioExtractionRef session = nullptr;
        if (qtrt::MovieAudioExtractionBegin(movie, 0, &session) != noErr) return 0;
        const AudioStreamBasicDescription asbd = bench::ask_float_big_endian(session);
        std::vector<uint8_t> buffer(kFramesPerFill * asbd.mBytesPerFrame);
        total = 0;
        const clock_type::time_point start = clock_type::now();
        for (;;) {
            AudioBufferList list{1, {{asbd.mChannelsPerFrame, uint32_t(buffer.size()), buffer.data()}}};
            uint32_t frames = kFramesPerFill, flags = 0;
            if (qtrt::MovieAudioExtractionFillBuffer(session, &frames, &list, &flags) != noErr ||
                (flags & kQTMovieAudioExtractionComplete))
                break;
            total += frames;
        }
        best = std::min(best, seconds_since(start));
        qtrt::MovieAudioExtractionEnd(session);
    }
    return total;
}

}  // namespace

int main() {
    const char* ffmpeg = std::getenv("RUV_FFMPEG_I386");
    std::string why_not;
    if (!compressed_sound_available(&why_not)) {
        std::printf("aac extraction: skipped, compressed sound is not decoded here: %s\n", why_not.c_str());
        return 0;
    }
    if (!ffmpeg || !*ffmpeg) {
        std::printf("aac extraction: skipped, no i386 ffmpeg to make the movie and compare with (RUV_FFMPEG_I386)\n");
        return 0;
    }
    const int seconds = quick() ? 10 : 300;
    const std::string path = std::string(RUV_OUTPUT_DIR) + "/bench_aac_extraction.mov";
    if (!make_movie(ffmpeg, path, seconds)) {
        std::fprintf(stderr, "bench_aac_extraction: %s cannot make the AAC movie\n", ffmpeg);
        return 1;
    }
    Movie movie = open_movie(path);
    double ours = 0.0;
    const uint64_t frames = movie ? extract(movie, ours) : 0;
    if (movie) qtrt::DisposeMovie(movie);
    const double theirs = ffmpeg_seconds(ffmpeg, path);
    std::remove(path.c_str());
    if (frames < uint64_t(seconds) * 44100 || theirs <= 0) {
        std::fprintf(stderr, "bench_aac_extraction: the extraction or ffmpeg failed\n");
        return 1;
    }
    const double ratio = ours / theirs;
    std::printf("aac extraction, 44.1 kHz stereo AAC 128 kb/s -> fl32 big-endian interleaved: %llu frames\n",
                static_cast<unsigned long long>(frames));
    std::printf("  extraction: %.3f s, %.0f frames/s (%.1f x real time)\n", ours, frames / ours,
                frames / ours / 44100);
    std::printf("  i386 ffmpeg decoding loop (-benchmark rtime): %.3f s, %.0f frames/s\n", theirs,
                frames / theirs);
    std::printf("  extraction / ffmpeg: %.2f (goal: at most %.1f)%s\n", ratio, kAllowedRatio,
                quick() ? ", not judged in a quick run" : ratio <= kAllowedRatio ? ", met" : ", MISSED");
    return ratio <= kAllowedRatio || quick() ? 0 : 1;
}

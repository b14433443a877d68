// ruv-import on a long-GOP H.264 4K movie with AAC sound beside the stream
// copy of the same file by the i386 ffmpeg named in RUV_FFMPEG_I386, which
// also makes the movie: two seconds of 3840x2160 H.264 (a key frame every 50,
// two B-frames) repeated for a minute, with a minute of 48 kHz stereo AAC.
// Goal: ruv-import, which decodes the sound to float as well, takes at most
// the ffmpeg copy's time.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "timed_run.h"

using namespace bench_run;

namespace {

constexpr double kFfmpegRatio = 1.0;

bool make_movie(const std::string& ffmpeg, const std::string& folder, const std::string& path, int seconds) {
    if (file_size(path) > 0) return true;
    std::printf("making %s with %s...\n", path.c_str(), ffmpeg.c_str());
    std::fflush(stdout);
    const std::string clip = folder + "/bench_h264_4k_clip.mp4";
    const std::string part = path + ".part";
    const std::string make_clip =
        quoted(ffmpeg) +
        " -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=3840x2160:rate=25 -t 2"
        " -c:v libx264 -preset ultrafast -x264-params bframes=2:keyint=50 -qp 18 -pix_fmt yuv420p " +
        quoted(clip);
    const std::string make_long =
        quoted(ffmpeg) + " -nostdin -hide_banner -loglevel error -y -stream_loop " +
        std::to_string(seconds / 2 - 1) + " -i " + quoted(clip) +
        " -f lavfi -i 'aevalsrc=0.3*sin(2*PI*440*t)|0.3*sin(2*PI*660*t):s=48000:d=" + std::to_string(seconds) +
        "' -map 0:v -map 1:a -c:v copy -c:a aac -b:a 192k -f mov " + quoted(part);
    const bool ok = std::system(make_clip.c_str()) == 0 && std::system(make_long.c_str()) == 0 &&
                    std::rename(part.c_str(), path.c_str()) == 0;
    std::remove(clip.c_str());
    return ok;
}

}  // namespace

int main() {
    const std::string ffmpeg = ffmpeg_i386();
    if (ffmpeg.empty()) {
        std::printf("h264 4k: skipped, no i386 ffmpeg to make the movie and compare with (RUV_FFMPEG_I386)\n");
        return 0;
    }
    const std::string folder = RUV_OUTPUT_DIR;
    const int seconds = quick() ? 10 : 60;
    const std::string movie = folder + "/bench_h264_4k_aac_" + std::to_string(seconds) + "s.mov";
    if (!make_movie(ffmpeg, folder, movie, seconds)) {
        std::fprintf(stderr, "bench_ruv_import_h264: %s cannot make %s\n", ffmpeg.c_str(), movie.c_str());
        return 1;
    }
    const int rounds = quick() ? 1 : 5;
    run("cat " + quoted(movie));  // into the page cache
    const std::vector<run_result> r =
        median_runs({quoted(folder + "/ruv-import") + " --quiet " + quoted(movie),
                     quoted(ffmpeg) + " -nostdin -v quiet -i " + quoted(movie) + " -map 0 -c copy -f null -"},
                    rounds);
    if (!r[0].ok || !r[1].ok) {
        std::fprintf(stderr, "bench_ruv_import_h264: a run failed (ruv-import %d, ffmpeg %d)\n", r[0].ok, r[1].ok);
        return 1;
    }
    const double mib = double(file_size(movie)) / (1024.0 * 1024.0);
    std::printf("movie: %s, %.0f MiB, %d s of 3840x2160 H.264 at 25 frames/s with AAC; medians of %d "
                "alternating runs\n",
                movie.c_str(), mib, seconds, rounds);
    std::printf("ruv-import:             %8.3f s  %8.1f MiB/s  (processor %.3f s), peak resident %ld KiB\n",
                r[0].seconds, mib / r[0].seconds, r[0].cpu_seconds, r[0].peak_kib);
    std::printf("ffmpeg (i386) -c copy:  %8.3f s  %8.1f MiB/s  (processor %.3f s)\n", r[1].seconds,
                mib / r[1].seconds, r[1].cpu_seconds);
    return judge("ruv-import / ffmpeg (i386) time", r[0].seconds / r[1].seconds, kFfmpegRatio) ? 0 : 1;
}

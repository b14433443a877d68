#include "options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "worker_result.h"

namespace ruv_import {

namespace {

// The queue index of --video-queue and --audio-queue: 0 to 63.
constexpr long kMaxQueueIndex = 63;

bool parse_queue(const std::string& text, int& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > kMaxQueueIndex) return false;
    out = int(value);
    return true;
}

constexpr long kMaxJobs = 256;

bool parse_jobs(const std::string& text, int& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > kMaxJobs) return false;
    out = int(value);
    return true;
}

// Seconds above 0, at most a year.
bool parse_seconds(const std::string& text, double& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(value > 0) || value > 31536000.0) return false;
    out = value;
    return true;
}

// Reads the value of an option given as "--name VALUE" or "--name=VALUE".
class argument_list {
public:
    argument_list(int argc, const char* const* argv) : m_argc(argc), m_argv(argv) {}

    bool more() const { return m_index < m_argc; }
    const char* next() { return m_argv[m_index++]; }

    // When arg is the option name (or name=...), true, with the value taken
    // from it or from the next argument; error set when the value is missing.
    bool value_of(const char* arg, const char* name, std::string& value, std::string& error) {
        size_t length = std::strlen(name);
        if (std::strncmp(arg, name, length) != 0) return false;
        if (arg[length] == '=') {
            value = arg + length + 1;
            return true;
        }
        if (arg[length] != '\0') return false;
        if (!more()) {
            error = std::string(name) + " needs a value";
            return true;
        }
        value = next();
        return true;
    }

private:
    int m_argc;
    const char* const* m_argv;
    int m_index = 1;
};

}  // namespace

bool parse_options(int argc, const char* const* argv, options& result, std::string& error) {
    result = options();
    error.clear();
    argument_list args(argc, argv);
    bool options_ended = false;
    while (args.more()) {
        const char* arg = args.next();
        std::string value;
        bool is_option = !options_ended && arg[0] == '-' && arg[1] != '\0';
        if (!is_option) {
            result.movies.push_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            result.help = true;
        } else if (std::strcmp(arg, "--no-video") == 0) {
            result.no_video = true;
        } else if (std::strcmp(arg, "--no-audio") == 0) {
            result.no_audio = true;
        } else if (std::strcmp(arg, "--json") == 0) {
            result.json = true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            result.frames = true;
        } else if (std::strcmp(arg, "--quiet") == 0 || std::strcmp(arg, "-q") == 0) {
            result.quiet = true;
        } else if (std::strcmp(arg, "--pull") == 0) {
            result.pull = true;
        } else if (std::strcmp(arg, kWorkerResultOption) == 0) {
            result.worker_result = true;
        } else if (args.value_of(arg, "--jobs", value, error) ||
                   args.value_of(arg, "-j", value, error)) {
            if (error.empty() && !parse_jobs(value, result.jobs))
                error = "--jobs needs a number of imports from 1 to " + std::to_string(kMaxJobs) +
                        ", not '" + value + "'";
        } else if (args.value_of(arg, "--timeout", value, error)) {
            if (error.empty() && !parse_seconds(value, result.timeout))
                error = "--timeout needs a number of seconds above 0, not '" + value + "'";
        } else if (args.value_of(arg, "--module", value, error)) {
            result.module_path = value;
        } else if (args.value_of(arg, "--audio-out", value, error)) {
            result.audio_out = value;
        } else if (args.value_of(arg, "--video-out", value, error)) {
            result.video_out = value;
        } else if (args.value_of(arg, "--picture", value, error)) {
            result.picture = value;
        } else if (args.value_of(arg, "--set", value, error)) {
            size_t equals = value.find('=');
            if (error.empty() && (equals == std::string::npos || equals == 0)) {
                error = "--set needs KEY=VALUE, not '" + value + "'";
            } else if (error.empty()) {
                result.settings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
            }
        } else if (args.value_of(arg, "--video-queue", value, error)) {
            if (error.empty() && !parse_queue(value, result.video_queue))
                error = "--video-queue needs a queue index from 0 to 63, not '" + value + "'";
        } else if (args.value_of(arg, "--pull-queue", value, error)) {
            result.pull = true;
            if (error.empty() && !parse_queue(value, result.pull_queue))
                error = "--pull-queue needs a queue index from 0 to 63, not '" + value + "'";
        } else if (args.value_of(arg, "--audio-queue", value, error)) {
            if (error.empty() && !parse_queue(value, result.audio_queue))
                error = "--audio-queue needs a queue index from 0 to 63, not '" + value + "'";
        } else {
            error = std::string("unknown option '") + arg + "'";
        }
        if (!error.empty()) return false;
    }
    return true;
}

const char* usage() {
    return "usage: ruv-import [options] [MOVIE...]\n"
           "Imports MOVIE (default: the demo movie samples/demo.mov) with the importer plug-in.\n"
           "Several movies, or folders (searched for .mov, .qt, .mp4, .m4v, .m4a, .3gp and .3g2\n"
           "files), are imported each in a worker process of its own, then summed up in a table.\n"
           "  --module PATH       the importer module to load (default: the one beside ruv-import)\n"
           "  --set KEY=VALUE     pass a configuration key to the importer (repeatable)\n"
           "  --video-queue N     output queue of the video stream (default 0)\n"
           "  --audio-queue N     output queue of the audio stream (default 1)\n"
           "  --no-video          leave the video stream out\n"
           "  --no-audio          leave the audio stream out\n"
           "  --pull              deliver with processNextFrame instead of runloop, into one\n"
           "                      queue: the lowest; the other stream is left out\n"
           "  --pull-queue N      --pull into queue N\n"
           "  --frames            print one line per frame\n"
           "  --json              JSON Lines on standard output\n"
           "  --audio-out FILE    write the audio as a 32-bit float WAV file\n"
           "  --video-out FILE    write the video samples end to end\n"
           "                      (with several movies {name} in FILE stands for the movie's\n"
           "                      name without folder and extension)\n"
           "  --jobs N, -j N      with several movies, import N at a time (default: one per\n"
           "                      processor)\n"
           "  --timeout SECONDS   end a movie's import that takes longer, and report it\n"
           "  --picture FILE.svg  draw the movie's time line and what the import delivered\n"
           "  --quiet, -q         no progress bar and no report\n"
           "Exit status: 0 every movie imported, 1 a movie cannot be imported, 2 usage error.\n";
}

std::string demo_movie_path() {
    const char* local = "samples/demo.mov";
    if (std::ifstream(local, std::ios::binary)) return local;
#if defined(RUV_SOURCE_DIR)
    return std::string(RUV_SOURCE_DIR) + "/samples/demo.mov";
#else
    return local;
#endif
}

}  // namespace ruv_import

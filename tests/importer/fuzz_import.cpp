// libFuzzer target: the bytes are a movie, imported as a host imports one:
// init, preconfigure, preflight, configure with the video and the audio stream
// exported (the audio stream left out when it would be too long, see
// kMaxSoundSamples), then runloop on the importer's own thread while a thread
// per queue takes every frame. Each input is imported twice: by path, from a
// file holding the bytes, and through the plug-in's data handler, from a
// stream over the bytes.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "apple_qt.h"

namespace {

// The stream of an import through the data handler. The importer keeps its
// data reference, and with it this stream, for the rest of the process, so the
// stream refers to the input without a copy and forgets it after the import.
class input_stream : public Ruv::CM::RStream {
public:
    input_stream(const uint8_t* data, size_t size) : m_data(data), m_size(int64_t(size)) {}

    int open() override { return 0; }
    void close() override {}
    int64_t lseek(int64_t offset, unsigned char origin) override {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? m_position : origin == 2 ? m_size : -1;
        if (base < 0 || offset < -base || offset > INT64_MAX - base) return -1;
        m_position = base + offset;
        return m_position;
    }
    int64_t size() override { return m_size; }
    Ruv::CString getURI() const override { return Ruv::CString("kolmfs://fuzz/movie.mov"); }

    void forget() {
        m_data = nullptr;
        m_size = 0;
        m_position = 0;
    }

protected:
    int64_t readSome(unsigned char* buffer, int64_t length) override {
        if (m_position >= m_size) return 0;
        const int64_t count = std::min(length, m_size - m_position);
        std::memcpy(buffer, m_data + m_position, size_t(count));
        m_position += count;
        return count;
    }

private:
    const uint8_t* m_data;
    int64_t m_size;
    int64_t m_position = 0;
};

// An input that takes longer than this is a hang.
constexpr int kMaxSeconds = 120;

// Sound is delivered for the whole movie, silence included, in chunks of one
// video frame each. So a few bytes can ask for days of it (an edit that plays
// far past its media) or for millions of one-sample chunks (video of a
// million frames a second), which is right and takes minutes under the
// sanitizers (seconds for every 10^7 samples). Such an input is imported
// without its sound stream: past these bounds (about 6 minutes of 48 kHz
// stereo; 36 minutes of chunks at 30 frames a second) the sound path adds only
// more of the same output.
constexpr double kMaxSoundSamples = 33554432.0;  // all channels
constexpr double kMaxSoundChunks = 65536.0;

// True when the audio track the importer describes would deliver more than
// either bound.
bool sound_too_long(Ruv::CM::RImporter& importer) {
    Ruv::RPtr<Ruv::CM::RMovieInfo> info = importer.getMovieInfo();
    if (!info) return false;
    double frame_rate = 0, samples = 0, seconds = 0;
    for (size_t i = 0; i < info->getTrackCount(); ++i) {
        Ruv::RPtr<Ruv::CM::RTrackInfo> track = info->getTrack(i);
        if (track && track->getKind() == Ruv::CM::RTrackInfo::kVideo)
            frame_rate =
                static_cast<const Ruv::CM::RVideoTrackInfo&>(*track).getFrameRate().toDouble();
        if (!track || track->getKind() != Ruv::CM::RTrackInfo::kAudio) continue;
        const auto& audio = static_cast<const Ruv::CM::RAudioTrackInfo&>(*track);
        seconds = track->getDuration().getSecondsAsDouble();
        samples = seconds * audio.getSampleRate().toDouble() * audio.getChannels();
    }
    return !(samples <= kMaxSoundSamples) || !(seconds * frame_rate <= kMaxSoundChunks);
}

// libFuzzer finds hangs with SIGALRM (-timeout). Under user-mode emulation of
// i386 a signal taken by a thread can leave it with the thread-local storage
// of the thread started last, and this target starts threads for every
// import; so it runs with -timeout=0 and this watch, on a thread of its own
// that takes no signal, aborts an input that runs too long (libFuzzer keeps it
// as a crash).
class watchdog {
public:
    watchdog() { std::thread([this] { watch(); }).detach(); }

    void arm() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kMaxSeconds);
        m_armed = true;
        m_changed.notify_one();
    }
    void disarm() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }

private:
    void watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            if (!m_armed) {
                m_changed.wait(lock);
            } else if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout &&
                       m_armed && std::chrono::steady_clock::now() >= m_deadline) {
                std::fprintf(stderr, "fuzz_import: an input ran for more than %d s\n", kMaxSeconds);
                std::abort();
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
};

// Takes every frame of the queue it is given until the queue ends, on a thread
// that lives as long as the process: under emulation every thread started
// keeps some memory of the emulator's for good, and the importer's own thread
// is one per import already.
class consumer {
public:
    consumer() { std::thread([this] { run(); }).detach(); }

    void consume(Ruv::CM::RQueue* queue) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue = queue;
        m_changed.notify_all();
    }
    // Until the queue given last has ended and every frame is taken.
    void wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue == nullptr; });
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_queue != nullptr; });
            Ruv::CM::RQueue* queue = m_queue;
            lock.unlock();
            Ruv::RPtr<const Ruv::CM::RFrame> frame;
            while (queue->take(frame)) frame = nullptr;
            lock.lock();
            m_queue = nullptr;
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Ruv::CM::RQueue* m_queue = nullptr;
};

void import(const Ruv::RPtr<Ruv::CM::RStream>& input, const char* data_handler_mode) {
    static consumer* const consumers = new consumer[2];
    Ruv::RPtr<Ruv::CM::RQueue> video(new Ruv::CM::RQueue(8));
    Ruv::RPtr<Ruv::CM::RQueue> audio(new Ruv::CM::RQueue(8));
    std::vector<Ruv::CM::RQueue*> queues{video.get(), audio.get()};
    Ruv::RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    configuration->set("data-handler-mode", data_handler_mode);
    configuration->set("video", "0");
    configuration->set("audio", "1");

    Ruv::RPtr<apple_qt> importer(new apple_qt());
    importer->init(input, queues);
    importer->preconfigure(*configuration);
    try {
        if (importer->preflight(*configuration) != 0) return;
        if (sound_too_long(*importer)) configuration->set("audio", "-1");
        // The import covers the movie's duration, as a host that asks for
        // it does: a sound track whose edits run past it (a movie header
        // that says less) adds no more than the bounds allow.
        if (Ruv::RPtr<Ruv::CM::RMovieInfo> info = importer->getMovieInfo())
            configuration->set("end-time", std::to_string(info->getDuration()));
        if (importer->configure(*configuration) != 0) return;
    } catch (const Ruv::CException&) {
        return;
    }
    for (size_t i = 0; i < queues.size(); ++i) consumers[i].consume(queues[i]);
    if (importer->start(nullptr)) importer->join();
    for (size_t i = 0; i < queues.size(); ++i) {
        queues[i]->end();
        consumers[i].wait();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static watchdog* const watch = new watchdog();
    watch->arm();
    static const std::string path = "/tmp/fuzz_import_" + std::to_string(getpid()) + ".mov";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, file) == size;
        if (std::fclose(file) == 0 && written) {
            Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(path)));
            Ruv::RPtr<Ruv::CM::RStream> by_path = Ruv::CM::RStream::getStream(uri, 0, 0);
            if (by_path->open() == 0) import(by_path, "force-disable");
        }
    }
    Ruv::RPtr<input_stream> stream(new input_stream(data, size));
    import(stream, "force-enable");
    stream->forget();
    watch->disarm();
    return 0;
}

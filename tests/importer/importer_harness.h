// Drives the importer through its own interface as a host does, on a movie
// written by the movie builder: init with a few output queues large enough
// for the whole movie, preconfigure, preflight, configure, delivery on the
// test's thread, then the frames each queue received.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "apple_qt.h"
#include "support/movie_builder.h"

namespace importer_test {

class harness {
public:
    static constexpr unsigned queue_count = 4;

    using keys = std::map<std::string, std::string>;

    // Writes the movie (or the file's bytes) under a name of its own in the
    // output folder; keys are the configuration's.
    harness(const test_movie::movie_plan& movie, const std::string& name, const keys& set = {});
    harness(const test_movie::bytes& file, const std::string& name, const keys& set = {});
    // A harness for an existing file (or a path that names none).
    explicit harness(const std::string& path);
    // Removes the movie it wrote.
    ~harness();
    harness(const harness&) = delete;
    harness& operator=(const harness&) = delete;

    // Sets a configuration key for preflight and configure.
    void set(const std::string& key, const std::string& value);

    int preflight();
    // preflight then configure; false (with a test failure) when preflight
    // does not answer 0.
    bool open();
    int configure();
    int runloop();
    // open, runloop, then the frames queue index received; a test failure
    // when one of them does not answer 0.
    std::vector<Ruv::RPtr<const Ruv::CM::RFrame>> import(unsigned index = 0);

    apple_qt& importer() { return *m_importer; }
    Ruv::CM::RQueue& queue(unsigned index) { return *m_queues[index]; }
    // Takes every frame queue index received so far.
    std::vector<Ruv::RPtr<const Ruv::CM::RFrame>> take_frames(unsigned index);
    Ruv::RPtr<const Ruv::CM::RDescription> description(unsigned index) const;
    // The first parameter of the name in the queue's description, as bytes;
    // empty when it is absent.
    std::vector<uint8_t> parameter(unsigned index, const char* name) const;
    const std::string& path() const { return m_path; }

private:
    void init();

    std::string m_path;
    bool m_written = false;
    Ruv::RPtr<apple_qt> m_importer;
    std::vector<Ruv::RPtr<Ruv::CM::RQueue>> m_queues;
    Ruv::RPtr<Ruv::CM::RImporterConfiguration> m_configuration;
};

// Runs call, which must throw the importer's exception: its class name and
// source file, and the line, function and message given.
void expect_importer_exception(const std::function<void()>& call, int line, const char* function,
                               const std::string& message);

// An 'avcC' payload with the given profile and level and the sets given.
test_movie::bytes avc_config_payload(uint8_t profile, uint8_t level,
                                     const std::vector<test_movie::bytes>& sps,
                                     const std::vector<test_movie::bytes>& pps);

// A 'vide' track of count samples of 1000 bytes, each duration units long,
// sync as given, in a movie of time scale 600.
test_movie::movie_plan video_movie(uint32_t codec, uint32_t count = 10,
                                   uint32_t duration = 60,
                                   const std::vector<test_movie::extension>& extensions = {});

}  // namespace importer_test

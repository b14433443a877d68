#include "importer/importer_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace importer_test {

namespace {

// Every frame of the small test movies fits.
constexpr size_t kQueueCapacity = 100000;

// Test programs run side by side (ctest runs every case as a process of its
// own), so each process writes its movies under names of its own.
std::string own_path(const std::string& name) {
    return std::string(RUV_OUTPUT_DIR) + "/importer_test_" + std::to_string(getpid()) + "_" + name +
           ".mov";
}

}  // namespace

harness::harness(const test_movie::movie_plan& movie, const std::string& name, const keys& set)
    : harness(test_movie::build_movie(movie).contiguous(), name, set) {}

harness::harness(const test_movie::bytes& file, const std::string& name, const keys& set)
    : m_path(own_path(name)), m_written(true) {
    EXPECT_TRUE(test_movie::write_bytes(file, m_path)) << m_path;
    init();
    for (const auto& key : set) this->set(key.first, key.second);
}

harness::~harness() {
    // The importer goes first: it holds the movie open, and Windows removes
    // no open file.
    m_importer.reset();
    std::error_code ignored;
    if (m_written) std::filesystem::remove(std::filesystem::u8path(m_path), ignored);
}

harness::harness(const std::string& path) : m_path(path), m_written(false) { init(); }

void harness::init() {
    m_importer = new apple_qt();
    m_configuration = new Ruv::CM::RImporterConfiguration();
    std::vector<Ruv::CM::RQueue*> queues;
    for (unsigned i = 0; i < queue_count; ++i) {
        m_queues.push_back(new Ruv::CM::RQueue(kQueueCapacity));
        queues.push_back(m_queues.back().get());
    }
    Ruv::RPtr<Ruv::RURI> uri(new Ruv::RURI(Ruv::CString(m_path)));
    Ruv::RPtr<Ruv::CM::RStream> input = Ruv::CM::RStream::getStream(uri, 0, 0);
    input->open();
    m_importer->init(input, queues);
}

void harness::set(const std::string& key, const std::string& value) {
    m_configuration->set(key, value);
}

int harness::preflight() {
    m_importer->preconfigure(*m_configuration);
    return m_importer->preflight(*m_configuration);
}

bool harness::open() {
    int answer = preflight();
    EXPECT_EQ(answer, 0) << "preflight of " << m_path;
    if (answer != 0) return false;
    return configure() == 0;
}

int harness::configure() { return m_importer->configure(*m_configuration); }

int harness::runloop() { return m_importer->runloop(nullptr); }

std::vector<Ruv::RPtr<const Ruv::CM::RFrame>> harness::import(unsigned index) {
    EXPECT_TRUE(open() && runloop() == 0) << "open or runloop of " << m_path;
    return take_frames(index);
}

std::vector<Ruv::RPtr<const Ruv::CM::RFrame>> harness::take_frames(unsigned index) {
    std::vector<Ruv::RPtr<const Ruv::CM::RFrame>> frames;
    Ruv::RPtr<const Ruv::CM::RFrame> frame;
    while (m_queues[index]->tryTake(frame)) frames.push_back(frame);
    return frames;
}

Ruv::RPtr<const Ruv::CM::RDescription> harness::description(unsigned index) const {
    return m_queues[index]->getDescription();
}

std::vector<uint8_t> harness::parameter(unsigned index, const char* name) const {
    Ruv::RPtr<const Ruv::CM::RDescription> d = description(index);
    const Ruv::RBuffer* value = d ? d->findParameter(name) : nullptr;
    if (!value) return {};
    return std::vector<uint8_t>(value->getData(), value->getData() + value->getLength());
}

void expect_importer_exception(const std::function<void()>& call, int line, const char* function,
                               const std::string& message) {
    try {
        call();
        ADD_FAILURE() << function << " did not throw \"" << message << "\"";
    } catch (const Ruv::CException& e) {
        EXPECT_EQ(e.getClassName().str(), "Ruv::CException");
        EXPECT_EQ(e.getLine(), line);
        EXPECT_EQ(e.getFile().str(), "component/importer/any/apple_qt/apple_qt");
        EXPECT_EQ(e.getFunction().str(), function);
        EXPECT_EQ(e.getMessage().str(), message);
    }
}

test_movie::bytes avc_config_payload(uint8_t profile, uint8_t level,
                                     const std::vector<test_movie::bytes>& sps,
                                     const std::vector<test_movie::bytes>& pps) {
    // Version 1, the profile, its compatibility, the level, lengths of 4
    // bytes, and the number of sequence sets under three set bits.
    test_movie::bytes out = {1, profile, 0, level, 0xFF, uint8_t(0xE0 | sps.size())};
    for (const auto& s : sps) {
        test_movie::put_u16(out, uint16_t(s.size()));
        test_movie::put_bytes(out, s);
    }
    test_movie::put_u8(out, uint8_t(pps.size()));
    for (const auto& p : pps) {
        test_movie::put_u16(out, uint16_t(p.size()));
        test_movie::put_bytes(out, p);
    }
    return out;
}

test_movie::movie_plan video_movie(uint32_t codec, uint32_t count, uint32_t duration,
                                   const std::vector<test_movie::extension>& extensions) {
    test_movie::movie_plan movie;
    movie.add_video(codec, 320, 240, extensions).add_samples(count, 1000, duration);
    return movie;
}

}  // namespace importer_test

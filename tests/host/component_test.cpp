// The importer base: its slots, what init and preconfigure keep, and the
// component thread with its exception record and its end at the last release.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "lib/cm/CMComponent.h"
#include "lib/cm/CMDescription.h"

namespace {

using namespace Ruv;
using namespace Ruv::CM;

// Puts one frame per writer then ends them; throws when asked to.
class sample_importer : public RImporter {
public:
    bool fail_in_runloop = false;

    int preflight(RImporterConfiguration&) override { return 0; }
    int configure(RImporterConfiguration&) override { return 0; }
    RPtr<RMovieInfo> getMovieInfo() override { return RMovieInfo::create(); }
    int setTime(unsigned, double) override { return 0; }
    int runloop(void*) override {
        if (fail_in_runloop)
            throw CException("sample_importer", 7, "sample", "sample_importer::runloop",
                             CString("no movie"));
        for (size_t i = 0; i < getWriterCount(); ++i) {
            getWriter(unsigned(i))->put(RVideoFrame::createWithData(
                0, CTimeStamp(0), CTimeStamp(1), 0, 0, nullptr, RVideoFrame::kKeyFrame,
                kConstructCopy));
            getWriter(unsigned(i))->end();
        }
        return 5;
    }
    RFrame* processNextFrame(unsigned) override { return nullptr; }
};

TEST(Importer, InitMakesOneWriterPerQueueInOrder) {
    RPtr<RQueue> q0(new RQueue(2)), q1(new RQueue(2));
    std::vector<RQueue*> queues{q0.get(), nullptr, q1.get()};
    RPtr<sample_importer> importer(new sample_importer());
    RPtr<RStream> input = RStream::getStream(RPtr<RURI>(new RURI("mem:none")), 0, 0);
    RImporter& base = *importer;
    EXPECT_EQ(base.init(input, queues), 0);
    EXPECT_EQ(importer->getInputStream(), input);
    ASSERT_EQ(importer->getWriterCount(), 3u);
    EXPECT_EQ(importer->getWriter(0)->getQueue(), q0.get());
    EXPECT_EQ(importer->getWriter(1), nullptr);
    EXPECT_EQ(importer->getWriter(2)->getQueue(), q1.get());
    EXPECT_EQ(importer->getWriter(3), nullptr);
}

TEST(Importer, PreconfigureKeepsTheConfiguration) {
    RPtr<sample_importer> importer(new sample_importer());
    RImporterConfiguration configuration;  // on the stack: the importer keeps a copy
    configuration.set("video", "0");
    EXPECT_EQ(importer->preconfigure(configuration), 0);
    configuration.set("video", "1");
    ASSERT_TRUE(importer->getConfiguration());
    EXPECT_EQ(importer->getConfiguration()->getInt("video", -1, -1, 9), 0);
}

TEST(ComponentThread, RunsRunloopAndDelivers) {
    RPtr<RQueue> queue(new RQueue(4));
    std::vector<RQueue*> queues{queue.get()};
    RPtr<sample_importer> importer(new sample_importer());
    importer->init(nullptr, queues);
    ASSERT_TRUE(importer->start());
    RPtr<const RFrame> frame;
    EXPECT_TRUE(queue->take(frame));
    EXPECT_FALSE(queue->take(frame));
    EXPECT_EQ(importer->join(), 5);
    EXPECT_FALSE(importer->hasException());
}

TEST(ComponentThread, ExceptionLeavingRunloopIsRecorded) {
    RPtr<sample_importer> importer(new sample_importer());
    importer->fail_in_runloop = true;
    ASSERT_TRUE(importer->start());
    EXPECT_EQ(importer->join(), -1);
    ASSERT_TRUE(importer->hasException());
    const std::vector<CException> recorded = importer->getExceptions();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].getMessage().str(), "no movie");
    EXPECT_EQ(recorded[0].getFunction().str(), "sample_importer::runloop");
    importer->componentWillReset();
    EXPECT_FALSE(importer->hasException());
}

// Records, in order, when its loop ends and when it is destroyed. Its loop
// starts, puts frames into its first queue until a put fails, and ends; or,
// given the address of the last reference to it, waits for the host to let go
// of its own and drops that last reference on its own thread.
class recording_importer : public sample_importer {
public:
    explicit recording_importer(std::vector<std::string>& events) : m_events(events) {}
    ~recording_importer() override {
        m_events.push_back("destroyed");
        destroyed.set_value();
    }
    int runloop(void* last_reference) override {
        started.set_value();
        if (last_reference) {
            host_let_go.get_future().wait();
            *static_cast<RPtr<recording_importer>*>(last_reference) = nullptr;
        } else {
            while (getWriter(0)->put(RVideoFrame::createWithData(
                0, CTimeStamp(0), CTimeStamp(1), 0, 0, nullptr, RVideoFrame::kKeyFrame,
                kConstructCopy))) {
            }
        }
        m_events.push_back("loop ended");
        return 0;
    }

    std::promise<void> started;
    std::promise<void> host_let_go;
    std::promise<void> destroyed;

private:
    std::vector<std::string>& m_events;
};

TEST(ComponentThread, LastReleaseWhileTheLoopRunsStopsAndJoinsBeforeDestroying) {
    std::vector<std::string> events;
    RPtr<RQueue> queue(new RQueue(1));  // nobody takes: the loop blocks on a full queue
    std::vector<RQueue*> queues{queue.get()};
    RPtr<recording_importer> importer(new recording_importer(events));
    importer->init(nullptr, queues);
    std::future<void> started = importer->started.get_future();
    ASSERT_TRUE(importer->start());
    started.wait();
    importer = nullptr;
    EXPECT_EQ(events, (std::vector<std::string>{"loop ended", "destroyed"}));
}

TEST(ComponentThread, LastReleaseOnItsOwnThreadDestroysOnceTheLoopReturns) {
    std::vector<std::string> events;
    RPtr<recording_importer> last(new recording_importer(events));
    recording_importer* importer = last.get();
    std::future<void> destroyed = importer->destroyed.get_future();
    {
        RPtr<recording_importer> host = last;
        ASSERT_TRUE(host->start(&last));
    }
    importer->host_let_go.set_value();
    destroyed.wait();
    EXPECT_EQ(events, (std::vector<std::string>{"loop ended", "destroyed"}));
}

}  // namespace

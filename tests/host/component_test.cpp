// The importer's component thread and its end at the last release; the
// importer base's stop.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "lib/cm/CMComponent.h"
#include "lib/cm/CMDescription.h"

namespace {

using namespace Ruv;
using namespace Ruv::CM;

RPtr<const RFrame> frame() {
    return RVideoFrame::createWithData(0, CTimeStamp(0), CTimeStamp(1), 0, 0, nullptr,
                                       RVideoFrame::kKeyFrame, kConstructCopy);
}

// Records, in order, when its loop ends and when it is destroyed. Its loop
// starts, puts frames into its first queue until a put fails, and ends; or,
// given the address of the last reference to it, waits for the host to let go
// of its own and drops that last reference on its own thread.
class recording_importer : public RImporter {
public:
    explicit recording_importer(std::vector<std::string>& events) : m_events(events) {}
    int preflight(RImporterConfiguration&) override { return 0; }
    int configure(RImporterConfiguration&) override { return 0; }
    RPtr<RMovieInfo> getMovieInfo() override { return RMovieInfo::create(); }
    int setTime(unsigned, double) override { return 0; }
    RFrame* processNextFrame(unsigned) override { return nullptr; }
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
            while (getWriter(0)->put(frame())) {
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
    RPtr<RQueue> queue(new RQueue(1));
    std::vector<RQueue*> queues{queue.get()};
    RPtr<recording_importer> importer(new recording_importer(events));
    importer->init(nullptr, queues);
    // The importer base's stop does nothing: the queue stays open. Filled, and
    // nobody takes, it blocks the loop.
    importer->stop();
    ASSERT_TRUE(importer->getWriter(0)->put(frame()));
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

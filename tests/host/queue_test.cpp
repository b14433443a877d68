// Bounded frame queues between a producer thread and a consumer.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "lib/cm/CMQueue.h"

namespace {

using Ruv::RPtr;
using Ruv::CM::RFrame;
using Ruv::CM::RQueue;
using Ruv::CM::RVideoFrame;

RPtr<const RFrame> frame(unsigned sequence) {
    return RVideoFrame::createWithData(sequence, Ruv::CTimeStamp(sequence * 0.04),
                                       Ruv::CTimeStamp(0.04), 0, 0, nullptr,
                                       RVideoFrame::kKeyFrame, Ruv::kConstructCopy);
}

TEST(Queue, CancelReleasesABlockedProducer) {
    RPtr<RQueue> queue(new RQueue(1));
    queue->put(frame(0));
    std::mutex mutex;
    std::condition_variable started;
    bool producing = false;
    bool accepted = true;
    std::thread producer([&] {
        {
            std::lock_guard<std::mutex> lock(mutex);
            producing = true;
        }
        started.notify_one();
        accepted = queue->put(frame(1));
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        started.wait(lock, [&] { return producing; });
    }
    queue->cancel();
    producer.join();

    EXPECT_FALSE(accepted);
    EXPECT_EQ(queue->size(), 0u);
    RPtr<const RFrame> taken;
    EXPECT_FALSE(queue->take(taken));
}

}  // namespace

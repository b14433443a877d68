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

// Hand-offs are batched, yet a side that waits for each single frame or
// place gets it: a producer that puts the next frame only once the last one
// is taken, and a consumer that takes the next only once a new one is put
// into the full queue. A lost wake-up hangs the test.
TEST(Queue, LockstepSidesGetEachSingleFrameAndPlace) {
    RPtr<RQueue> queue(new RQueue(16));
    std::mutex mutex;
    std::condition_variable changed;
    unsigned taken = 0, put = 0;
    auto bump = [&](unsigned& count) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++count;
        }
        changed.notify_all();
    };
    auto wait_until = [&](const unsigned& count, unsigned value) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return count >= value; });
    };

    std::thread consumer([&] {
        RPtr<const RFrame> f;
        for (unsigned i = 0; i < 20; ++i) {
            ASSERT_TRUE(queue->take(f));
            EXPECT_EQ(f->getSequenceNumber(), i);
            bump(taken);
        }
    });
    for (unsigned i = 0; i < 20; ++i) {
        ASSERT_TRUE(queue->put(frame(i)));
        wait_until(taken, i + 1);
    }
    consumer.join();

    std::thread producer([&] {
        for (unsigned i = 0; i < 36; ++i) {
            ASSERT_TRUE(queue->put(frame(i)));
            bump(put);
        }
    });
    wait_until(put, 16);
    RPtr<const RFrame> f;
    for (unsigned i = 0; i < 20; ++i) {
        ASSERT_TRUE(queue->take(f));
        EXPECT_EQ(f->getSequenceNumber(), i);
        wait_until(put, 17 + i);
    }
    producer.join();
    EXPECT_EQ(queue->size(), 16u);
}

}  // namespace

// Bounded frame queues between a producer thread and a consumer.
#include <gtest/gtest.h>

#include <atomic>
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

TEST(Queue, FullQueueBlocksProducerUntilConsumerTakes) {
    RPtr<RQueue> queue(new RQueue(1));
    ASSERT_TRUE(queue->put(frame(0)));

    std::atomic<bool> consumer_started_taking(false);
    std::atomic<bool> put_saw_consumer(false);
    std::thread producer([&] {
        queue->put(frame(1));
        put_saw_consumer = consumer_started_taking.load();
    });

    consumer_started_taking = true;
    RPtr<const RFrame> taken;
    ASSERT_TRUE(queue->take(taken));
    EXPECT_EQ(taken->getSequenceNumber(), 0u);
    producer.join();

    EXPECT_TRUE(put_saw_consumer);
    ASSERT_TRUE(queue->take(taken));
    EXPECT_EQ(taken->getSequenceNumber(), 1u);
}

TEST(Queue, ProducerNeverExceedsCapacityAndOrderIsKept) {
    const unsigned count = 200;
    RPtr<RQueue> queue(new RQueue(3));
    std::atomic<size_t> largest(0);
    std::thread producer([&] {
        for (unsigned i = 0; i < count; ++i) {
            queue->put(frame(i));
            const size_t now = queue->size();
            if (now > largest) largest = now;
        }
        queue->end();
    });

    unsigned expected = 0;
    RPtr<const RFrame> taken;
    while (queue->take(taken)) EXPECT_EQ(taken->getSequenceNumber(), expected++);
    producer.join();

    EXPECT_EQ(expected, count);
    EXPECT_LE(largest.load(), 3u);
    EXPECT_EQ(queue->putCount(), count);
}

TEST(Queue, EndMarkFollowsTheQueuedFrames) {
    RPtr<RQueue> queue(new RQueue(4));
    queue->put(frame(0));
    queue->put(frame(1));
    queue->end();
    EXPECT_FALSE(queue->put(frame(2)));
    EXPECT_TRUE(queue->isEnded());

    RPtr<const RFrame> taken;
    EXPECT_TRUE(queue->take(taken));
    EXPECT_TRUE(queue->take(taken));
    EXPECT_EQ(taken->getSequenceNumber(), 1u);
    EXPECT_FALSE(queue->take(taken));
    EXPECT_FALSE(queue->tryTake(taken));
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

TEST(Queue, TryTakeDoesNotWaitAndCapacityZeroMeansOne) {
    RPtr<RQueue> queue(new RQueue(0));
    EXPECT_EQ(queue->capacity(), 1u);
    RPtr<const RFrame> taken;
    EXPECT_FALSE(queue->tryTake(taken));
    queue->put(frame(5));
    EXPECT_TRUE(queue->tryTake(taken));
    EXPECT_EQ(taken->getSequenceNumber(), 5u);
}

TEST(QueueWriter, QueueTakesItsOwnReferences) {
    RPtr<RQueue> queue(new RQueue(2));
    {
        RPtr<Ruv::CM::RQFrameWriter> writer(new Ruv::CM::RQFrameWriter(queue.get()));
        EXPECT_EQ(writer->getQueue(), queue.get());
        RPtr<Ruv::CM::RVideoDescription> description(new Ruv::CM::RVideoDescription());
        writer->setDescription(description);
        RPtr<const RFrame> f = frame(9);
        EXPECT_TRUE(writer->put(f));
        EXPECT_EQ(f->refcount(), 2);
        writer->end();
    }
    EXPECT_EQ(queue->refcount(), 1);
    ASSERT_TRUE(queue->getDescription());
    EXPECT_EQ(queue->getDescription()->getKind(), Ruv::CM::RDescription::kVideo);
    RPtr<const RFrame> taken;
    EXPECT_TRUE(queue->take(taken));
    EXPECT_EQ(taken->refcount(), 1);
    EXPECT_FALSE(queue->take(taken));
}

}  // namespace

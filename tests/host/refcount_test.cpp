// Reference counting and ownership of counted host objects and buffers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "lib/cm/CMFrame.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/CBuffer.h"
#include "lib/ruv/RPtr.h"

namespace {

// Counts its own destructions.
class tracked : public kolmbase::object_refcount {
public:
    explicit tracked(int& destroyed) : m_destroyed(destroyed) {}
    ~tracked() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

TEST(RefCount, LastReleaseDestroysTheObject) {
    int destroyed = 0;
    tracked* object = new tracked(destroyed);
    EXPECT_EQ(object->refcount(), 0);
    {
        Ruv::RPtr<tracked> first(object);
        {
            Ruv::RPtr<tracked> second = first;
            EXPECT_EQ(object->refcount(), 2);
        }
        EXPECT_EQ(object->refcount(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, MoveTransfersTheReferenceWithoutCounting) {
    int destroyed = 0;
    Ruv::RPtr<tracked> first(new tracked(destroyed));
    Ruv::RPtr<tracked> second(std::move(first));
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(second->refcount(), 1);

    Ruv::RPtr<tracked> third;
    third = std::move(second);
    EXPECT_EQ(third->refcount(), 1);
    third.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, AssigningReleasesTheOldObject) {
    int destroyed_a = 0, destroyed_b = 0;
    Ruv::RPtr<tracked> p(new tracked(destroyed_a));
    p = new tracked(destroyed_b);
    EXPECT_EQ(destroyed_a, 1);
    p = p;  // self-assignment keeps the object
    EXPECT_EQ(destroyed_b, 0);
    EXPECT_EQ(p->refcount(), 1);
}

TEST(RefCount, DetachHandsTheCountToTheCaller) {
    int destroyed = 0;
    Ruv::RPtr<tracked> p(new tracked(destroyed));
    tracked* raw = p.detach();
    EXPECT_TRUE(p.isNull());
    EXPECT_EQ(raw->refcount(), 1);
    EXPECT_EQ(destroyed, 0);
    raw->release();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, CopiedObjectStartsUncounted) {
    int destroyed = 0;
    Ruv::RPtr<tracked> original(new tracked(destroyed));
    Ruv::RPtr<tracked> copy(new tracked(*original));
    EXPECT_EQ(original->refcount(), 1);
    EXPECT_EQ(copy->refcount(), 1);
}

TEST(Buffer, CopyFlagCopiesTheBytes) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    Ruv::RPtr<Ruv::RBuffer> buffer(new Ruv::RBuffer(4, bytes, Ruv::kConstructCopy));
    bytes[0] = 9;
    ASSERT_EQ(buffer->getLength(), 4u);
    EXPECT_NE(buffer->getData(), bytes);
    EXPECT_EQ(buffer->getData()[0], 1);
}

TEST(Buffer, TakeOverFlagKeepsTheMemory) {
    unsigned char* memory = static_cast<unsigned char*>(std::calloc(8, 1));
    Ruv::CBuffer buffer(8, memory, Ruv::kConstructTakeOver);
    EXPECT_EQ(buffer.getData(), memory);  // freed by the buffer (checked by the sanitizers)
}

TEST(Buffer, CopyOfBufferOwnsItsOwnBytes) {
    const char text[] = "abc";
    Ruv::CBuffer a(3, text, Ruv::kConstructCopy);
    Ruv::CBuffer b(a);
    Ruv::CBuffer c;
    c = a;
    EXPECT_NE(a.getData(), b.getData());
    EXPECT_NE(a.getData(), c.getData());
    EXPECT_EQ(std::memcmp(c.getData(), "abc", 3), 0);
}

TEST(Buffer, NullDataGivesZeroFilledBytes) {
    Ruv::CBuffer buffer(16, nullptr, Ruv::kConstructCopy);
    ASSERT_EQ(buffer.getLength(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(buffer.getData()[i], 0);
}

TEST(Frame, TakesOverACallocBuffer) {
    unsigned char* data = static_cast<unsigned char*>(std::calloc(1000, 1));
    data[0] = 7;
    Ruv::RPtr<Ruv::CM::RVideoFrame> frame = Ruv::CM::RVideoFrame::createWithData(
        3, Ruv::CTimeStamp(0.5), Ruv::CTimeStamp(0.04), 0x61766331, 1000, data,
        Ruv::CM::RVideoFrame::kKeyFrame, Ruv::kConstructTakeOver);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->getData(), data);
    EXPECT_EQ(frame->getSequenceNumber(), 3u);
    EXPECT_EQ(frame->getDecodeTime(), frame->getTimeStamp());
    EXPECT_EQ(frame->getFrameType(), Ruv::CM::RVideoFrame::kKeyFrame);
    EXPECT_EQ(frame->getTimeCode().mode(), kolmbase::timecode::mode_none);
}

TEST(Frame, CopyFlagCopiesTheSamples) {
    unsigned char samples[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    Ruv::RPtr<Ruv::CM::RAudioFrame> frame = Ruv::CM::RAudioFrame::createWithData(
        0, Ruv::CTimeStamp(0), Ruv::CTimeStamp(0.1), 0x666C3332, 8, samples, 0, 0,
        Ruv::kConstructCopy);
    ASSERT_TRUE(frame);
    EXPECT_NE(frame->getData(), samples);
    EXPECT_EQ(frame->getData()[7], 8);
    EXPECT_EQ(frame->getKind(), Ruv::CM::RFrame::kAudio);
}

}  // namespace

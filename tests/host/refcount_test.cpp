// Ownership of counted host objects, buffers and frames: the plug-in hands
// its sample buffers to host frames and relies on the counts to free them.
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

TEST(RefCount, CopiesCountMovesDoNotAndTheLastReleaseDestroys) {
    int destroyed = 0;
    tracked* object = new tracked(destroyed);
    EXPECT_EQ(object->refcount(), 0);
    {
        Ruv::RPtr<tracked> first(object);
        Ruv::RPtr<tracked> second = first;
        EXPECT_EQ(object->refcount(), 2);
        Ruv::RPtr<tracked> third(std::move(second));
        EXPECT_TRUE(second.isNull());
        EXPECT_EQ(object->refcount(), 2);
        third = third;
        EXPECT_EQ(object->refcount(), 2);
    }
    EXPECT_EQ(destroyed, 1);

    Ruv::RPtr<tracked> p(new tracked(destroyed));
    tracked* raw = p.detach();
    EXPECT_TRUE(p.isNull());
    EXPECT_EQ(raw->refcount(), 1);
    p = new tracked(destroyed);
    raw->release();
    EXPECT_EQ(destroyed, 2);
    p.reset();
    EXPECT_EQ(destroyed, 3);
}

TEST(Buffer, CopyFlagCopiesTakeOverKeepsAndNullGivesZeros) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    Ruv::CBuffer copied(4, bytes, Ruv::kConstructCopy);
    bytes[0] = 9;
    EXPECT_EQ(copied.getData()[0], 1);
    Ruv::CBuffer copy_of_copy(copied);
    EXPECT_NE(copy_of_copy.getData(), copied.getData());
    EXPECT_EQ(std::memcmp(copy_of_copy.getData(), copied.getData(), 4), 0);

    unsigned char* memory = static_cast<unsigned char*>(std::calloc(8, 1));
    Ruv::CBuffer taken(8, memory, Ruv::kConstructTakeOver);
    EXPECT_EQ(taken.getData(), memory);  // freed by the buffer (checked by the sanitizers)

    Ruv::CBuffer zeros(16, nullptr, Ruv::kConstructCopy);
    ASSERT_EQ(zeros.getLength(), 16u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(zeros.getData()[i], 0);
}

TEST(Frame, TakesOverACallocBuffer) {
    unsigned char* data = static_cast<unsigned char*>(std::calloc(1000, 1));
    Ruv::RPtr<Ruv::CM::RVideoFrame> frame = Ruv::CM::RVideoFrame::createWithData(
        3, Ruv::CTimeStamp(0.5), Ruv::CTimeStamp(0.04), 0x61766331, 1000, data,
        Ruv::CM::RVideoFrame::kKeyFrame, Ruv::kConstructTakeOver);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->getData(), data);
    EXPECT_EQ(frame->getDecodeTime(), frame->getTimeStamp());
    EXPECT_EQ(frame->getTimeCode().mode(), kolmbase::timecode::mode_none);
}

}  // namespace

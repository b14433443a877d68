// The tables of virtual functions of the host classes an importer derives
// from, slot by slot as the host publishes them: a plug-in built against
// these declarations calls the host's functions by position.
//
// Positions are read from pointers to virtual members in the Itanium C++ ABI
// (GCC, Clang, MinGW): the pointer holds 1 + the entry's byte offset in the
// table. Two entries of that ABI have no published slot: a virtual
// destructor takes two entries, and an override of a thread-side function
// gets an entry of its own in the first table where its class declares it:
// RComponent's handleException after authenticate, RImporter's threadrunloop
// after processNextFrame.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "lib/cm/CMComponent.h"

namespace {

using namespace Ruv;
using namespace Ruv::CM;

template <class Member>
long entry_of(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(void*), "an Itanium member function pointer");
    std::uintptr_t word = 0;
    std::memcpy(&word, &member, sizeof word);
    if (!(word & 1)) return -1;  // not virtual
    return long((word - 1) / sizeof(void*));
}

long published(long slot) { return slot + 1 + (slot > 5 ? 1 : 0); }
long published_thread_side(long slot) { return slot + 1; }

// A class that adds one virtual function after its bases' tables.
struct importer_with_more : RImporter {
    virtual void more() {}
};
struct thread_with_more : CThread<thread_with_more> {
    virtual void more() {}
};

TEST(HostClassLayout, ImporterTableHoldsTheFifteenPublishedSlots) {
    EXPECT_EQ(entry_of(&RImporter::type), published(1));
    EXPECT_EQ(entry_of(&RImporter::getStatus), published(2));
    EXPECT_EQ(entry_of(&RImporter::componentWillReset), published(3));
    EXPECT_EQ(entry_of(&RImporter::handleNotification), published(4));
    EXPECT_EQ(entry_of(&RImporter::authenticate), published(5));
    EXPECT_EQ(entry_of(&RComponent::handleException), published(5) + 1);
    EXPECT_EQ(entry_of(&RImporter::init), published(6));
    EXPECT_EQ(entry_of(&RImporter::preconfigure), published(7));
    EXPECT_EQ(entry_of(&RImporter::preflight), published(8));
    EXPECT_EQ(entry_of(&RImporter::configure), published(9));
    EXPECT_EQ(entry_of(&RImporter::getMovieInfo), published(10));
    EXPECT_EQ(entry_of(&RImporter::stop), published(11));
    EXPECT_EQ(entry_of(&RImporter::setTime), published(12));
    EXPECT_EQ(entry_of(&RImporter::runloop), published(13));
    EXPECT_EQ(entry_of(&RImporter::processNextFrame), published(14));
    EXPECT_EQ(entry_of(&RImporter::threadrunloop), published(14) + 1);
    EXPECT_EQ(entry_of(&importer_with_more::more), published(14) + 2);
}

TEST(HostClassLayout, ThreadTableHoldsDestructorExceptionHandlerAndLoop) {
    EXPECT_EQ(entry_of(&CExceptionHandlerP::handleException), published_thread_side(1));
    EXPECT_EQ(entry_of(&CThread<RComponent>::threadrunloop), published_thread_side(2));
    EXPECT_EQ(entry_of(&thread_with_more::more), published_thread_side(3));
}

}  // namespace

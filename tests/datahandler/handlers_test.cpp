// The data handler's calls, sent through its entry routine as QuickTime sends
// them, on an instance storage that serves a data reference.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "datahandler/data_handler_storage.h"
#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "platform/temp_folder.h"
#include "quicktime/routines.h"

using dh_test::call_entry;
using dh_test::handle_bytes;
using dh_test::handle_with;
using dh_test::printed_lines;
using dh_test::word;

namespace {

enum : int16_t {
    kOpen = -1,
    kClose = -2,
    kOpenForRead = 0x08,
    kSetDataRef = 0x0A,
    kGetDataRef = 0x0B,
    kCompareDataRef = 0x0C,
    kScheduleData = 0x0E,
    kGetFileName = 0x25,
    kGetInfoFlags = 0x2D,
    kScheduleData64 = 0x2E,
    kGetFileSize64 = 0x30,
};
constexpr ComponentResult kInvalidDataRef = -2012;
constexpr ComponentResult kReadErr = -19;
constexpr ComponentResult kEofErr = -39;

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + 1);
    return bytes;
}

// The completion routine's calls and its last arguments.
struct completion_record {
    int calls = 0;
    Ptr request = nullptr;
    long refcon = 0;
    OSErr error = 0;
};
completion_record g_completion;

void record_completion(Ptr request, long refcon, OSErr error) {
    g_completion = {g_completion.calls + 1, request, refcon, error};
}

// Any non-null schedule record asks for the completion routine.
DataHSchedulePtr const kScheduleRecord = reinterpret_cast<DataHSchedulePtr>(uintptr_t(0x10));

// A reference whose every seek fails.
class failing_seek_ref : public CMDataRef {
public:
    std::string get_url() const override { return "kolmfs://store/failing.mov"; }
    int64_t read(unsigned char*, int64_t count) override {
        ++reads;
        return count;
    }
    int64_t seek(int64_t, uint8_t) override { return -1; }
    int64_t size() override { return 100; }
    CMDataRef* spawn_new_data_ref_impl(std::string) override { return nullptr; }
    int reads = 0;
};

class DataHandlerCalls : public ::testing::Test {
protected:
    void SetUp() override {
        g_completion = completion_record{};
        m_ref.reset(dh_test::memory_data_ref(pattern(64), "kolmfs://store/dir/clip.mov"));
        m_storage = reinterpret_cast<datahandler::storage*>(NewPtrClear(12));
        ASSERT_NE(nullptr, m_storage);
    }
    void TearDown() override { EXPECT_EQ(noErr, call_entry(m_storage, kClose, {0})); }

    // Gives the instance a reference to ref and disposes the caller's handle.
    ComponentResult serve(CMDataRef* ref) {
        Handle h = handle_from_data_ref(ref);
        const ComponentResult result = call_entry(m_storage, kSetDataRef, {word(h)});
        DisposeHandle(h);
        return result;
    }

    ComponentResult schedule64(void* buffer, int64_t offset, long size, long refcon = 0,
                               DataHSchedulePtr record = kScheduleRecord) {
        const wide at{uint32_t(offset), int32_t(offset >> 32)};
        return call_entry(m_storage, kScheduleData64,
                          {word(buffer), word(&at), int32_t(size), int32_t(refcon), word(record),
                           word(&record_completion)});
    }

    std::unique_ptr<CMStreamDataRef> m_ref;
    datahandler::storage* m_storage = nullptr;
};

TEST_F(DataHandlerCalls, ReferenceCallsAnswerFromTheServedHandle) {
    ASSERT_EQ(noErr, serve(m_ref.get()));
    // GetDataRef gives a copy the caller may dispose.
    Handle copy = nullptr;
    ASSERT_EQ(noErr, call_entry(m_storage, kGetDataRef, {word(&copy)}));
    EXPECT_NE(m_storage->data_ref, copy);
    EXPECT_EQ(m_ref.get(), data_ref_from_handle(copy));
    // CompareDataRef looks at the bytes.
    std::vector<uint8_t> bytes = handle_bytes(m_storage->data_ref);
    EXPECT_EQ(bytes, handle_bytes(copy));
    DisposeHandle(copy);
    Handle same = handle_with(bytes);
    bytes[6] ^= 1;  // one byte of the name
    Handle other = handle_with(bytes);
    Handle shorter = handle_with(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    Boolean equal = false;
    EXPECT_EQ(noErr, call_entry(m_storage, kCompareDataRef, {word(same), word(&equal)}));
    EXPECT_TRUE(equal);
    EXPECT_EQ(noErr, call_entry(m_storage, kCompareDataRef, {word(other), word(&equal)}));
    EXPECT_FALSE(equal);
    EXPECT_EQ(noErr, call_entry(m_storage, kCompareDataRef, {word(shorter), word(&equal)}));
    EXPECT_FALSE(equal);
    EXPECT_EQ(kInvalidDataRef, call_entry(m_storage, kCompareDataRef, {0, word(&equal)}));
    for (Handle h : {same, other, shorter}) DisposeHandle(h);
    // GetFileName gives the Pascal name.
    unsigned char name[256];
    std::memset(name, 0xEE, sizeof name);
    printed_lines printed;
    ASSERT_EQ(noErr, call_entry(m_storage, kGetFileName, {word(name)}));
    EXPECT_EQ("clip.mov", std::string(reinterpret_cast<char*>(name + 1), name[0]));
    EXPECT_EQ(0, name[9]);
    EXPECT_TRUE(printed.contains("<datah>   Pascal: 8 bytes 'clip.mov'\n"));
    UInt32 flags = 7;
    EXPECT_EQ(noErr, call_entry(m_storage, kGetInfoFlags, {word(&flags)}));
    EXPECT_EQ(0u, flags);
}

// Without a reference, or with a handle of another layout, reading tries
// OpenForRead, then fails with paramErr. OpenForRead fails only without a
// handle; a handle that does not parse still opens, since the stream behind a
// reference is open already.
TEST_F(DataHandlerCalls, ReadingWithoutAUsableReferenceFailsWithParamErr) {
    for (bool set_handle : {false, true}) {
        if (set_handle) {
            Handle bad = handle_with(std::vector<uint8_t>(20, 0));
            ASSERT_EQ(noErr, call_entry(m_storage, kSetDataRef, {word(bad)}));
            DisposeHandle(bad);
        }
        printed_lines printed;
        wide size{};
        EXPECT_EQ(paramErr, call_entry(m_storage, kGetFileSize64, {word(&size)}));
        EXPECT_TRUE(printed.contains("<datah> OpenForRead\n"));
        uint8_t buffer[4] = {};
        EXPECT_EQ(paramErr, schedule64(buffer, 0, 4));
        EXPECT_EQ(0, g_completion.calls);
        EXPECT_EQ(set_handle ? noErr : kInvalidDataRef, call_entry(m_storage, kOpenForRead, {}));
    }
}

TEST_F(DataHandlerCalls, ScheduleData64ReadsAtTheOffsetAndCompletesWhenAsked) {
    ASSERT_EQ(noErr, serve(m_ref.get()));
    uint8_t buffer[5] = {};
    EXPECT_EQ(noErr, schedule64(buffer, 10, 5, 77));
    const std::vector<uint8_t> expected = pattern(64);
    EXPECT_EQ(std::vector<uint8_t>(expected.begin() + 10, expected.begin() + 15),
              std::vector<uint8_t>(buffer, buffer + 5));
    EXPECT_EQ(1, g_completion.calls);
    EXPECT_EQ(reinterpret_cast<Ptr>(buffer), g_completion.request);
    EXPECT_EQ(77, g_completion.refcon);
    EXPECT_EQ(noErr, g_completion.error);
    // Without a schedule record the routine is not called.
    EXPECT_EQ(noErr, schedule64(buffer, 0, 4, 0, nullptr));
    EXPECT_EQ(1, g_completion.calls);
    // A failing seek reads nothing.
    failing_seek_ref failing;
    ASSERT_EQ(noErr, serve(&failing));
    EXPECT_EQ(kReadErr, schedule64(buffer, 8, 4));
    EXPECT_EQ(0, failing.reads);
    EXPECT_EQ(kReadErr, g_completion.error);
}

TEST_F(DataHandlerCalls, ScheduleDataTakesA32BitOffsetWithoutSign) {
    test_support::temp_folder folder;
    const std::string path = folder / "sparse.bin";
    const char marker[4] = {'Z', 'V', 'H', '!'};
    {
        std::ofstream file(path, std::ios::binary);
        file.seekp(std::streamoff(0x80000000u));
        file.write(marker, 4);
        if (!file.flush()) GTEST_SKIP() << "cannot make a sparse file of 2 GiB here";
    }
    std::unique_ptr<CMStreamDataRef> big(CMStreamDataRef::create_with_url(path));
    ASSERT_NE(nullptr, big);
    ASSERT_EQ(noErr, serve(big.get()));
    char buffer[4] = {};
    EXPECT_EQ(noErr, call_entry(m_storage, kScheduleData,
                                {word(buffer), int32_t(0x80000000u), 4, 0, 0, 0}));
    EXPECT_EQ(std::string(marker, 4), std::string(buffer, 4));
}

// A file cut short between two reads (to half, or to nothing): the size is
// the file's now, and a read that gets fewer bytes than asked fails with
// eofErr, completion included, instead of leaving the rest as it was.
class ShrinkingFile : public DataHandlerCalls, public ::testing::WithParamInterface<int> {};

TEST_P(ShrinkingFile, ShortReadIsEofErr) {
    test_support::temp_folder folder;
    const std::string path = folder / "shrinking.mov";
    const std::vector<uint8_t> bytes = pattern(4096);
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::unique_ptr<CMStreamDataRef> ref(CMStreamDataRef::create_with_url(path));
    ASSERT_NE(nullptr, ref);
    ASSERT_EQ(noErr, serve(ref.get()));
    std::vector<uint8_t> buffer(2048, 0xEE);
    ASSERT_EQ(noErr, schedule64(buffer.data(), 0, 1024));
    const uint64_t cut = uint64_t(GetParam());
    std::error_code error;
    std::filesystem::resize_file(path, cut, error);
    if (error) GTEST_SKIP() << "cannot cut an open file short here: " << error.message();
    wide size{};
    ASSERT_EQ(noErr, call_entry(m_storage, kGetFileSize64, {word(&size)}));
    EXPECT_EQ(cut, uint64_t(size.lo));
    // The second read straddles the new end, or starts past it.
    EXPECT_EQ(kEofErr, schedule64(buffer.data(), 1024, 2048, 5));
    EXPECT_EQ(kEofErr, g_completion.error);
    EXPECT_EQ(kEofErr, schedule64(buffer.data(), int64_t(cut) + 8, 16));
}

INSTANTIATE_TEST_SUITE_P(Cuts, ShrinkingFile, ::testing::Values(2048, 0));

TEST(DataHandlerInstance, OpenMakesStorageThatCloseFrees) {
    printed_lines printed;
    ASSERT_EQ(noErr, call_entry(nullptr, kOpen, {0x5150}));
    ASSERT_EQ(2u, printed.lines().size());
    unsigned address = 0;
    ASSERT_EQ(1, std::sscanf(printed.lines()[0].c_str(), "<datah> Open[%08x]", &address));
    EXPECT_EQ("<datah>   dataReferenceResolveMethod: 2\n", printed.lines()[1]);
    auto* s = reinterpret_cast<datahandler::storage*>(uintptr_t(address));
    EXPECT_EQ(reinterpret_cast<ComponentInstance>(uintptr_t(0x5150)), s->self);
    EXPECT_EQ(2, s->resolve_method);
    EXPECT_EQ(nullptr, s->data_ref);
    EXPECT_EQ(noErr, call_entry(s, kClose, {0x5150}));
    EXPECT_EQ(noErr, call_entry(nullptr, kClose, {0x5150}));
}

}  // namespace

// The handle data reference of type 'zvh ': its layout, the handles the
// reader refuses with each of its reasons, and the addresses it takes: only
// those of live data references.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "quicktime/routines.h"

using dh_test::handle_bytes;
using dh_test::handle_with;
using dh_test::memory_data_ref;
using dh_test::printed_lines;

namespace {

const std::vector<uint8_t> kBytes = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};

std::vector<uint8_t> be32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// The layout as the reader expects it, with a chosen name and address.
std::vector<uint8_t> layout(const std::string& name, uint32_t address) {
    std::vector<uint8_t> out = {0, 0, 0, 0, uint8_t(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    for (uint8_t b : be32(12)) out.push_back(b);
    for (uint8_t b : be32(datahandler::kExtensionData)) out.push_back(b);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(address >> (8 * i)));
    return out;
}

struct handle_owner {
    explicit handle_owner(Handle handle) : h(handle) {}
    ~handle_owner() {
        if (h != nullptr) DisposeHandle(h);
    }
    Handle h;
};

TEST(HandleDataRef, CarriesTheLastPathComponentAndTheAddress) {
    std::unique_ptr<CMStreamDataRef> ref(
        memory_data_ref(kBytes, "kolmfs://store/media/My%20Clip.mov"));
    handle_owner handle(handle_from_data_ref(ref.get()));
    ASSERT_NE(nullptr, handle.h);
    const uint32_t address = uint32_t(reinterpret_cast<uintptr_t>(ref.get()));
    EXPECT_EQ(layout("My Clip.mov", address), handle_bytes(handle.h));
    EXPECT_EQ(ref.get(), data_ref_from_handle(handle.h));
}

TEST(HandleDataRef, NameOf255BytesGivesA272ByteHandle) {
    const std::string name(255, 'n');
    std::unique_ptr<CMStreamDataRef> ref(memory_data_ref(kBytes, "kolmfs://store/" + name));
    handle_owner handle(handle_from_data_ref(ref.get()));
    ASSERT_NE(nullptr, handle.h);
    EXPECT_EQ(272, GetHandleSize(handle.h));
    EXPECT_EQ(ref.get(), data_ref_from_handle(handle.h));
}

struct refused_case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string message;
};

std::vector<uint8_t> with_extension_before_data(const std::vector<uint8_t>& extension) {
    std::vector<uint8_t> out = layout("m", 0x1234);
    out.insert(out.begin() + 6, extension.begin(), extension.end());
    return out;
}

std::vector<uint8_t> mime_atom(const std::string& type) {
    std::vector<uint8_t> out = be32(uint32_t(type.size()) + 9);
    for (uint8_t b : be32(datahandler::kExtensionMimeType)) out.push_back(b);
    out.push_back(uint8_t(type.size()));
    out.insert(out.end(), type.begin(), type.end());
    return out;
}

std::vector<uint8_t> ftyp_atom() {
    std::vector<uint8_t> out = be32(12);
    for (uint8_t b : be32(datahandler::kExtensionFileType)) out.push_back(b);
    for (uint8_t b : be32(qt_fourcc("MooV"))) out.push_back(b);
    return out;
}

class RefusedHandle : public ::testing::TestWithParam<refused_case> {};

TEST_P(RefusedHandle, GivesNullWithItsReason) {
    handle_owner handle(handle_with(GetParam().bytes));
    printed_lines printed;
    EXPECT_EQ(nullptr, data_ref_from_handle(handle.h));
    EXPECT_EQ(std::vector<std::string>{GetParam().message}, printed.at_level(3));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RefusedHandle,
    ::testing::Values(
        // An empty name and the 'data' atom: 17 bytes, refused by size.
        refused_case{"SeventeenBytes", layout("", 0x1234), "<datah> Invalid dataref size (< 4)\n"},
        refused_case{"EmptyNameInALongerHandle", [] {
                         std::vector<uint8_t> b = layout("", 0x1234);
                         b.push_back(0);
                         return b;
                     }(),
                     "<datah> Invalid filename size (<= 0)\n"},
        refused_case{"NameLongerThanTheHandle", [] {
                         std::vector<uint8_t> b = layout("abc", 0x1234);
                         b[4] = 200;
                         return b;
                     }(),
                     "<datah> Invalid dataref size (< 4)\n"},
        refused_case{"FileTypeExtensionFirst", with_extension_before_data(ftyp_atom()),
                     "<datah> Invalid atom type (!= 'data')\n"},
        refused_case{"MimeExtensionFirst", with_extension_before_data(mime_atom("video/mp4")),
                     "<datah> Invalid atom size (18 != 12)\n"},
        // An address from a movie file: never called through.
        refused_case{"AddressNeverMade", layout("m", 0x41414140),
                     "<datah> Unknown data reference address (41414140)\n"}),
    [](const ::testing::TestParamInfo<refused_case>& info) { return info.param.name; });

TEST(HandleDataRef, SpawnedChildIsAcceptedWhileItLives) {
    const std::string name = "dh-handle-child";
    Ruv::CM::RStream::registerMemory(name, kolmbase::stream::mem(kBytes));
    std::unique_ptr<CMStreamDataRef> parent(memory_data_ref(kBytes, "kolmfs://store/ref.mov"));
    std::unique_ptr<CMDataRef> child(parent->spawn_new_data_ref("mem:" + name));
    Ruv::CM::RStream::unregisterMemory(name);
    ASSERT_NE(nullptr, child);
    handle_owner handle(handle_from_data_ref(child.get()));
    EXPECT_EQ(child.get(), data_ref_from_handle(handle.h));
    const uintptr_t address = reinterpret_cast<uintptr_t>(child.get());
    child.reset();
    printed_lines printed;
    EXPECT_EQ(nullptr, data_ref_from_handle(handle.h));
    char message[64];
    std::snprintf(message, sizeof message, "<datah> Unknown data reference address (%08x)\n",
                  unsigned(address));
    EXPECT_EQ(std::vector<std::string>{message}, printed.at_level(3));
}

TEST(CreateHandleDataRef, WritesExtensionsInOrder) {
    const unsigned char name[] = {3, 'a', '.', 'b'};
    const unsigned char mime[] = {3, 'x', '/', 'y'};
    Ptr block = NewPtrClear(2);
    block[0] = 7;
    handle_owner handle(create_handle_data_ref(nullptr, name, qt_fourcc("MooV"), mime, block));
    DisposePtr(block);
    std::vector<uint8_t> expected = {0, 0, 0, 0, 3, 'a', '.', 'b'};
    for (auto part : {ftyp_atom(), mime_atom("x/y")}) expected.insert(expected.end(), part.begin(), part.end());
    for (uint8_t b : be32(10)) expected.push_back(b);
    for (uint8_t b : be32(datahandler::kExtensionData)) expected.push_back(b);
    expected.push_back(7);
    expected.push_back(0);
    EXPECT_EQ(expected, handle_bytes(handle.h));
}

TEST(CreateHandleDataRef, DataExtensionOnlyForAnEmptyHandleSlot) {
    Ptr block = NewPtrClear(4);
    Handle slot = reinterpret_cast<Handle>(uintptr_t(0x11223344));
    handle_owner handle(create_handle_data_ref(slot, nullptr, 0, nullptr, block));
    DisposePtr(block);
    EXPECT_EQ((std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11, 0}), handle_bytes(handle.h));
}

TEST(CreateHandleDataRef, ExtensionsRefuseMissingArguments) {
    handle_owner handle(handle_with({0}));
    EXPECT_EQ(paramErr, add_mime_type_extension(handle.h, nullptr));
    EXPECT_EQ(paramErr, add_data_extension(handle.h, nullptr));
    EXPECT_EQ(1, GetHandleSize(handle.h));
}

}  // namespace

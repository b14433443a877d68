// The handle data reference of type 'zvh ': its layout, the handles the
// reader refuses with each of its reasons, and the addresses it takes: only
// those of live data references.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "datahandler/datahandler_test_support.h"
#include "datahandler/handle_data_ref.h"
#include "quicktime/routines.h"
#include "support/movie_builder.h"

using dh_test::handle_bytes;
using dh_test::handle_with;
using dh_test::memory_data_ref;
using dh_test::printed_lines;
using test_movie::atom;
using test_movie::bytes;

namespace {

const bytes kBytes = {0, 0, 0, 8, 'f', 'r', 'e', 'e'};

// The layout as the reader expects it, with a chosen name and address.
bytes layout(const std::string& name, uint32_t address) {
    bytes out = {0, 0, 0, 0, uint8_t(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    const bytes native = {uint8_t(address), uint8_t(address >> 8), uint8_t(address >> 16),
                          uint8_t(address >> 24)};
    test_movie::put_bytes(out, atom(datahandler::kExtensionData, native));
    return out;
}

bytes mime_atom(const std::string& type) {
    bytes pascal = {uint8_t(type.size())};
    pascal.insert(pascal.end(), type.begin(), type.end());
    return atom(datahandler::kExtensionMimeType, pascal);
}

bytes ftyp_atom() { return atom(datahandler::kExtensionFileType, {'M', 'o', 'o', 'V'}); }

bytes with_extension_before_data(const bytes& extension) {
    bytes out = layout("m", 0x1234);
    out.insert(out.begin() + 6, extension.begin(), extension.end());
    return out;
}

struct handle_owner {
    explicit handle_owner(Handle handle) : h(handle) {}
    ~handle_owner() {
        if (h != nullptr) DisposeHandle(h);
    }
    Handle h;
};

// The name is the URL's last path component, unescaped; 255 bytes is the
// longest.
TEST(HandleDataRef, CarriesTheLastPathComponentAndTheAddress) {
    const std::string longest(255, 'n');
    for (auto names :
         {std::make_pair(std::string("media/My%20Clip.mov"), std::string("My Clip.mov")),
          std::make_pair(longest, longest)}) {
        std::unique_ptr<CMStreamDataRef> ref(
            memory_data_ref(kBytes, "kolmfs://store/" + names.first));
        handle_owner handle(handle_from_data_ref(ref.get()));
        const uint32_t address = uint32_t(reinterpret_cast<uintptr_t>(ref.get()));
        EXPECT_EQ(layout(names.second, address), handle_bytes(handle.h));
        EXPECT_EQ(ref.get(), data_ref_from_handle(handle.h));
    }
}

struct refused_case {
    const char* name;
    bytes data;
    std::string message;
};

class RefusedHandle : public ::testing::TestWithParam<refused_case> {};

TEST_P(RefusedHandle, GivesNullWithItsReason) {
    handle_owner handle(handle_with(GetParam().data));
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
                         bytes b = layout("", 0x1234);
                         b.push_back(0);
                         return b;
                     }(),
                     "<datah> Invalid filename size (<= 0)\n"},
        refused_case{"NameLongerThanTheHandle", [] {
                         bytes b = layout("abc", 0x1234);
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

TEST(CreateHandleDataRef, WritesExtensionsInOrderAndRefusesMissingArguments) {
    const unsigned char name[] = {3, 'a', '.', 'b'};
    const unsigned char mime[] = {3, 'x', '/', 'y'};
    Ptr block = NewPtrClear(2);
    block[0] = 7;
    handle_owner handle(create_handle_data_ref(nullptr, name, qt_fourcc("MooV"), mime, block));
    bytes expected = {0, 0, 0, 0, 3, 'a', '.', 'b'};
    for (const bytes& part :
         {ftyp_atom(), mime_atom("x/y"), atom(datahandler::kExtensionData, {7, 0})})
        test_movie::put_bytes(expected, part);
    EXPECT_EQ(expected, handle_bytes(handle.h));
    // The data extension only for an empty handle slot.
    Handle slot = reinterpret_cast<Handle>(uintptr_t(0x11223344));
    handle_owner without_data(create_handle_data_ref(slot, nullptr, 0, nullptr, block));
    EXPECT_EQ((bytes{0x44, 0x33, 0x22, 0x11, 0}), handle_bytes(without_data.h));
    DisposePtr(block);
    // Missing arguments are refused and append nothing.
    EXPECT_EQ(paramErr, add_mime_type_extension(without_data.h, nullptr));
    EXPECT_EQ(paramErr, add_data_extension(without_data.h, nullptr));
    EXPECT_EQ(5, GetHandleSize(without_data.h));
}

}  // namespace

// The atom-header decoder's edge rules, over bytes in memory and over the
// same bytes in a file read through the runtime's data handler.
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "format/atom_header.h"
#include "movie/data_handler.h"
#include "movie/data_handler_source.h"
#include "support/movie_builder.h"

namespace {

using qt_format::atom_header;
using qt_format::atom_status;
using test_movie::be;
using test_movie::bytes;
using test_movie::field;
using test_movie::fourcc;

constexpr uint32_t kFree = fourcc("free");

struct header_case {
    const char* name;
    bytes data;
    atom_status status;
    uint32_t header_size;
    uint64_t size;  // the decoded size (the stated one for a size that fails)
};

// Every case puts one 'free' atom of 24 bytes' room at offset 0 of its parent.
bytes with_body(bytes header, size_t total) {
    header.resize(total, 0xAB);
    return header;
}

std::vector<header_case> header_cases() {
    return {
        {"Plain", with_body(be({24, kFree}), 24), atom_status::ok, 8, 24},
        {"SizeZeroRunsToTheParentsEnd", with_body(be({0, kFree}), 24), atom_status::ok, 8, 24},
        {"SizeOneTakesTheLargeSize", with_body(be({1, kFree, field(24, 8)}), 24), atom_status::ok,
         16, 24},
        {"SizeOneWithoutRoomForTheLargeSize", be({1, kFree, 0}), atom_status::no_large_size, 8, 1},
        {"SizeBelowTheHeader", with_body(be({7, kFree}), 24), atom_status::size_below_header, 8, 7},
        {"LargeSizeBelowTheLargeHeader", with_body(be({1, kFree, field(15, 8)}), 24),
         atom_status::size_below_header, 16, 15},
        {"SizePastTheParent", with_body(be({25, kFree}), 24), atom_status::past_parent, 8, 25},
        {"LargeSizePastTheParent", with_body(be({1, kFree, field(uint64_t(1) << 40, 8)}), 24),
         atom_status::past_parent, 16, uint64_t(1) << 40},
        {"ShortHeaderAtTheEnd", be({field(24, 4), field(0x6672, 2)}), atom_status::end_of_parent, 8,
         0},
    };
}

// The runtime's file data handler over the bytes written to a file.
class file_bytes {
public:
    explicit file_bytes(const bytes& data) {
        m_path = ::testing::TempDir() + "atom_header_test.bin";
        std::ofstream(m_path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        OSErr err = noErr;
        m_handler = qtrt::open_file_data_handler(m_path, err);
    }
    ~file_bytes() { std::remove(m_path.c_str()); }
    qtrt::data_handler* handler() { return m_handler.get(); }

private:
    std::string m_path;
    std::shared_ptr<qtrt::data_handler> m_handler;
};

class AtomHeader : public ::testing::TestWithParam<header_case> {};

TEST_P(AtomHeader, DecodesAlikeFromMemoryAndFromAFile) {
    const header_case& c = GetParam();
    qt_format::memory_source memory(c.data.data(), c.data.size());
    atom_header in_memory;
    EXPECT_EQ(qt_format::decode_atom_header(memory, 0, c.data.size(), in_memory), c.status);
    if (c.status != atom_status::end_of_parent) {
        EXPECT_EQ(in_memory.type, kFree);
        EXPECT_EQ(in_memory.header_size, c.header_size);
        EXPECT_EQ(in_memory.size, c.size);
    }

    file_bytes file(c.data);
    ASSERT_NE(file.handler(), nullptr);
    qtrt::data_handler_source source(*file.handler());
    atom_header from_file;
    EXPECT_EQ(qt_format::decode_atom_header(source, 0, c.data.size(), from_file), c.status);
    EXPECT_EQ(from_file.type, in_memory.type);
    EXPECT_EQ(from_file.header_size, in_memory.header_size);
    EXPECT_EQ(from_file.size, in_memory.size);
}

INSTANTIATE_TEST_SUITE_P(Rules, AtomHeader, ::testing::ValuesIn(header_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A parent that claims bytes its source does not hold: the header is
// unreadable, and its type unknown.
TEST(AtomHeaderSource, BytesTheSourceDoesNotHoldAreUnreadable) {
    const bytes data = be({1, kFree});
    qt_format::memory_source memory(data.data(), data.size());
    atom_header h;
    EXPECT_EQ(qt_format::decode_atom_header(memory, 4, 100, h), atom_status::unreadable);
    EXPECT_EQ(qt_format::decode_atom_header(memory, 0, 100, h), atom_status::no_large_size);
    EXPECT_EQ(h.type, kFree);
}

}  // namespace

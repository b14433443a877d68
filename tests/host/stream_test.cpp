// Host file streams: sizes, seeks and reads at 64-bit offsets.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "lib/cm/CMStream.h"
#include "platform/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Ruv::RPtr;
using test_support::temp_folder;
using Ruv::RURI;
using Ruv::CM::RStream;

RPtr<RStream> stream_for(const std::string& uri) {
    return RStream::getStream(RPtr<RURI>(new RURI(Ruv::CString(uri))), 0, 0);
}

std::string read_all(RStream& stream, int64_t at, int64_t length) {
    std::string bytes(size_t(length), '\0');
    if (stream.lseek(at, 0) != at) return "<seek failed>";
    const int64_t count = stream.read(reinterpret_cast<unsigned char*>(&bytes[0]), length);
    bytes.resize(count < 0 ? 0 : size_t(count));
    return bytes;
}

TEST(FileStream, ReadsPastFourGibibytesOfASparseFile) {
    temp_folder folder;
    const std::string path = folder / "sparse.bin";
    const int64_t offset = (int64_t(1) << 32) + 4096 + 3;
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const bool made = fseeko(file, off_t(offset), SEEK_SET) == 0 &&
                      std::fwrite("past4GiB", 1, 8, file) == 8;
    std::fclose(file);
    if (!made || int64_t(fs::file_size(path)) != offset + 8)
        GTEST_SKIP() << "the temporary folder cannot hold a sparse file over 4 GiB";

    RPtr<RStream> stream = stream_for(path);
    ASSERT_EQ(stream->open(), 0);
    EXPECT_EQ(stream->size(), offset + 8);
    EXPECT_EQ(read_all(*stream, offset, 8), "past4GiB");
    EXPECT_EQ(read_all(*stream, offset - 2, 4), std::string("\0\0pa", 4));
    EXPECT_EQ(stream->lseek(-8, 2), offset);
    EXPECT_EQ(stream->read(nullptr, 0), 0);
}

}  // namespace

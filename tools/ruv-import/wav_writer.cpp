#include "wav_writer.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace ruv_import {

namespace {

constexpr uint16_t kFormatIeeeFloat = 3;
constexpr uint16_t kBitsPerSample = 32;
constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 40;
constexpr uint32_t kLargestChunk = 0xFFFFFFFFu;

void put_u16le(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put_u32le(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void put_tag(std::vector<unsigned char>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

// The 44-byte header; the two sizes are written again on close.
std::vector<unsigned char> header(unsigned channels, uint32_t sample_rate) {
    std::vector<unsigned char> out;
    put_tag(out, "RIFF");
    put_u32le(out, 36);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32le(out, 16);
    put_u16le(out, kFormatIeeeFloat);
    put_u16le(out, uint16_t(channels));
    put_u32le(out, sample_rate);
    put_u32le(out, sample_rate * channels * (kBitsPerSample / 8));
    put_u16le(out, uint16_t(channels * (kBitsPerSample / 8)));
    put_u16le(out, kBitsPerSample);
    put_tag(out, "data");
    put_u32le(out, 0);
    return out;
}

bool write_u32le_at(std::FILE* file, long offset, uint32_t value) {
    std::vector<unsigned char> bytes;
    put_u32le(bytes, value);
    return std::fseek(file, offset, SEEK_SET) == 0 &&
           std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

wav_writer::~wav_writer() { close(); }

bool wav_writer::open(const std::string& path, unsigned channels, double sample_rate,
                      std::string& error) {
    if (channels == 0 || channels > 0xFFFF || !(sample_rate > 0) || sample_rate > 4e9) {
        error = "the audio stream has no usable channel count or sample rate";
        return false;
    }
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> bytes = header(channels, uint32_t(std::lround(sample_rate)));
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        error = "cannot write the header";
        std::fclose(m_file);
        m_file = nullptr;
        return false;
    }
    m_data_bytes = 0;
    return true;
}

bool wav_writer::write_big_endian_floats(const unsigned char* data, size_t size) {
    if (!m_file) return false;
    size_t whole = size - size % 4;
    std::vector<unsigned char> swapped(whole);
    for (size_t i = 0; i < whole; i += 4) {
        swapped[i] = data[i + 3];
        swapped[i + 1] = data[i + 2];
        swapped[i + 2] = data[i + 1];
        swapped[i + 3] = data[i];
    }
    if (whole && std::fwrite(swapped.data(), 1, whole, m_file) != whole) return false;
    m_data_bytes += whole;
    return true;
}

bool wav_writer::close() {
    if (!m_file) return true;
    // Files beyond what the 32-bit sizes can say keep the largest size.
    uint32_t data_size = m_data_bytes > kLargestChunk - 36 ? kLargestChunk - 36 : uint32_t(m_data_bytes);
    bool ok = write_u32le_at(m_file, kRiffSizeOffset, data_size + 36) &&
              write_u32le_at(m_file, kDataSizeOffset, data_size);
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    return ok;
}

}  // namespace ruv_import

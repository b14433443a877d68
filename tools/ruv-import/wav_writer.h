// A 32-bit float WAV file (IEEE float, little-endian samples) written as
// audio arrives: the sizes in its header are filled in when it is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace ruv_import {

class wav_writer {
public:
    wav_writer() = default;
    ~wav_writer();
    wav_writer(const wav_writer&) = delete;
    wav_writer& operator=(const wav_writer&) = delete;

    // false with the reason in error when the file cannot be created.
    bool open(const std::string& path, unsigned channels, double sample_rate, std::string& error);
    // Appends interleaved samples given as big-endian 32-bit floats (a
    // trailing partial sample is ignored); false on a write failure.
    bool write_big_endian_floats(const unsigned char* data, size_t size);
    // Fills in the header sizes and closes the file; false on a failure.
    bool close();

    bool is_open() const { return m_file != nullptr; }

private:
    std::FILE* m_file = nullptr;
    uint64_t m_data_bytes = 0;
};

}  // namespace ruv_import

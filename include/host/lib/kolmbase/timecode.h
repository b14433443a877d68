// SMPTE-style time code.
//
// A mode names the counting: its low byte is the nominal frames per second;
// 0x7000 marks drop-frame counting, 0x6000 a 29.97 Hz rate counted without
// drops. The modes in use:
//   1       no time code (counts at 1 frame per second)
//   24 25 30 50 60            non-drop
//   0x601E  29.97, non-drop
//   0x7018  24 with drop-frame marking (no frame numbers are skipped)
//   0x701E  29.97 drop-frame: frames 0 and 1 skipped at each minute but
//           every tenth
//   0x703C  59.94 drop-frame: frames 0 to 3 skipped likewise
// A time code is four 32-bit words: mode; hours; minutes << 8 | seconds;
// frames << 8 | flags.
#pragma once

#include <cstdint>
#include <string>

#include "lib/host_export.h"

namespace kolmbase {

class KOLMBASE_API timecode {
public:
    enum : uint32_t {
        mode_none = 1,
        mode_2997_nondrop = 0x601E,
        mode_24_drop = 0x7018,
        mode_2997_drop = 0x701E,
        mode_5994_drop = 0x703C,
    };

    // 00:00:00:00 in mode 1.
    timecode();
    // 00:00:00:00 in the given mode.
    explicit timecode(uint32_t mode);
    // A given time; flags 1 marks a time read from a source. Fields outside
    // their range are reduced (seconds and minutes modulo 60, frames modulo the
    // frame rate, hours modulo 24).
    timecode(uint32_t mode, uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t frames,
             uint32_t flags);

    // One frame later, skipping the numbers a drop-frame mode leaves out and
    // wrapping at 24 hours.
    void advance();

    uint32_t mode() const { return m_words[0]; }
    uint32_t hours() const { return m_words[1]; }
    uint32_t minutes() const { return m_words[2] >> 8; }
    uint32_t seconds() const { return m_words[2] & 0xFF; }
    uint32_t frames() const { return m_words[3] >> 8; }
    uint32_t flags() const { return m_words[3] & 0xFF; }
    uint32_t frames_per_second() const;
    bool is_drop_frame() const;

    // "HH:MM:SS:FF", or "HH:MM:SS;FF" in the drop-frame modes.
    std::string to_string() const;

    const uint32_t* words() const { return m_words; }
    void set_words(const uint32_t words[4]);

    bool operator==(const timecode& other) const;
    bool operator!=(const timecode& other) const { return !(*this == other); }

private:
    uint32_t m_words[4];
};

static_assert(sizeof(timecode) == 16, "a time code is four 32-bit words");

}  // namespace kolmbase

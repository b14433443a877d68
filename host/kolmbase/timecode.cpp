#include "lib/kolmbase/timecode.h"

#include <cstring>

#include "lib/kolmbase/strings.h"

namespace kolmbase {
namespace {

const uint32_t kDropMarker = 0x7000;
const uint32_t kMarkerMask = 0xFF00;

uint32_t pack(uint32_t high, uint32_t low) { return high << 8 | (low & 0xFF); }

}  // namespace

timecode::timecode() : timecode(mode_none) {}

timecode::timecode(uint32_t mode) : m_words{mode, 0, 0, 0} {}

timecode::timecode(uint32_t mode, uint32_t hours, uint32_t minutes, uint32_t seconds,
                   uint32_t frames, uint32_t flags)
    : m_words{mode, 0, 0, 0} {
    m_words[1] = hours % 24;
    m_words[2] = pack(minutes % 60, seconds % 60);
    m_words[3] = pack(frames % frames_per_second(), flags);
}

uint32_t timecode::frames_per_second() const {
    const uint32_t rate = mode() & 0xFF;
    return rate == 0 ? 1 : rate;
}

bool timecode::is_drop_frame() const { return (mode() & kMarkerMask) == kDropMarker; }

void timecode::advance() {
    uint32_t h = hours(), m = minutes(), s = seconds(), f = frames() + 1;
    if (f >= frames_per_second()) {
        f = 0;
        if (++s >= 60) {
            s = 0;
            if (++m >= 60) {
                m = 0;
                if (++h >= 24) h = 0;
            }
        }
    }
    // Drop-frame counting leaves out the first frame numbers of every minute
    // except each tenth, so that the label keeps pace with 29.97 (59.94) Hz.
    uint32_t skipped = 0;
    if (mode() == mode_2997_drop) skipped = 2;
    if (mode() == mode_5994_drop) skipped = 4;
    if (s == 0 && m % 10 != 0 && f < skipped) f = skipped;

    m_words[1] = h;
    m_words[2] = pack(m, s);
    m_words[3] = pack(f, flags());
}

std::string timecode::to_string() const {
    return string_with_format("%02u:%02u:%02u%c%02u", unsigned(hours()), unsigned(minutes()),
                              unsigned(seconds()), is_drop_frame() ? ';' : ':',
                              unsigned(frames()));
}

void timecode::set_words(const uint32_t words[4]) { std::memcpy(m_words, words, sizeof m_words); }

bool timecode::operator==(const timecode& other) const {
    return std::memcmp(m_words, other.m_words, sizeof m_words) == 0;
}

}  // namespace kolmbase

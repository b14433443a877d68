// A time in seconds, held as one double.
#pragma once

#include <cmath>
#include <cstdint>

namespace Ruv {

class CTimeStamp {
public:
    CTimeStamp() : m_seconds(0.0) {}
    CTimeStamp(double seconds) : m_seconds(seconds) {}

    static CTimeStamp createWithSeconds(double s) { return CTimeStamp(s); }
    static CTimeStamp createWithMilliSeconds(double ms) { return CTimeStamp(ms / 1e3); }
    static CTimeStamp createWithMicroSeconds(double us) { return CTimeStamp(us / 1e6); }
    static CTimeStamp createWithNanoSeconds(double ns) { return CTimeStamp(ns / 1e9); }

    double getSecondsAsDouble() const { return m_seconds; }
    // Whole units: the nearest whole number, halves away from zero.
    int64_t getSeconds() const { return round(m_seconds); }
    int64_t getMilliSeconds() const { return round(m_seconds * 1e3); }
    int64_t getMicroSeconds() const { return round(m_seconds * 1e6); }
    int64_t getNanoSeconds() const { return round(m_seconds * 1e9); }

    void setSeconds(double s) { m_seconds = s; }

    bool operator==(const CTimeStamp& o) const { return m_seconds == o.m_seconds; }
    bool operator!=(const CTimeStamp& o) const { return m_seconds != o.m_seconds; }
    bool operator<(const CTimeStamp& o) const { return m_seconds < o.m_seconds; }
    CTimeStamp operator+(const CTimeStamp& o) const { return CTimeStamp(m_seconds + o.m_seconds); }
    CTimeStamp operator-(const CTimeStamp& o) const { return CTimeStamp(m_seconds - o.m_seconds); }

private:
    static int64_t round(double v) { return int64_t(std::llround(v)); }

    double m_seconds;
};

}  // namespace Ruv

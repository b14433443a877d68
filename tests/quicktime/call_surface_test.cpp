// How operations reach the runtime: forwarded parameters and results of every
// width, and component call records. The probe build of the runtime answers
// with what reached it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "module/probe/probe_observation.h"
#include "platform/temp_folder.h"
#include "quicktime/fresh_process.h"
#include "quicktime/qt_loader.h"
#include "quicktime/routines.h"

#ifdef _WIN32
#include <windows.h>
#endif

using test_support::run_in_fresh_process;
using test_support::runtime_module;
using test_support::temp_folder;

namespace {

// The operations the plug-in may call, by selector (and routine code for
// component calls): no more, no fewer. The host machine's QuickTime is only
// known to answer these.
TEST(CallSurfaceTable, HoldsExactlyThePublishedOperations) {
    const std::set<std::pair<uint32_t, uint32_t>> published = {
        {0x10000, 0}, {0x10000, 0x51A}, {0x10000, 0x565}, {0x10000, 0x101}, {0x10000, 0x2E},
        {0x10000, 0x30}, {0x10001, 0}, {0x1000D, 0}};
    const uint32_t published_direct[] = {
        0x20003, 0x20005, 0x20009, 0x20012, 0x20023, 0x20029, 0x2002B, 0x2003D, 0x2003E, 0x2003F,
        0x20040, 0x2004B, 0x2005D, 0x20062, 0x20068, 0x2006F, 0x20071, 0x20077, 0x20078, 0x20079,
        0x20096, 0x2009E, 0x200E2, 0x2010E, 0x20117, 0x20130, 0x2014B, 0x2014D, 0x20197, 0x20199,
        0x201A1, 0x201A5, 0x201C9, 0x20208, 0x203B4, 0x2044D, 0x20459, 0x2045B, 0x2045E, 0x204B4,
        0x204B5, 0x204B6, 0x204B8, 0x204B9, 0x204E4, 0x30020, 0x100010, 0x110001, 0x150006,
        0x150008, 0x15000A, 0x150011, 0x150019, 0x15001A, 0x15002F, 0x150030, 0x150032, 0x150034,
        0x15003F, 0x15005B, 0x15005D, 0x15005F, 0x1D0017, 0x1D0059, 0x32006C, 0x3201DB, 0x3201E0,
        0x3201E4, 0x3201E7, 0x3201EA, 0x3201EB, 0x3201ED, 0x3201EF, 0x3201F0, 0x3201F7, 0x3201F8,
        0x3201FB, 0x320204, 0x32020E, 0x320222, 0x320225, 0x320226, 0x320233, 0x320243, 0x320244,
        0x32028A};
    std::set<std::pair<uint32_t, uint32_t>> expected = published;
    for (uint32_t selector : published_direct) expected.insert({selector, 0});
    ASSERT_EQ(expected.size(), 94u);
    std::set<std::pair<uint32_t, uint32_t>> table;
#define X(selector, name, form, result, gate, what, bytes) table.insert({selector, what});
#include "quicktime/qt_operations.def"
    QT_OPERATIONS(X)
#undef X
    EXPECT_EQ(table, expected);
}

class CallSurface : public ::testing::Test {
protected:
#ifdef _WIN32
    // The loader takes a QuickTime.qts the process has already loaded.
    void SetUp() override {
        std::string path = runtime_module("qt-probe");
        for (char& c : path)
            if (c == '/') c = '\\';
        ASSERT_NE(nullptr, LoadLibraryA(path.c_str())) << path;
    }
#else
    void SetUp() override {
        m_folder.copy_file(runtime_module("qt-probe"), "system/QuickTime.qts");
        setenv("RUV_SYSTEM_DIR", (m_folder / "system").c_str(), 1);
        unsetenv("RUV_REGISTRY");
    }
    void TearDown() override { unsetenv("RUV_SYSTEM_DIR"); }
#endif
    temp_folder m_folder;
};

// Parameters and results of every width, forwarded to the runtime or taken
// directly: the probe computes its answers from what reached it.
TEST_F(CallSurface, ParametersAndResultsArriveIntact) {
    run_in_fresh_process([] {
        const TimeValue64 value = 0x0123456789ALL;
        EXPECT_EQ(value * 3 + 7, TrackTimeToMediaDisplayTime(value, reinterpret_cast<Track>(7)));
        EXPECT_EQ(-5 * 3 + 9, TrackTimeToMediaDisplayTime(-5, reinterpret_cast<Track>(9)));
        EXPECT_EQ(TimeValue64(0x00000011'7FFFFFFFLL),
                  GetMediaDecodeDuration(reinterpret_cast<Media>(0x11)));
        // An operation without a result writes through its pointers.
        TimeValue64 time = 0;
        TimeValue64 duration = 0;
        GetMediaNextInterestingDecodeTime(reinterpret_cast<Media>(1), 0x0102,
                                          0x7FFFFFFF00LL, -0x10000, &time, &duration);
        EXPECT_EQ(0x7FFFFFFF00LL + 0x0102, time);
        EXPECT_EQ(-0x20000, duration);
        // A Fixed value and the exact double it is.
        EXPECT_EQ(-0.5, Fix2X(-0x00008000));
        EXPECT_EQ(32767.9999847412109375, Fix2X(0x7FFFFFFF));
        EXPECT_EQ(-32768.0, Fix2X(int32_t(0x80000000)));
        EXPECT_EQ(0x0807060504030201ULL, EndianU64_BtoN(0x0102030405060708ULL));
    });
}

// The record carries flags, size, what and the words; for an instance it
// does not know, the probe answers a record with its "what" code.
TEST_F(CallSurface, ComponentRecordsCarryTheirRoutinesWhatCodesAndWords) {
    run_in_fresh_process([] {
        qtrt_probe::component_call_seen seen = {};
        Size size = sizeof(seen);
        MediaHandler handler = reinterpret_cast<MediaHandler>(0x4321);
        ASSERT_EQ(noErr, MediaGetPublicInfo(handler, qt_fourcc("sdes"), &seen, &size));
        EXPECT_EQ(0x4321u, seen.instance);
        EXPECT_EQ(0, seen.flags);
        EXPECT_EQ(12, seen.param_size);
        EXPECT_EQ(0x565, seen.what);
        EXPECT_EQ(qt_fourcc("sdes"), seen.words[0]);
        EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(&seen)), seen.words[1]);
        EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(&size)), seen.words[2]);

        handler = reinterpret_cast<MediaHandler>(1);
        DataHandler data = reinterpret_cast<DataHandler>(1);
        Boolean has = 0;
        EXPECT_EQ(0x051A, MediaHasCharacteristic(handler, qt_fourcc("eyes"), &has));
        EXPECT_EQ(0x0101, TCGetCurrentTimeCode(handler, nullptr, nullptr, nullptr, nullptr));
        wide file_size = {};
        EXPECT_EQ(0x0030, DataHGetFileSize64(data, &file_size));
        EXPECT_EQ(0x002E, DataHScheduleData64(data, nullptr, &file_size, 0, 0, nullptr, nullptr));
    });
}

// Linux only: without the stand-in's RUV_SYSTEM_DIR there is no way to have
// the loader find no runtime while the registry names one.
#ifndef _WIN32
TEST_F(CallSurface, UnboundForwardedOperationsAnswerTheirSlotStartValue) {
    setenv("RUV_SYSTEM_DIR", (m_folder / "empty").c_str(), 1);
    run_in_fresh_process([] {
        EXPECT_EQ(0, TrackTimeToMediaDisplayTime(5, nullptr));
        EXPECT_EQ(0.0, Fix2X(0x10000));
        EXPECT_EQ(kQTRuntimeUnavailable,
                  GetMediaSample2(nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, 0, nullptr, nullptr));
    });
}

#endif

}  // namespace

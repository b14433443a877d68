// How operations reach the runtime: forwarded parameters and results of every
// width, and component call records. The probe build of the runtime answers
// with what reached it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

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

TEST_F(CallSurface, ForwardedSixtyFourBitParameterAndResultArriveIntact) {
    run_in_fresh_process([] {
        const TimeValue64 value = 0x0123456789ALL;
        EXPECT_EQ(value * 3 + 7, TrackTimeToMediaDisplayTime(value, reinterpret_cast<Track>(7)));
        EXPECT_EQ(-5 * 3 + 9, TrackTimeToMediaDisplayTime(-5, reinterpret_cast<Track>(9)));
        EXPECT_EQ(TimeValue64(0x00000011'7FFFFFFFLL),
                  GetMediaDecodeDuration(reinterpret_cast<Media>(0x11)));
    });
}

TEST_F(CallSurface, ForwardedOperationWithoutResultWritesThroughItsPointers) {
    run_in_fresh_process([] {
        TimeValue64 time = 0;
        TimeValue64 duration = 0;
        GetMediaNextInterestingDecodeTime(reinterpret_cast<Media>(1), 0x0102,
                                          0x7FFFFFFF00LL, -0x10000, &time, &duration);
        EXPECT_EQ(0x7FFFFFFF00LL + 0x0102, time);
        EXPECT_EQ(-0x20000, duration);
    });
}

// A Fixed value and the double it is.
struct fixed_case {
    Fixed fixed;
    double value;
};

class ForwardedDouble : public CallSurface, public ::testing::WithParamInterface<fixed_case> {};

TEST_P(ForwardedDouble, Fix2XReturnsTheExactDouble) {
    run_in_fresh_process([&] { EXPECT_EQ(GetParam().value, Fix2X(GetParam().fixed)); });
}

INSTANTIATE_TEST_SUITE_P(Values, ForwardedDouble,
                         ::testing::Values(fixed_case{-0x00008000, -0.5},
                                           fixed_case{0x7FFFFFFF, 32767.9999847412109375},
                                           fixed_case{int32_t(0x80000000), -32768.0}));

TEST_F(CallSurface, MediaGetPublicInfoRecordCarriesFlagsSizeWhatAndTheWords) {
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
    });
}

// For an instance it does not know, the probe answers a record with its
// "what" code.
TEST_F(CallSurface, ComponentRecordsCarryTheirRoutinesWhatCodes) {
    run_in_fresh_process([] {
        MediaHandler handler = reinterpret_cast<MediaHandler>(1);
        DataHandler data = reinterpret_cast<DataHandler>(1);
        Boolean has = 0;
        EXPECT_EQ(0x051A, MediaHasCharacteristic(handler, qt_fourcc("eyes"), &has));
        EXPECT_EQ(0x0101, TCGetCurrentTimeCode(handler, nullptr, nullptr, nullptr, nullptr));
        wide size = {};
        EXPECT_EQ(0x0030, DataHGetFileSize64(data, &size));
        EXPECT_EQ(0x002E, DataHScheduleData64(data, nullptr, &size, 0, 0, nullptr, nullptr));
    });
}

TEST_F(CallSurface, DirectSixtyFourBitParameterAndResult) {
    run_in_fresh_process([] {
        EXPECT_EQ(0x0807060504030201ULL, EndianU64_BtoN(0x0102030405060708ULL));
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

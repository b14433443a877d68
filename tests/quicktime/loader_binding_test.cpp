// Loading and binding the runtime on the first operation, the version test
// and the gated operations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "module/probe/probe_observation.h"
#include "platform/temp_folder.h"
#include "quicktime/fresh_process.h"
#include "quicktime/qt_loader.h"
#include "quicktime/routines.h"
#include "windows.h"

using test_support::run_in_fresh_process;
using test_support::runtime_module;
using test_support::temp_folder;

namespace {

constexpr OSType kQuickTimeVersion = qt_fourcc("qtim");

// A system directory that holds the given runtime variant (or none), and no
// registry.
class LoaderBinding : public ::testing::Test {
protected:
    void SetUp() override {
        m_system = m_folder.make_folder("system");
        setenv("RUV_SYSTEM_DIR", m_system.c_str(), 1);
        unsetenv("RUV_REGISTRY");
    }
    void TearDown() override { unsetenv("RUV_SYSTEM_DIR"); }
    void install(const std::string& variant) {
        m_folder.copy_file(runtime_module(variant), "system/QuickTime.qts");
    }

    temp_folder m_folder;
    std::string m_system;
};

// The first operation loads and binds the runtime, which answers
// CanReleaseLibraryHandle with true: the handle goes and every entry keeps
// working.
TEST_F(LoaderBinding, FirstOperationLoadsAndBindsTheRuntime) {
    install("");
    run_in_fresh_process([] {
        ASSERT_NE(nullptr, qtb_first_call_hook);
        long version = 0;
        EXPECT_EQ(noErr, Gestalt(kQuickTimeVersion, &version));
        EXPECT_EQ(0x07798000, version);
        EXPECT_EQ(nullptr, qtb_first_call_hook);
        EXPECT_NE(qtb_dispatcher_entry, &UnboundEntry);
        EXPECT_NE(qtb_call_component_entry, &UnboundEntry);
        EXPECT_NE(qtb_call_with_storage_entry, &UnboundEntry);
        EXPECT_EQ(nullptr, qtb_library);
        EXPECT_NE(nullptr, GetModuleHandleA(kQuickTimeLibraryName));
        version = 0;
        EXPECT_EQ(noErr, Gestalt(kQuickTimeVersion, &version));
        EXPECT_EQ(0x07798000, version);
        EXPECT_DOUBLE_EQ(2.5, Fix2X(0x28000));
    });
}

// Without a runtime every operation answers -2095, and the next one (the
// version test too) searches again.
TEST_F(LoaderBinding, MissingRuntimeAnswers2095AndTheNextCallSearchesAgain) {
    run_in_fresh_process([&] {
        EXPECT_EQ(kQTRuntimeUnavailable, GetMoviesError());
        EXPECT_EQ(kQTRuntimeUnavailable, MemError());
        EXPECT_EQ(nullptr, qtb_library);
        EXPECT_NE(nullptr, qtb_first_call_hook);
        EXPECT_FALSE(IsSelectorAvailable(0x320222));
        EXPECT_FALSE(qtb_version_known);

        install("qt-7.0.2");
        EXPECT_TRUE(IsSelectorAvailable(0x320222));
        long version = 0;
        EXPECT_EQ(noErr, Gestalt(kQuickTimeVersion, &version));
        EXPECT_EQ(0x07028000, version);
    });
}

// A runtime without one of the three entries. The binding takes them in
// order, _CallComponentFunctionWithStorage, _CallComponent, then the
// dispatcher, and stops at the first one missing: every operation answers
// -2095 and the next one binds again.
struct missing_case {
    const char* variant;
    bool call_component_bound;
};

class MissingExport : public LoaderBinding, public ::testing::WithParamInterface<missing_case> {};

TEST_P(MissingExport, BindingStopsAtTheFirstMissingEntry) {
    install(GetParam().variant);
    run_in_fresh_process([&] {
        long version = 0;
        EXPECT_EQ(kQTRuntimeUnavailable, Gestalt(kQuickTimeVersion, &version));
        EXPECT_EQ(0, version);
        EXPECT_EQ(kQTRuntimeUnavailable, GetMediaSampleCount(nullptr));
        EXPECT_EQ(qtb_dispatcher_entry, &UnboundEntry);
        EXPECT_NE(qtb_call_with_storage_entry, &UnboundEntry);
        EXPECT_EQ(GetParam().call_component_bound, qtb_call_component_entry != &UnboundEntry);
        EXPECT_NE(nullptr, qtb_first_call_hook);
        // CanReleaseLibraryHandle, unbound, answered -2095: its low byte let
        // the handle go, so each call loads the runtime anew.
        EXPECT_EQ(nullptr, qtb_library);
        EXPECT_EQ(kQTEntryPointMissing, BindQuickTimeEntryPoints());
    });
}

INSTANTIATE_TEST_SUITE_P(Variants, MissingExport,
                         ::testing::Values(missing_case{"qt-nodispatcher", true},
                                           missing_case{"qt-nocallcomponent", false}));

// A runtime variant, its Gestalt answer and whether its file version passes
// the 7.0.2 test. An older runtime keeps its handle: its release test is
// gated.
struct version_case {
    const char* variant;
    long version;
    bool sufficient;
};

class RuntimeVersion : public LoaderBinding, public ::testing::WithParamInterface<version_case> {};

TEST_P(RuntimeVersion, FileVersionDecidesTheGatedOperations) {
    install(GetParam().variant);
    run_in_fresh_process([&] {
        EXPECT_EQ(GetParam().sufficient, IsSelectorAvailable(0x320222));
        EXPECT_TRUE(qtb_version_known);
        // Asked without a loaded runtime: the test loaded and let go of it.
        EXPECT_EQ(nullptr, qtb_library);
        EXPECT_EQ(GetParam().sufficient, IsSelectorAvailable(0x32028A));
        EXPECT_EQ(GetParam().sufficient, IsSelectorAvailable(0x1D0059));
        long version = 0;
        EXPECT_EQ(noErr, Gestalt(kQuickTimeVersion, &version));
        EXPECT_EQ(GetParam().version, version);
        EXPECT_EQ(!GetParam().sufficient, qtb_library != nullptr);
    });
}

INSTANTIATE_TEST_SUITE_P(Variants, RuntimeVersion,
                         ::testing::Values(version_case{"qt-7.0.1", 0x07018000, false},
                                           version_case{"qt-7.0.2", 0x07028000, true},
                                           version_case{"qt-6.5", 0x06508000, false},
                                           version_case{"", 0x07798000, true}));

TEST_F(LoaderBinding, GatedOperationsOn701AnswerFallbacksWithoutReachingTheRuntime) {
    install("qt-probe-7.0.1");
    run_in_fresh_process([] {
        EXPECT_EQ(nullptr, __CFStringMakeConstantString("kCFAllocatorDefault"));
        void* answer = QTGetCFConstant("kCFAllocatorDefault");
        EXPECT_EQ(static_cast<void*>(&qtb_empty_data_symbol_slot), answer);
        EXPECT_EQ(nullptr, *static_cast<void**>(answer));
    });
}

TEST_F(LoaderBinding, GatedOperationsOnACurrentRuntimeReachIt) {
    install("qt-probe");
    run_in_fresh_process([] {
        EXPECT_EQ(qtrt_probe::kConstantStringAnswer,
                  reinterpret_cast<uintptr_t>(__CFStringMakeConstantString("x")));
        void* answer = QTGetCFConstant("kCFAllocatorDefault");
        ASSERT_NE(nullptr, answer);
        EXPECT_EQ(qtrt_probe::kDataSymbolContent,
                  reinterpret_cast<uintptr_t>(*static_cast<void**>(answer)));
    });
}

}  // namespace

// Version packing: a byte per part, the low byte of each.
struct packing_case {
    uint32_t most;
    uint32_t least;
    uint32_t packed;
    bool sufficient;
};

class VersionPacking : public ::testing::TestWithParam<packing_case> {};

TEST_P(VersionPacking, PacksLowBytesAndComparesWith702) {
    uint32_t packed = pack_file_version(GetParam().most, GetParam().least);
    EXPECT_EQ(GetParam().packed, packed);
    EXPECT_EQ(GetParam().sufficient, packed >= kFirstSufficientVersion);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionPacking,
    ::testing::Values(packing_case{0x00070000, 0x000100FF, 0x070001FF, false},  // 7.0.1.255
                      packing_case{0x00070000, 0x00020000, 0x07000200, true},   // 7.0.2.0
                      // 7.0.257.0: the bug-fix part gives its low byte, 1.
                      packing_case{0x00070000, 0x01010000, 0x07000100, false},
                      // 263.0.0.0: the major part gives 7.
                      packing_case{0x01070000, 0x00000000, 0x07000000, false},
                      // 7.0.1.258 packs its build as 2, still 7.0.1.x.
                      packing_case{0x00070000, 0x00010102, 0x07000102, false}));

TEST(FileVersionNumbers, FileWithoutVersionGivesZeros) {
    temp_folder folder;
    std::string path = folder.write_file("plain.qts", "no version here");
    uint32_t most = 1;
    uint32_t least = 1;
    GetFileVersionNumbers(path.c_str(), &most, &least);
    EXPECT_EQ(0u, most);
    EXPECT_EQ(0u, least);
}

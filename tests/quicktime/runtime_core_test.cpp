// The runtime's core: Gestalt, and the module's entries called as the
// plug-in calls them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "core/core_routines.h"
#include "quicktime/fresh_process.h"

namespace {

TEST(CoreRoutines, GestaltAnswersTheBuildsQuickTimeVersionOnly) {
    long response = 0;
    EXPECT_EQ(noErr, qtrt::Gestalt(qtrt::kGestaltQuickTimeVersion, &response));
    EXPECT_EQ(0x07798000, response);
    EXPECT_EQ(qtrt::gestaltUndefSelectorErr, qtrt::Gestalt(qt_fourcc("sysv"), &response));
    EXPECT_EQ(paramErr, qtrt::Gestalt(qtrt::kGestaltQuickTimeVersion, nullptr));
}

// Calls the dispatcher as a stub does: the selector in EAX, the caller's
// arguments on the stack, kept 16-byte aligned at the call. Answers EDX:EAX.
int64_t dispatch(void* dispatcher, uint32_t selector, uint32_t argument) {
    int64_t result;
    __asm__ volatile(
        "subl $12, %%esp\n\t"
        "pushl %[argument]\n\t"
        "call *%[dispatcher]\n\t"
        "addl $16, %%esp"
        : "=A"(result)
        : "a"(selector), [dispatcher] "r"(dispatcher), [argument] "r"(argument)
        : "ecx", "memory", "cc");
    return result;
}

TEST(ModuleEntries, DispatcherRunsTheRoutineWithTheCallersArguments) {
    test_support::run_in_fresh_process([] {
        void* module = dlopen(test_support::runtime_module("").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, module);
        void* dispatcher = dlsym(module, "theQuickTimeDispatcher");
        ASSERT_NE(nullptr, dispatcher);
        // CanReleaseLibraryHandle: no arguments, true in the low byte.
        EXPECT_EQ(1, dispatch(dispatcher, 0x1D0059, 0) & 0xFF);
        // An unknown selector answers paramErr in EAX and in EDX:EAX.
        EXPECT_EQ(paramErr, dispatch(dispatcher, 0x7FFF0001, 0));
    });
}

TEST(ModuleEntries, ModuleExportsOnlyItsThreeEntries) {
    test_support::run_in_fresh_process([] {
        void* module = dlopen(test_support::runtime_module("").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, module);
        EXPECT_NE(nullptr, dlsym(module, "_CallComponentFunctionWithStorage"));
        EXPECT_NE(nullptr, dlsym(module, "_CallComponent"));
        EXPECT_EQ(nullptr, dlsym(module, "qtrt_find_routine"));
        EXPECT_EQ(nullptr, dlsym(module, "qtrt_fixed_file_info"));
    });
}

}  // namespace

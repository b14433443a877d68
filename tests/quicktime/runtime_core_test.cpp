// The runtime's core: the routine lookup over the area tables, its own
// routines, and the module's entries called as the plug-in calls them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "core/core_routines.h"
#include "core/routine_lookup.h"
#include "quicktime/fresh_process.h"

namespace {

int g_first;
int g_second;

const qtrt::routine k_first_rows[] = {{0x20003, &g_first}, {0x10, &g_first}};
const qtrt::routine k_second_rows[] = {{0x20003, &g_second}, {0x150006, &g_second}};
const qtrt::routine_table k_first = qtrt::make_table(k_first_rows);
const qtrt::routine_table k_second = qtrt::make_table(k_second_rows);
const qtrt::routine_table k_empty = {nullptr, 0};
const qtrt::routine_table* const k_tables[] = {&k_first, &k_empty, &k_second};
const qtrt::area_list k_areas = {k_tables, 3};

TEST(RoutineLookup, EarlierTableWinsAndEveryTableIsSearched) {
    EXPECT_EQ(&g_first, qtrt::lookup_routine(k_areas, 0x20003));
    EXPECT_EQ(&g_first, qtrt::lookup_routine(k_areas, 0x10));
    EXPECT_EQ(&g_second, qtrt::lookup_routine(k_areas, 0x150006));
    EXPECT_EQ(nullptr, qtrt::lookup_routine(k_areas, 0x150007));
}

TEST(RoutineLookup, UnknownSelectorGoesToTheErrorRoutine) {
    EXPECT_EQ(reinterpret_cast<const void*>(&qtrt_unknown_selector),
              qtrt_find_routine(0xFFFFFFFF));
    EXPECT_EQ(paramErr, qtrt_unknown_selector());
}

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

// The Component Manager: a component written against the public entry
// routine contract, opened, called and closed; lookup by description.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "components/component_manager.h"
#include "memory/memory_manager.h"

using namespace qtrt;

namespace {

constexpr OSType kTypeTest = qt_fourcc("tst ");
constexpr OSType kSubTypeEcho = qt_fourcc("echo");
constexpr OSType kMakerTest = qt_fourcc("TEST");
constexpr int16_t kEchoSelect = 0x101;

// What the test component's entry routine saw.
struct seen_call {
    int16_t what;
    uint8_t param_size;
    std::vector<int32_t> params;
    Handle storage;
};
std::vector<seen_call> g_seen;
ComponentResult g_open_result = noErr;

// A component written against the public entry-routine contract: Open gives
// the instance a storage handle, Echo answers its first parameter.
ComponentResult echo_entry(ComponentParameters* params, Handle storage) {
    seen_call call{params->what, params->paramSize, {}, storage};
    for (int i = 0; i * 4 < params->paramSize; ++i) {
        call.params.push_back(component_param(params, i));
    }
    g_seen.push_back(call);
    switch (params->what) {
    case kComponentOpenSelect: {
        if (g_open_result != noErr) {
            return g_open_result;
        }
        auto self = reinterpret_cast<ComponentInstance>(intptr_t(component_param(params, 0)));
        SetComponentInstanceStorage(self, NewHandleClear(4));
        return noErr;
    }
    case kComponentCloseSelect:
        DisposeHandle(storage);
        return noErr;
    case kEchoSelect:
        return component_param(params, 0);
    default:
        return badComponentSelector;
    }
}

Component register_echo() {
    ComponentDescription cd{kTypeTest, kSubTypeEcho, kMakerTest, 0, 0};
    return RegisterComponent(&cd, &echo_entry, 1, nullptr, nullptr, nullptr);
}

class ComponentCalls : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_open_result = noErr;
        component = register_echo();
        ASSERT_NE(component, nullptr);
    }
    Component component = nullptr;
};

}  // namespace

TEST_F(ComponentCalls, OpenGetsTheInstanceAndCloseEndsIt) {
    ComponentInstance ci = open_component(component);
    ASSERT_NE(ci, nullptr);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].what, kComponentOpenSelect);
    EXPECT_EQ(g_seen[0].params, std::vector<int32_t>{int32_t(intptr_t(ci))});
    EXPECT_EQ(g_seen[0].storage, nullptr);
    Handle storage = GetComponentInstanceStorage(ci);
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(close_component(ci), noErr);
    EXPECT_EQ(g_seen.back().what, kComponentCloseSelect);
    EXPECT_EQ(g_seen.back().storage, storage);
    EXPECT_FALSE(is_valid_handle(storage));  // the component disposed it
    EXPECT_EQ(call_component(ci, kEchoSelect, {1}), badComponentInstance);
    EXPECT_EQ(close_component(ci), badComponentInstance);
}

TEST_F(ComponentCalls, RecordReachesTheEntryWithTheStorage) {
    ComponentInstance ci = open_component(component);
    ASSERT_NE(ci, nullptr);
    int32_t words[3];
    auto* record = reinterpret_cast<ComponentParameters*>(words);
    record->flags = 0;
    record->paramSize = 8;
    record->what = kEchoSelect;
    words[1] = 1234;
    words[2] = -7;
    EXPECT_EQ(CallComponent(ci, record), 1234);
    const seen_call& call = g_seen.back();
    EXPECT_EQ(call.what, kEchoSelect);
    EXPECT_EQ(call.params, (std::vector<int32_t>{1234, -7}));
    EXPECT_EQ(call.storage, GetComponentInstanceStorage(ci));
    close_component(ci);
}

TEST_F(ComponentCalls, FailedOpenLeavesNoInstance) {
    g_open_result = memFullErr;
    ComponentResult error = noErr;
    EXPECT_EQ(open_component(component, &error), nullptr);
    EXPECT_EQ(error, memFullErr);
}

TEST(ComponentCall, UnknownInstanceOrComponentIsRefused) {
    int32_t words[1] = {0};
    auto* record = reinterpret_cast<ComponentParameters*>(words);
    EXPECT_EQ(CallComponent(nullptr, record), badComponentInstance);
    EXPECT_EQ(CallComponent(reinterpret_cast<ComponentInstance>(words), record),
              badComponentInstance);
    ComponentResult error = noErr;
    EXPECT_EQ(open_component(reinterpret_cast<Component>(words), &error), nullptr);
    EXPECT_EQ(error, invalidComponentID);
}

TEST(FindComponent, ZeroFieldsMatchAnythingAndFlagsUseTheMask) {
    ComponentDescription cd{qt_fourcc("find"), qt_fourcc("one "), kMakerTest, 0x10, 0};
    Component a = RegisterComponent(&cd, &echo_entry, 0, nullptr, nullptr, nullptr);
    cd.componentSubType = qt_fourcc("two ");
    cd.componentFlags = 0x20;
    Component b = RegisterComponent(&cd, &echo_entry, 0, nullptr, nullptr, nullptr);

    ComponentDescription any{qt_fourcc("find"), 0, 0, 0, 0};
    EXPECT_EQ(find_component(any), a);
    EXPECT_EQ(find_component(any, a), b);
    EXPECT_EQ(find_component(any, b), nullptr);
    ComponentDescription flagged{qt_fourcc("find"), 0, 0, 0x20, 0x20};
    EXPECT_EQ(find_component(flagged), b);
    ComponentDescription other{qt_fourcc("find"), qt_fourcc("none"), 0, 0, 0};
    EXPECT_EQ(find_component(other), nullptr);
}


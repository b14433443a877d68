// Data references: static resolves, spawning children, printing the tree.
#include <gtest/gtest.h>

#include <memory>

#include "datahandler/CMStreamDataRef.h"
#include "datahandler/datahandler_test_support.h"
#include "lib/kolmbase/stream_mem.h"

using dh_test::memory_data_ref;
using dh_test::printed_lines;

namespace {

const std::vector<uint8_t> kBytes = {1, 2, 3, 4, 5, 6, 7, 8};

struct resolve_case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> table;
    std::string reference;
    std::string expected;  // "" : no static resolve
};

class StaticResolve : public ::testing::TestWithParam<resolve_case> {};

TEST_P(StaticResolve, ReplacesTheFirstMatchingKeyOnTheNodesOwnUrl) {
    std::unique_ptr<CMStreamDataRef> ref(memory_data_ref(kBytes, "smb://nas/share/movies/ref.mov"));
    for (const auto& entry : GetParam().table) ref->add_resolve(entry.first, entry.second);
    printed_lines printed;
    EXPECT_EQ(GetParam().expected, ref->get_static_resolve(GetParam().reference));
    const std::string line =
        GetParam().expected.empty()
            ? "<datah> No static resolve for " + GetParam().reference + "\n"
            : "<datah> Found static resolve for " + GetParam().reference + " => " +
                  GetParam().expected + "\n";
    EXPECT_EQ(std::vector<std::string>{line}, printed.at_level(6));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, StaticResolve,
    ::testing::Values(
        resolve_case{"ShorterKeyWins", {{"/a", "/x"}, {"/a/b", "/y"}}, "/a/b/c.mov",
                     "smb://nas/x/b/c.mov"},
        resolve_case{"WholeReferenceAsKey", {{"/a/b/c.mov", "/media/c.mov"}}, "/a/b/c.mov",
                     "smb://nas/media/c.mov"},
        resolve_case{"NoKeyIsAPrefix", {{"/b", "/x"}, {"/a/c", "/y"}}, "/a/b/c.mov", ""},
        resolve_case{"EmptyTable", {}, "/a/b/c.mov", ""},
        resolve_case{"EmptyKeyMatchesEverything", {{"", "/root"}, {"/a", "/x"}}, "/a/c.mov",
                     "smb://nas/root/a/c.mov"}),
    [](const ::testing::TestParamInfo<resolve_case>& info) { return info.param.name; });

TEST(SpawnDataRef, ChildGetsTheParentsTableAsItWasWhenSpawned) {
    // A memory stream reachable by URL ("mem:NAME"), opened by the spawn.
    Ruv::CM::RStream::registerMemory("dh-spawn-child", kolmbase::stream::mem(kBytes));
    std::unique_ptr<CMStreamDataRef> parent(memory_data_ref(kBytes, "kolmfs://store/ref.mov"));
    parent->add_resolve("/a", "/x");
    std::unique_ptr<CMDataRef> child(parent->spawn_new_data_ref("mem:dh-spawn-child"));
    Ruv::CM::RStream::unregisterMemory("dh-spawn-child");
    ASSERT_NE(nullptr, child);
    parent->add_resolve("/b", "/y");
    EXPECT_EQ(parent.get(), child->get_parent());
    EXPECT_EQ(std::vector<CMDataRef*>{child.get()}, parent->get_children());
    // The resolve keeps the child's own URL ("mem:...") as the base.
    EXPECT_EQ("mem:/x/1.mov", child->get_static_resolve("/a/1.mov"));
    EXPECT_EQ("", child->get_static_resolve("/b/1.mov"));
}

TEST(SpawnDataRef, UnopenableUrlGivesNullAndLeavesTheChildren) {
    std::unique_ptr<CMStreamDataRef> parent(memory_data_ref(kBytes, "kolmfs://store/ref.mov"));
    printed_lines printed;
    EXPECT_EQ(nullptr, parent->spawn_new_data_ref("mem:dh-no-such-stream"));
    EXPECT_TRUE(parent->get_children().empty());
    EXPECT_EQ(std::vector<std::string>{"<datah> Failed to open stream, mem:dh-no-such-stream\n"},
              printed.at_level(0));
}

}  // namespace

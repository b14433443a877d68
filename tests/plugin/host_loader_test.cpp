// How ruv-import finds the plug-in: its --module option and the loading of
// a module with the errors a user reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"
#include "plugin_module.h"

namespace {

using ruv_import::options;

struct CommandLine {
    const char* name;
    std::vector<const char*> arguments;  // after the program name
    bool accepted;
    const char* module;
    const char* movie;
};

void PrintTo(const CommandLine& line, std::ostream* out) { *out << line.name; }

class CommandLineParsing : public ::testing::TestWithParam<CommandLine> {};

TEST_P(CommandLineParsing, GivesModuleAndMovieOrAnError) {
    std::vector<const char*> argv{"ruv-import"};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    options result;
    std::string error;
    bool accepted = ruv_import::parse_options(int(argv.size()), argv.data(), result, error);
    EXPECT_EQ(accepted, GetParam().accepted) << error;
    if (!accepted) {
        EXPECT_FALSE(error.empty());
        return;
    }
    EXPECT_EQ(result.module_path, GetParam().module);
    EXPECT_EQ(result.movie, GetParam().movie);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineParsing,
    ::testing::Values(
        CommandLine{"MovieThenModule", {"a.mov", "--module", "m.so"}, true, "m.so", "a.mov"},
        CommandLine{"ModuleWithEquals", {"--module=m.so"}, true, "m.so", ""},
        CommandLine{"DashMovieAfterEndOfOptions", {"--", "-odd.mov"}, true, "", "-odd.mov"},
        CommandLine{"ModuleWithoutPath", {"--module"}, false, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PluginModule, ModuleWithoutFactoryHasNone) {
    ruv_import::plugin_module module;
    std::string error;
    ASSERT_TRUE(module.load(std::string(RUV_OUTPUT_DIR) + "/kolmbase.so", error)) << error;
    EXPECT_EQ(module.factory(), nullptr);
}

TEST(PluginModule, MissingFileIsReportedAsSuch) {
    ruv_import::plugin_module module;
    std::string error;
    EXPECT_FALSE(module.load(std::string(RUV_OUTPUT_DIR) + "/no_such_module.so", error));
    EXPECT_EQ(error, "no such file");
    EXPECT_EQ(module.factory(), nullptr);
}

TEST(PluginModule, FileThatIsNoModuleIsRefused) {
    ruv_import::plugin_module module;
    std::string error;
    EXPECT_FALSE(module.load(std::string(RUV_TEST_DATA_DIR) + "/../plugin/CMakeLists.txt", error));
    EXPECT_EQ(error.rfind("not a loadable module", 0), 0u) << error;
}

}  // namespace

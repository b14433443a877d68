// The importer's choice to read its input through the data handler: the
// "data-handler-mode" setting (compared case-sensitively), else the input's
// URL scheme, and the report each choice leaves.
#include <gtest/gtest.h>

#include "data_handler_choice.h"
#include "lib/cm/CMConfiguration.h"
#include "lib/ruvreport/reporter.h"

namespace {

struct decision_case {
    const char* name;
    const char* mode;  // null: not set
    const char* path;
    bool expected;
    int line;
    int severity;
    const char* message;
};

class DataHandlerDecision : public ::testing::TestWithParam<decision_case> {};

TEST_P(DataHandlerDecision, FollowsModeThenSchemeAndReportsIt) {
    const decision_case& c = GetParam();
    Ruv::RPtr<Ruv::CM::RComponentConfiguration> configuration(
        new Ruv::CM::RComponentConfiguration());
    if (c.mode != nullptr) configuration->set("data-handler-mode", c.mode);
    ruvreport::reporter::instance().clear();
    EXPECT_EQ(c.expected, use_data_handler(c.path, *configuration));
    const std::vector<ruvreport::report_entry> reports = ruvreport::reporter::instance().reports();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("component/importer/any/apple_qt/apple_qt", reports[0].file);
    EXPECT_EQ(c.line, reports[0].line);
    EXPECT_EQ(3, reports[0].kind);
    EXPECT_EQ(c.severity, reports[0].severity);
    EXPECT_EQ(c.message, reports[0].message);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DataHandlerDecision,
    ::testing::Values(
        decision_case{"ForceEnableOnAPlainPath", "force-enable", "/movies/a.mov", true, 70, 6,
                      "Forcing usage of data handler"},
        decision_case{"ForceDisableOnAStoreUrl", "force-disable", "kolmfs://store/a.mov", false,
                      76, 6, "Forcing NON usage of data handler"},
        decision_case{"CapitalisedForceEnableIsAuto", "FORCE-ENABLE", "/movies/a.mov", false, 89,
                      7, "URL Scheme: "},
        decision_case{"AutoStoreScheme", "auto", "kolmfs://store/a.mov", true, 89, 7,
                      "URL Scheme: kolmfs"},
        decision_case{"DefaultSmb", nullptr, "smb://nas/share/a.mov", true, 89, 7,
                      "URL Scheme: smb"},
        decision_case{"DefaultCifs", nullptr, "cifs://nas/share/a.mov", true, 89, 7,
                      "URL Scheme: cifs"},
        decision_case{"DefaultFtp", nullptr, "ftp://host/a.mov", true, 89, 7, "URL Scheme: ftp"},
        decision_case{"CapitalisedSchemeIsNotAStreamScheme", nullptr, "SMB://nas/a.mov", false, 89,
                      7, "URL Scheme: SMB"},
        decision_case{"FileUrl", nullptr, "file:///movies/a.mov", false, 89, 7,
                      "URL Scheme: file"},
        decision_case{"PlainPath", nullptr, "/movies/a.mov", false, 89, 7, "URL Scheme: "}),
    [](const ::testing::TestParamInfo<decision_case>& info) { return info.param.name; });

}  // namespace

// The choice between QuickTime's own file access and the plug-in's data
// handler, and the reports it leaves.
#include <gtest/gtest.h>

#include "data_handler_choice.h"
#include "lib/ruvreport/reporter.h"

namespace {

struct choice_case {
    const char* name;
    const char* mode;  // null: key absent
    const char* path;
    bool uses_data_handler;
    int report_line;
    int severity;
    const char* report;
};

class DataHandlerChoice : public ::testing::TestWithParam<choice_case> {};

TEST_P(DataHandlerChoice, FollowsTheModeThenTheScheme) {
    const choice_case& c = GetParam();
    Ruv::RPtr<Ruv::CM::RComponentConfiguration> configuration(new Ruv::CM::RComponentConfiguration());
    if (c.mode) configuration->set("data-handler-mode", c.mode);
    ruvreport::reporter::instance().clear();
    EXPECT_EQ(use_data_handler(c.path, *configuration), c.uses_data_handler);

    std::vector<ruvreport::report_entry> reports = ruvreport::reporter::instance().reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "component/importer/any/apple_qt/apple_qt");
    EXPECT_EQ(reports[0].line, c.report_line);
    EXPECT_EQ(reports[0].kind, 3);
    EXPECT_EQ(reports[0].severity, c.severity);
    EXPECT_EQ(reports[0].message, c.report);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DataHandlerChoice,
    ::testing::Values(
        choice_case{"forced_on", "force-enable", "/media/a.mov", true, 70, 6, "Forcing usage of data handler"},
        choice_case{"forced_off", "force-disable", "kolmfs://store/a.mov", false, 76, 6,
                    "Forcing NON usage of data handler"},
        choice_case{"capitals_are_auto", "FORCE-ENABLE", "/media/a.mov", false, 89, 7, "URL Scheme: "},
        choice_case{"plain_path", nullptr, "/media/a.mov", false, 89, 7, "URL Scheme: "},
        choice_case{"file_url", nullptr, "file:///media/a.mov", false, 89, 7, "URL Scheme: file"},
        choice_case{"kolmfs", nullptr, "kolmfs://store/a.mov", true, 89, 7, "URL Scheme: kolmfs"},
        choice_case{"smb", "auto", "smb://nas/share/a.mov", true, 89, 7, "URL Scheme: smb"},
        choice_case{"cifs", nullptr, "cifs://nas/a.mov", true, 89, 7, "URL Scheme: cifs"},
        choice_case{"ftp", nullptr, "ftp://host/a.mov", true, 89, 7, "URL Scheme: ftp"},
        choice_case{"scheme_in_capitals", nullptr, "SMB://nas/a.mov", false, 89, 7, "URL Scheme: SMB"}),
    [](const ::testing::TestParamInfo<choice_case>& info) { return std::string(info.param.name); });

}  // namespace

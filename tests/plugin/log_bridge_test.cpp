// The bridge from the reader library's log to standard error: the line an
// error becomes, and the handler each importer installs at its first
// preflight and takes out again when it goes.
#include <gtest/gtest.h>

#include <string>

#include "apple_qt.h"
#include "importer/log.h"
#include "lib/kolmbase/ds_og.h"
#include "my_log_handler.h"

namespace {

using ns_movie_apple_qt::log;

const std::string kPrefix = "error: [ruv_importer_any_apple_qt] ";

struct error_case {
    const char* name;
    size_t text_length;
    size_t printed_length;
};

class ErrorLine : public ::testing::TestWithParam<error_case> {};

TEST_P(ErrorLine, HoldsTheTextCutTo1023Characters) {
    my_log_handler handler;
    log::instance().set_handler(&handler);
    const std::string text(GetParam().text_length, 'x');
    testing::internal::CaptureStderr();
    log::instance().error(0, 0, "%s", text.c_str());
    log::instance().remove_handler(&handler);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              kPrefix + std::string(GetParam().printed_length, 'x') + "\n");
}

INSTANTIATE_TEST_SUITE_P(Lengths, ErrorLine,
                         ::testing::Values(error_case{"Empty", 0, 0}, error_case{"Fits", 1023, 1023},
                                           error_case{"TwoThousand", 2000, 1023}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only errors reach standard error, and only while a handler is installed.
TEST(LogBridge, ErrorsReachTheInstalledHandlerOnly) {
    my_log_handler handler;
    testing::internal::CaptureStderr();
    log::instance().error(1, 2, "before %d", 1);
    log::instance().set_handler(&handler);
    log::instance().error(1, 2, "track %d: %s", 2, "no sample table");
    log::instance().message(1, "silent %d", 3);
    log::instance().remove_handler(&handler);
    log::instance().error(1, 2, "after %d", 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kPrefix + "track 2: no sample table\n");
}

// preflight without an input installs the handler, then throws.
void first_preflight(apple_qt& importer) {
    Ruv::RPtr<Ruv::CM::RImporterConfiguration> configuration(new Ruv::CM::RImporterConfiguration());
    EXPECT_THROW(importer.preflight(*configuration), Ruv::CException);
}

TEST(ImporterLogHandler, EachImporterTakesOutOnlyItsOwnHandler) {
    Ruv::RPtr<apple_qt> first(new apple_qt());
    Ruv::RPtr<apple_qt> second(new apple_qt());
    first_preflight(*first);
    ns_movie_apple_qt::log_handler* firsts = log::instance().handler();
    ASSERT_NE(firsts, nullptr);
    first_preflight(*second);
    ns_movie_apple_qt::log_handler* seconds = log::instance().handler();
    EXPECT_NE(seconds, firsts);
    // An importer that never installed one, and the earlier one, leave it.
    Ruv::RPtr<apple_qt>(new apple_qt()).reset();
    first.reset();
    EXPECT_EQ(log::instance().handler(), seconds);
    second.reset();
    EXPECT_EQ(log::instance().handler(), nullptr);
    // The sanitizer build catches a log that still calls a destroyed handler.
    log::instance().error(0, 0, "after the importers");
}

// The lines are the process's standard error itself: neither a negative
// diagnostic level nor a host's diagnostic sink keeps them from it.
TEST(LogBridge, ErrorLinesGoToStandardErrorWhateverTheDiagnosticLevel) {
    const int level = kolmbase::ds_og::threshold();
    kolmbase::ds_og::set_threshold(-1);
    std::string collected;
    kolmbase::ds_og::set_sink(
        [](int, const char* text, void* context) { *static_cast<std::string*>(context) += text; },
        &collected);
    my_log_handler handler;
    log::instance().set_handler(&handler);
    testing::internal::CaptureStderr();
    log::instance().error(0, 0, "track %d left out", 3);
    const std::string printed = testing::internal::GetCapturedStderr();
    log::instance().remove_handler(&handler);
    kolmbase::ds_og::set_sink(nullptr, nullptr);
    kolmbase::ds_og::set_threshold(level);
    EXPECT_EQ(printed, kPrefix + "track 3 left out\n");
    EXPECT_EQ(collected, "");
}

}  // namespace

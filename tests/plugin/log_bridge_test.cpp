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

// Only errors reach standard error, as a line of the text cut to 1023
// characters, and only while a handler is installed. The lines are the
// process's standard error itself: neither a negative diagnostic level nor a
// host's diagnostic sink keeps them from it.
TEST(LogBridge, ErrorsReachStandardErrorThroughTheInstalledHandlerOnly) {
    const int level = kolmbase::ds_og::threshold();
    kolmbase::ds_og::set_threshold(-1);
    std::string collected;
    kolmbase::ds_og::set_sink(
        [](int, const char* text, void* context) { *static_cast<std::string*>(context) += text; },
        &collected);
    my_log_handler handler;
    const std::string fits(1023, 'x');
    testing::internal::CaptureStderr();
    log::instance().error(1, 2, "before %d", 1);
    log::instance().set_handler(&handler);
    log::instance().error(1, 2, "track %d: %s", 2, "no sample table");
    log::instance().message(1, "silent %d", 3);
    for (const std::string& text : {std::string(), fits, std::string(2000, 'x')})
        log::instance().error(0, 0, "%s", text.c_str());
    log::instance().remove_handler(&handler);
    log::instance().error(1, 2, "after %d", 4);
    const std::string printed = testing::internal::GetCapturedStderr();
    kolmbase::ds_og::set_sink(nullptr, nullptr);
    kolmbase::ds_og::set_threshold(level);
    EXPECT_EQ(printed, kPrefix + "track 2: no sample table\n" + kPrefix + "\n" + kPrefix + fits +
                           "\n" + kPrefix + fits + "\n");
    EXPECT_EQ(collected, "");
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

}  // namespace

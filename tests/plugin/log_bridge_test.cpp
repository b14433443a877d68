#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "importer/log.h"
#include "lib/kolmbase/ds_og.h"
#include "my_log_handler.h"

namespace {

const std::string kPrefix = "error: [ruv_importer_any_apple_qt] ";

void send_error(my_log_handler& handler, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    handler.error(0, 0, format, arguments);
    va_end(arguments);
}

void send_message(my_log_handler& handler, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    handler.message(0, format, arguments);
    va_end(arguments);
}

std::string error_output(const char* format, const char* text) {
    my_log_handler handler;
    testing::internal::CaptureStderr();
    send_error(handler, format, text);
    return testing::internal::GetCapturedStderr();
}

struct ErrorCase {
    const char* name;
    size_t text_length;
    size_t printed_length;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class ErrorLine : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorLine, HoldsTheTextCutTo1023Characters) {
    std::string text(GetParam().text_length, 'x');
    std::string expected = kPrefix + std::string(GetParam().printed_length, 'x') + "\n";
    EXPECT_EQ(error_output("%s", text.c_str()), expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ErrorLine,
                         ::testing::Values(ErrorCase{"Empty", 0, 0}, ErrorCase{"Short", 5, 5},
                                           ErrorCase{"Fits", 1023, 1023},
                                           ErrorCase{"OneTooMany", 1024, 1023},
                                           ErrorCase{"TwoThousand", 2000, 1023}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorLine, FormatsItsArguments) {
    my_log_handler handler;
    testing::internal::CaptureStderr();
    send_error(handler, "track %d: %s", 2, "no sample table");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kPrefix + "track 2: no sample table\n");
}

TEST(Message, WritesNothing) {
    my_log_handler handler;
    testing::internal::CaptureStderr();
    send_message(handler, "%s %d", "frame", 12);
    send_message(handler, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The reader library reaches the handler only through the log.
TEST(LogBridge, LogErrorsReachTheInstalledHandlerOnly) {
    ns_movie_apple_qt::log& log = ns_movie_apple_qt::log::instance();
    my_log_handler handler;

    testing::internal::CaptureStderr();
    log.error(1, 2, "before %d", 1);
    log.set_handler(&handler);
    log.error(1, 2, "during %d", 2);
    log.message(1, "silent %d", 3);
    log.remove_handler(&handler);
    log.error(1, 2, "after %d", 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kPrefix + "during 2\n");
}

// A host that collects diagnostics gets the lines instead of standard error.
TEST(LogBridge, ErrorLinesReachTheHostsDiagnosticSink) {
    std::string collected;
    kolmbase::ds_og::set_sink(
        [](int, const char* text, void* context) { *static_cast<std::string*>(context) += text; },
        &collected);
    my_log_handler handler;
    testing::internal::CaptureStderr();
    send_error(handler, "track %d left out", 3);
    const std::string printed = testing::internal::GetCapturedStderr();
    kolmbase::ds_og::set_sink(nullptr, nullptr);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(collected, kPrefix + "track 3 left out\n");
}

}  // namespace

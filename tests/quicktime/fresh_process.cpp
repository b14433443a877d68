#include "quicktime/fresh_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace test_support {

#ifdef _WIN32
// Windows has no fork: GoogleTest's death-test machinery starts the test
// program again for this test alone, and the body runs there.
void run_in_fresh_process(const std::function<void()>& body) {
    EXPECT_EXIT(
        {
            body();
            std::fflush(stdout);
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "")
        << "the scenario failed in its own process (its failures are printed above)";
}
#else
void run_in_fresh_process(const std::function<void()>& body) {
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        body();
        bool failed = ::testing::Test::HasFailure();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(failed ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the scenario failed in its own process (its failures are printed above)";
}
#endif

std::string quicktime_registry(const std::map<std::string, std::string>& values) {
    std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Apple Computer, Inc.\\QuickTime]\r\n";
    for (const auto& value : values) {
        std::string escaped;
        for (char c : value.second) {
            if (c == '\\' || c == '"') escaped.push_back('\\');
            escaped.push_back(c);
        }
        text += "\"" + value.first + "\"=\"" + escaped + "\"\r\n";
    }
    return text;
}

std::string runtime_module(const std::string& variant) {
    std::string folder = RUV_OUTPUT_DIR;
    if (!variant.empty()) folder += "/" + variant;
    return folder + "/QuickTime.qts";
}

}  // namespace test_support

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/kolmbase/ds_og.h"

namespace {

void collect(int level, const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(std::to_string(level) + " " + text);
}

TEST(Diagnostics, OnlyLevelsAtOrBelowTheThresholdArePrinted) {
    std::vector<std::string> lines;
    const int saved = kolmbase::ds_og::threshold();
    kolmbase::ds_og::set_sink(collect, &lines);
    kolmbase::ds_og::set_threshold(1);
    kolmbase::ds_og::print(0, "<datah> stream %s", "failed");
    kolmbase::ds_og::print(1, "<datah> read %d", 7);
    kolmbase::ds_og::print(6, "<datah> trace");
    kolmbase::ds_og::set_sink(nullptr, nullptr);
    kolmbase::ds_og::set_threshold(saved);
    EXPECT_EQ(lines, (std::vector<std::string>{"0 <datah> stream failed", "1 <datah> read 7"}));
}

TEST(Diagnostics, AbortIfEndsTheProcessWithTheExpression) {
    EXPECT_DEATH(kolmbase::ds_og::abort_if(true, "0 == m_data", "frame", 12),
                 "assertion failed: 0 == m_data \\(frame:12\\)");
    kolmbase::ds_og::abort_if(false, "never", "frame", 1);
}

}  // namespace

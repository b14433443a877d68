// Key/value text, as configuration and static resolves are written.
#include <gtest/gtest.h>

#include "lib/kolmbase/strings.h"

namespace {

typedef std::map<std::string, std::string> kv;

TEST(KeyValueSplit, PairsKeepBlanksAndTheLastRepeat) {
    EXPECT_EQ(kolmbase::strutil::kvmap_with_kvstr("a=1;b=;c;;d=x=y; a = 2 ;a=3", ';', '='),
              (kv{{"a", "3"}, {"b", ""}, {"c", ""}, {"d", "x=y"}, {" a ", " 2 "}}));
    EXPECT_TRUE(kolmbase::strutil::kvmap_with_kvstr("", ';', '=').empty());
}

}  // namespace

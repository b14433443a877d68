#include <gtest/gtest.h>

#include "lib/kolmbase/strings.h"

namespace {

typedef std::map<std::string, std::string> kv;

TEST(KeyValueSplit, PairsWithAndWithoutValues) {
    EXPECT_EQ(kolmbase::strutil::kvmap_with_kvstr("a=1;b=;c;;d=x=y", ';', '='),
              (kv{{"a", "1"}, {"b", ""}, {"c", ""}, {"d", "x=y"}}));
}

TEST(KeyValueSplit, KeepsBlanksAndLastRepeat) {
    EXPECT_EQ(kolmbase::strutil::kvmap_with_kvstr(" a = 1 ,a=2", ',', '='),
              (kv{{" a ", " 1 "}, {"a", "2"}}));
    EXPECT_EQ(kolmbase::strutil::kvmap_with_kvstr("k:1|k:2", '|', ':'), (kv{{"k", "2"}}));
    EXPECT_TRUE(kolmbase::strutil::kvmap_with_kvstr("", ';', '=').empty());
}

TEST(Replace, EveryOccurrenceOnce) {
    EXPECT_EQ(kolmbase::strutil::replace("a.b.c", ".", "::"), "a::b::c");
    EXPECT_EQ(kolmbase::strutil::replace("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(kolmbase::strutil::replace("abc", "", "x"), "abc");
    EXPECT_EQ(kolmbase::strutil::replace("abab", "ab", ""), "");
}

}  // namespace

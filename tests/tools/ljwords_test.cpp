#include "tools/ljwords.h"

#include <gtest/gtest.h>

using namespace zt;

TEST(TLJWords, EmptyFieldsCountTrailingSeparatorDoesNot) {
    TLJWords w;
    EXPECT_EQ(w.Split("a;;b"), 3);
    EXPECT_EQ(w.words, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(w.Split("a;b;"), 2);
    EXPECT_EQ(w.Split(";a"), 2);
    EXPECT_EQ(w.Word(0), "");
    EXPECT_EQ(w.Split(""), 0);
    EXPECT_TRUE(w.words.empty());

    w.separator = "";
    EXPECT_EQ(w.Split("a;b"), 1);  // no separator: one word, no endless loop
    // A longer separator: one character after each word goes, the rest stays in the next word.
    w.separator = "||";
    EXPECT_EQ(w.Split("a||b||c"), 3);
    EXPECT_EQ(w.words, (std::vector<std::string>{"a", "|b", "|c"}));
    EXPECT_EQ(w.Split("a||"), 2);
    EXPECT_EQ(w.words, (std::vector<std::string>{"a", "|"}));
    w.separator = "ab";
    EXPECT_EQ(w.Split("xabyab"), 3);
    EXPECT_EQ(w.words, (std::vector<std::string>{"x", "by", "b"}));
}

TEST(TLJWords, OutOfRangeIsFlaggedOnlyPastTheEnd) {
    TLJWords w;
    ASSERT_EQ(w.Split("x;y;z"), 3);
    EXPECT_EQ(w.Word(-1), "");
    EXPECT_FALSE(w.outOfRange);
    EXPECT_EQ(w.Word(2), "z");
    EXPECT_FALSE(w.outOfRange);
    EXPECT_EQ(w.Word(5), "");
    EXPECT_TRUE(w.outOfRange);
    w.Split("a");
    EXPECT_FALSE(w.outOfRange);  // a split clears it
}

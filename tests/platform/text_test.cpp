#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/cp1250.h"

using namespace zt;

TEST(TxTools, SelectWordMergesSeparatorsSelectWordExKeepsEmptyFields) {
    EXPECT_EQ(TxTools::SelectWord(";;a;;b;", 0, ";"), "a");
    EXPECT_EQ(TxTools::SelectWord(";;a;;b;", 1, ";"), "b");
    EXPECT_EQ(TxTools::SelectWord(";;a;;b;", 2, ";"), "");
    EXPECT_EQ(TxTools::SelectWord("a b,c", 2, " ,"), "c");
    EXPECT_EQ(TxTools::SelectWord("a", -1, ";"), "");
    EXPECT_EQ(TxTools::SelectWord("", 0, ";"), "");

    EXPECT_EQ(TxTools::SelectWordEx("a;;b", 1, ";", true), "");
    EXPECT_EQ(TxTools::SelectWordEx("a;;b", 2, ";", true), "b");
    EXPECT_EQ(TxTools::SelectWordEx(";x", 0, ";", true), "");
    EXPECT_EQ(TxTools::SelectWordEx(";x", 1, ";", true), "x");
    EXPECT_EQ(TxTools::SelectWordEx("a;;b", 1, ";", false), "b");
    EXPECT_EQ(TxTools::SelectWordEx("a;b", 5, ";", true), "");
}

TEST(TxTools, CharacterEdits) {
    EXPECT_EQ(TxTools::DelChars("a-b-c", '-'), "abc");
    EXPECT_EQ(TxTools::DelAnyChar("12 34-56", " -"), "123456");
    EXPECT_EQ(TxTools::DelAnyOtherChar("59-01 23x", "0123456789"), "590123");
    EXPECT_EQ(TxTools::Chars2Char("a;b,c", ";,", ' '), "a b c");
    EXPECT_EQ(TxTools::Chars2Str("a\tb", "\t", "<T>"), "a<T>b");
    EXPECT_TRUE(TxTools::ContainsAnyChar("abc", "xc"));
    EXPECT_FALSE(TxTools::ContainsAnyChar("abc", ""));
    EXPECT_EQ(TxTools::FileName("C:\\dir\\kasa.exp"), "kasa.exp");
    EXPECT_EQ(TxTools::FileExtension("C:\\d.ir\\kasa.exp"), ".exp");
    EXPECT_EQ(TxTools::FileExtension("C:\\d.ir\\kasa"), "");
    EXPECT_EQ(TxTools::Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(TxTools::TrimLeft("  x "), "x ");
    EXPECT_EQ(TxTools::TrimRight("  x "), "  x");
}

TEST(TxTools, CaseOfPolishLetters) {
    EXPECT_EQ(TxTools::UpperCase(pl("zażółć gęślą jaźń")), pl("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"));
    EXPECT_EQ(TxTools::LowerCase(pl("ZAŻÓŁĆ GĘŚLĄ JAŹŃ x1")), pl("zażółć gęślą jaźń x1"));
    EXPECT_EQ(TxTools::UpperCase("\xF7\xD7"), "\xF7\xD7");  // division and multiplication signs stay
}

TEST(TxTools, StrToIntDefLikeAPascalRuntime) {
    EXPECT_EQ(TxTools::StrToIntDef("  42", -1), 42);
    EXPECT_EQ(TxTools::StrToIntDef("-17", 0), -17);
    EXPECT_EQ(TxTools::StrToIntDef("+8", 0), 8);
    EXPECT_EQ(TxTools::StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(TxTools::StrToIntDef("0x10", 0), 16);
    EXPECT_EQ(TxTools::StrToIntDef("$FFFFFFFF", 0), -1);
    EXPECT_EQ(TxTools::StrToIntDef("2147483647", 0), 2147483647);
    EXPECT_EQ(TxTools::StrToIntDef("-2147483648", 0), -2147483647 - 1);
    for (const char* bad : {"", " ", "-", "12 ", "1.5", "2147483648", "$", "0x", "abc", "$100000000"})
        EXPECT_EQ(TxTools::StrToIntDef(bad, -99), -99) << bad;
    EXPECT_EQ(TxTools::IntToStr(-5), "-5");
}

TEST(TxTools, FormatGrowsPastTheSmallBuffer) {
    EXPECT_EQ(format("%s=%d %.02f", "x", 5, 23.0), "x=5 23.00");
    const std::string big(1000, 'q');
    EXPECT_EQ(format("[%s]", big.c_str()), "[" + big + "]");
}

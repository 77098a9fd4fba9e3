#include "platform/decimal.h"

#include <gtest/gtest.h>

#include "platform/exception.h"

using namespace zt;

TEST(TxfTools, LenientReading) {
    TxfTools x;
    ASSERT_TRUE(x.FromString("  12,34 "));
    EXPECT_EQ(x.Scaled(2), 1234);
    ASSERT_TRUE(x.FromString("-0.5"));
    EXPECT_EQ(x.ToString(2), "-0.50");
    ASSERT_TRUE(x.FromString("+7"));
    EXPECT_EQ(x.ToString(), "7");
    ASSERT_TRUE(x.FromString(".25"));
    EXPECT_EQ(x.Scaled(2), 25);
    ASSERT_TRUE(x.FromString("3."));
    EXPECT_EQ(x.Scaled(0), 3);
    // Many decimals: cut at 18 and rounded.
    ASSERT_TRUE(x.FromString("0.1234567890123456789"));
    EXPECT_EQ(x.ToString(), "0.123456789012345679");

    for (const char* bad : {"", "  ", "-", ".", "1.2.3", "1,2.3", "12a", "1 2", "--1", "99999999999999999999"}) {
        TxfTools y = TxfTools::FromParts(42, 0);
        EXPECT_FALSE(y.FromString(bad)) << bad;
        EXPECT_EQ(y.Scaled(0), 42);
    }
    EXPECT_THROW(TxfTools::Parse("abc"), EMException);
}

TEST(TxfTools, RoundsHalfAwayFromZero) {
    auto r = [](const char* s, int d) {
        TxfTools x = TxfTools::Parse(s);
        x.Round(d);
        return x.ToString(d);
    };
    EXPECT_EQ(r("2.345", 2), "2.35");
    EXPECT_EQ(r("-2.345", 2), "-2.35");
    EXPECT_EQ(r("2.344", 2), "2.34");
    EXPECT_EQ(r("0.5", 0), "1");
    EXPECT_EQ(r("-0.5", 0), "-1");
    EXPECT_EQ(r("-0.004", 2), "0.00");
    EXPECT_EQ(r("9.995", 2), "10.00");
    EXPECT_EQ(TxfTools::Parse("1.005").Scaled(2), 101);
    EXPECT_EQ(TxfTools::Parse("-1.005").Scaled(2), -101);
    // Scaling to tens and beyond rounds the exact value once.
    EXPECT_EQ(TxfTools::Parse("14.5").Scaled(-1), 1);
    EXPECT_EQ(TxfTools::Parse("-14.5").Scaled(-1), -1);
    EXPECT_EQ(TxfTools::Parse("15").Scaled(-1), 2);
    EXPECT_EQ(TxfTools::Parse("0.000000000000000001").Scaled(-2), 0);
    EXPECT_EQ(TxfTools::Parse("6000000000000000000").Scaled(-19), 1);
}

TEST(TxfTools, FromExtendedKeepsMoneyExact) {
    EXPECT_EQ(TxfTools(12.34L).Scaled(2), 1234);
    EXPECT_EQ(TxfTools(1.005L).Scaled(2), 101);  // binary 1.00499999... still reads as 1.005
    EXPECT_EQ(TxfTools(0.1L + 0.2L).ToString(), "0.3");
    EXPECT_EQ(TxfTools(-19.99L).ToString(2), "-19.99");
    EXPECT_EQ(TxfTools(0.0L).ToString(2), "0.00");
    EXPECT_EQ(TxfTools(123456789.12L).Scaled(2), 12345678912LL);
    EXPECT_NEAR(static_cast<double>(TxfTools::Parse("23.5").Value()), 23.5, 1e-12);
}

#include "platform/datetime.h"

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"

using namespace zt;

TEST(TdtTools, CompactFormatBothWays) {
    TdtTools t = TdtTools::Encode(2024, 2, 29, 23, 59, 58);
    EXPECT_EQ(t.ToString(13), "20240229235958000");
    EXPECT_EQ(t.ToString(0), "2024-02-29");
    EXPECT_EQ(t.ToString(1), "2024-02-29 23:59:58");
    EXPECT_EQ(t.ToString(7), "23:59:58");

    TdtTools r;
    ASSERT_TRUE(r.FromString("20240229235958000", 13));
    EXPECT_EQ(r.ToString(13), "20240229235958000");
    EXPECT_DOUBLE_EQ(r.Value(), t.Value());
    ASSERT_TRUE(r.FromString("19991231000000", 13));
    EXPECT_EQ(r.ToString(1), "1999-12-31 00:00:00");

    for (const char* bad : {"20230229000000000", "2024022923595800", "2024-02-29", "20241301000000000",
                            "20240101246000000", "2024010112000x000", ""}) {
        TdtTools u(5.0);
        EXPECT_FALSE(u.FromString(bad, 13)) << bad;
        EXPECT_EQ(u.Value(), 5.0);
    }
    EXPECT_THROW(TdtTools::Parse("garbage", 1), EMException);
}

TEST(TdtTools, EpochWeekdaysAndNames) {
    EXPECT_EQ(TdtTools(0).ToString(0), "1899-12-30");
    EXPECT_EQ(TdtTools(0).DayOfWeek(), 6);  // Saturday
    const TdtTools mon = TdtTools::Encode(2024, 1, 1, 12);
    EXPECT_EQ(mon.DayOfWeek(), 1);
    EXPECT_EQ(mon.DayName(), pl("poniedziałek"));
    EXPECT_EQ(TdtTools(mon.Value() + 2).DayName(), pl("środa"));
    EXPECT_EQ(TdtTools(mon.Value() + 6).DayName(), "niedziela");
    EXPECT_EQ(mon.Day(), 45292);
    EXPECT_EQ(mon.DateOnly().ToString(1), "2024-01-01 00:00:00");
}

TEST(TdtTools, RoundTripEverySecondOfADayIsExact) {
    const TdtTools base = TdtTools::Encode(2023, 6, 15);
    for (int s = 0; s < 86400; s += 7) {
        const TdtTools t = TdtTools::Encode(2023, 6, 15, s / 3600, s / 60 % 60, s % 60);
        int y, m, d, h, mi, sec;
        t.Decode(y, m, d, h, mi, sec);
        ASSERT_EQ(h * 3600 + mi * 60 + sec, s);
        ASSERT_EQ(t.Day(), base.Day());
        TdtTools back;
        ASSERT_TRUE(back.FromString(t.ToString(1), 1));
        ASSERT_EQ(back.ToString(13), t.ToString(13));
    }
    // A value a hair below a whole second decodes to that second.
    EXPECT_EQ(TdtTools(base.Value() + 1.0 - 1e-10).ToString(1), "2023-06-16 00:00:00");
}

TEST(TdtTools, LenientDatesAndTimes) {
    TdtTools t;
    ASSERT_TRUE(t.FromString(" 05.03.2024 ", 0));
    EXPECT_EQ(t.ToString(0), "2024-03-05");
    ASSERT_TRUE(t.FromString("2024-03-05", 1));
    EXPECT_EQ(t.ToString(1), "2024-03-05 00:00:00");
    ASSERT_TRUE(t.FromString("5.3.2024 07:08", 1));
    EXPECT_EQ(t.ToString(1), "2024-03-05 07:08:00");
    ASSERT_TRUE(t.FromString("07:08:09", 7));
    EXPECT_EQ(t.ToString(7), "07:08:09");
    EXPECT_FALSE(t.FromString("31.04.2024", 0));
    EXPECT_FALSE(t.FromString("2024-3-5", 0));
    EXPECT_THROW(TdtTools::Encode(2024, 13, 1), EMException);
}

TEST(TdtTools, NowComesFromTheInstalledClock) {
    VirtualClock vc;
    setClock(&vc);
    const double before = TdtTools::Now().Value();
    vc.advance(86400000);
    EXPECT_NEAR(TdtTools::Now().Value() - before, 1.0, 1e-9);
    setClock(nullptr);
}

#include <gtest/gtest.h>

#include "platform/dataset.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/intset.h"

using namespace zt;

TEST(TMacSetOfIntegers, UniqueAscendingWithinCapacity) {
    TMacSetOfIntegers s(3);
    EXPECT_TRUE(s.Add(2300));
    EXPECT_TRUE(s.Add(-1));
    EXPECT_FALSE(s.Add(2300));
    EXPECT_TRUE(s.Add(800));
    EXPECT_FALSE(s.Add(500));  // full
    ASSERT_EQ(s.GetCount(), 3);
    EXPECT_EQ(s.GetValues(0), -1);
    EXPECT_EQ(s.GetValues(1), 800);
    EXPECT_EQ(s.GetValues(2), 2300);
    EXPECT_THROW(s.GetValues(3), EMException);
    s.Clear();
    EXPECT_EQ(s.GetCount(), 0);
}

TEST(TMDataSet, RowsByPositionAndTypedFields) {
    TMDataSet ds;
    ds.AddField("plu", TMFieldType::Integer);
    ds.AddField("nazwa", TMFieldType::Text);
    ds.AddField("cena", TMFieldType::Extended);
    ds.AddField("data", TMFieldType::DateTime);
    EXPECT_THROW(ds.Append(), EMException);  // not open
    ds.Open();
    EXPECT_THROW(ds.AddField("x", TMFieldType::Text), EMException);
    EXPECT_TRUE(ds.Eof());

    for (int i = 1; i <= 3; ++i) {
        ds.Append();
        ds.FieldByName("PLU").SetAsInteger(i * 10);
        ds.FieldByName("nazwa").SetAsString("t" + std::to_string(i));
    }
    ds.SetRecNo(1);
    ds.Insert();  // before the second row
    ds.Fields(0).SetAsString("15");
    ds.FieldByName("cena").SetAsString("2,50");
    ds.FieldByName("data").SetAsString("2024-01-02 03:04:05");
    EXPECT_THROW(ds.FieldByName("plu").SetAsString("x"), EMException);
    EXPECT_EQ(ds.FieldByName("plu").AsInteger(), 15);  // unchanged by the failed write

    std::vector<std::int64_t> plus;
    for (ds.First(); !ds.Eof(); ds.Next()) plus.push_back(ds.FieldByName("plu").AsInteger());
    EXPECT_EQ(plus, (std::vector<std::int64_t>{10, 15, 20, 30}));

    ds.SetRecNo(1);
    EXPECT_EQ(ds.FieldByName("cena").AsExtended(), 2.5L);
    EXPECT_EQ(ds.FieldByName("cena").AsString(), "2.5");
    EXPECT_EQ(TdtTools(ds.FieldByName("data").AsDateTime()).ToString(13), "20240102030405000");
    EXPECT_EQ(ds.FieldByName("plu").AsString(), "15");
    EXPECT_TRUE(ds.FieldByName("nazwa").IsNull());
    EXPECT_EQ(ds.FieldByName("nazwa").AsString(), "");
    EXPECT_THROW(ds.FieldByName("brak"), EMException);
    EXPECT_EQ(ds.FieldIndex("brak"), -1);

    ds.SetRecNo(4);
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.Fields(0).AsInteger(), EMException);
    EXPECT_THROW(ds.SetRecNo(5), EMException);
    ds.Clear();
    EXPECT_EQ(ds.RecordCount(), 0);
}

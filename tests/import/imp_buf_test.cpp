#include "drivers/import/imp_buf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/cp1250.h"
#include "platform/exception.h"

using namespace zt;

namespace {

const double kNoon = TdtTools::Encode(2024, 5, 6, 12, 30, 0).Value();

struct Row {
    std::string code;
    long double quantity, value;
    int identifier;
};

std::vector<Row> rows(const ZTImpBuf& b) {
    std::vector<Row> out;
    for (int i = 0; i < b.CountPlu(); ++i) {
        ZTImpTowRec r;
        b.GetPlu(i, r);
        out.push_back({r.code, r.quantity, r.value, r.identifier});
    }
    return out;
}

TEST(ImpBufGoodsRows, AddToPluBooksEachRecordOnce) {
    ZTImpBuf b;
    b.AddToPlu("12", 1000, 450, 1);  // creates the row: booked once, not twice
    b.AddToPlu("12", 500, 200, 1);
    b.AddToPlu("12", 3000, 900, 2);  // the same text as a barcode is another row
    b.AddToPlu("12", 1000, 100, 2);
    b.AddToPlu("7", 1, 1, 1);
    const auto r = rows(b);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].quantity, 1500);
    EXPECT_EQ(r[0].value, 650);
    EXPECT_EQ(r[1].identifier, 2);
    EXPECT_EQ(r[1].quantity, 4000);
    EXPECT_EQ(r[2].code, "7");

    b.ExclAddToPlu("7", 9, 9);
    b.ExclAddToPlu("missing", 9, 9);  // nothing happens
    EXPECT_EQ(rows(b)[2].quantity, 10);
    EXPECT_EQ(b.CountPlu(), 3);
}

TEST(ImpBufGoodsRows, IndexStaysSortedThroughInsertsAndPut) {
    ZTImpBuf b;
    std::vector<std::string> codes;
    for (int i = 0; i < 2000; ++i) codes.push_back(std::to_string(i * 7919 % 5003));
    std::mt19937 rng(5);
    std::shuffle(codes.begin(), codes.end(), rng);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        b.AddToPlu(codes[i], 1, 1, 1);  // each add searches the index built so far
        if (i % 97 == 0) {
            ASSERT_GE(b.FindRec(codes[i / 2]), 0) << i;
        }
    }
    for (const auto& c : codes) {
        const int row = b.FindRec(c);
        ASSERT_GE(row, 0) << c;
        ZTImpTowRec r;
        b.GetPlu(row, r);
        EXPECT_EQ(r.code, c);
    }
    EXPECT_EQ(b.FindRec("absent"), -1);

    ZTImpTowRec r;
    b.GetPlu(0, r);
    const std::string old = r.code;
    r.code = "renamed";
    b.PutPlu(0, r);  // the index is rebuilt at the next search
    EXPECT_EQ(b.FindRec("renamed"), 0);
    EXPECT_EQ(b.FindRec(old), -1);
    EXPECT_EQ(ZTImpBuf().FindRec("x"), -1);
}

std::unique_ptr<QORParagon> receipt() {
    auto r = std::make_unique<QORParagon>();
    r->open = false;
    r->dateTime = kNoon;
    r->discount = -150;
    const struct {
        int plu;
        const char* code;
        int qty;
        std::int64_t value;
        int kind;
    } pos[] = {{12, "", 1000, 450, 0},
               {13, " 5901234123457 ", 2000, 900, 0},
               {14, "", 1000, 50, 0},
               {-1, "3", 2000, 100, 1},
               {-1, "3", -1000, -50, 2}};
    for (const auto& p : pos) {
        auto q = std::make_unique<QORPosition>();
        q->plu = p.plu;
        q->code = p.code;
        q->quantity = p.qty;
        q->value = p.value;
        q->kind = p.kind;
        q->dateTime = kNoon;
        r->AddPosition(std::move(q));
    }
    const struct {
        int form;
        std::int64_t amount;
        int multiplier, kind;
    } pays[] = {{0, 500, 100, -1}, {3, 1234, 100, -1}, {1, 200, 100, -1},
                {2, 300, 100, -1}, {4, 77, 100, -1},   {4, 1000, 1, 7}};
    for (const auto& p : pays) {
        auto q = std::make_unique<QORPayment>();
        q->form = p.form;
        q->amount = p.amount;
        q->multiplier = p.multiplier;
        q->currencyKind = p.kind;
        q->plnValue = 4300;
        r->AddPayment(std::move(q));
    }
    return r;
}

TEST(ImpBufReceipts, SalesFromReceiptsBookPositionsAndPayments) {
    ZTImpBuf b;
    b.salesFromReceipts = true;
    b.AddReceipt(receipt());
    const auto r = rows(b);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].code, "12");
    EXPECT_EQ(r[0].identifier, 1);
    EXPECT_EQ(r[1].code, "5901234123457");  // trimmed, as a barcode
    EXPECT_EQ(r[1].identifier, 2);
    EXPECT_EQ(r[2].code, "14");  // no code: the PLU number keeps the goods apart
    EXPECT_EQ(r[3].code, "3");
    EXPECT_EQ(r[3].quantity, 1000);  // package sold and returned in one row
    EXPECT_EQ(b.BottlesSaled(), 100);
    EXPECT_EQ(b.BottlesTurned(), 50);
    // value x multiplier / 100: once, not a hundred times
    EXPECT_EQ(b.Cards(), 1234);
    EXPECT_EQ(b.Vouchers(), 200);
    EXPECT_EQ(b.Cheques(), 300);
    EXPECT_EQ(b.Others(), 77);  // the currency payment is booked by its own line
    EXPECT_EQ(b.Discounts(), 150);
    EXPECT_EQ(b.GetReceiptsCount(), 1);
    EXPECT_NE(b.GetReceipts(0), nullptr);
    const std::string text = b.WriteToText(false);
    EXPECT_NE(text.find("GODZ;12;1450;1;5\r\n"), std::string::npos) << text;

    ZTImpBuf off;  // without the mode the receipt is only kept
    off.AddReceipt(receipt());
    EXPECT_EQ(off.CountPlu(), 0);
    EXPECT_EQ(off.Cards(), 0);
    EXPECT_EQ(off.GetReceiptsCount(), 1);
}

TEST(ImpBufSums, DiscountsPackagesHoursAndClear) {
    ZTImpBuf b;
    b.AddDiscount(-100, true);
    b.AddDiscount(-100, false);
    b.AddDiscount(30, true);
    EXPECT_EQ(b.Discounts(), 30);
    b.AddBottlesSaled(-40);
    b.AddBottlesTurned(-15);
    EXPECT_EQ(b.BottlesSaled(), 40);
    EXPECT_EQ(b.BottlesTurned(), 15);
    b.AddGodzinowy(24, 1, 1, 1);
    b.AddGodzinowy(-1, 1, 1, 1);
    b.AddGodzinowy(8, 3, 0, 0);  // receipts but no value: no line
    EXPECT_EQ(b.WriteToText(false).find("GODZ;"), std::string::npos);

    b.AddPlu("1", 1, 1, 1);
    b.AddParameter("ComboLastReceipt", "5");
    b.AddParameter("ComboLastReceipt", "6");
    b.AddReceiptOtherInfo(std::make_unique<QOROther>());
    b.Kas_SetNumer(3);
    b.Kas_ActiveKasjerSection();
    b.Clear();
    EXPECT_EQ(b.CountPlu(), 0);
    EXPECT_EQ(b.Discounts(), 0);
    EXPECT_FALSE(b.Kas_IsActiveKasjerSection());
    EXPECT_EQ(b.GetReceiptsOtherCount(), 1);
    ASSERT_EQ(b.Parameters().size(), 1u);
    EXPECT_EQ(b.Parameters()[0].second, "6");
}

TEST(ImpBufReceiptLines, ParLinesByIdentifier) {
    ZTImpBuf b;
    b.AddLiniaParEx("12", 1000, 450, 0, "Chleb;", kNoon, 3, -1, 1);
    b.AddLiniaParEx("590", 1, 2, 3, "", 0, -1, 7, 2);
    b.defaultIdentIsCode = true;
    b.AddLiniaParEx("591", 1, 2, 3, "", 0, -1, -1, 0);
    EXPECT_EQ(b.LiniePar(),
              "PAR;12;;1000;450;0;Chleb;20240506123000000;3;\r\n"
              "PAR;;590;1;2;3;;18991230000000000;;7\r\n"
              "PAR;;591;1;2;3;;18991230000000000;;\r\n");
    try {
        b.AddLiniaParEx("1", 0, 0, 0, "", 0, 0, 0, 3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), pl("ZTExpBuf::AddLiniaParEx() - nieprawidłowy _ident"));
    }
}

}  // namespace

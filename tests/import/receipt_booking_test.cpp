// The "P_" lines of "combo.imp" turned into receipts, other-information
// records and orders, and what they book on the buffers.
#include "drivers/import/receipt_booking.h"

#include <gtest/gtest.h>

#include "platform/exception.h"
#include "tests/support/kasa_imp_text.h"

using namespace zt;

using ztest::section;

namespace {

const TdtTools kImportDay = TdtTools::Encode(2024, 5, 6, 21, 0, 0);

// A value line of [FINANSOWE], e.g. "FPLATN_KARTA".
std::string sum(const std::string& kasa, const std::string& name) {
    const std::string fin = section(kasa, "FINANSOWE");
    const auto at = fin.find(name + ";");
    if (at == std::string::npos) return "<missing>";
    const auto from = at + name.size() + 1;
    return fin.substr(from, fin.find("\r\n", from) - from);
}

struct Import {
    ZTImpBufList list;
    ZTReceiptImpReader reader;
    Import(bool fromReceipts, ZTReceiptReaderSettings s = {})
        : list({false, fromReceipts, true}), reader(std::move(s)) {}
    void read(const std::string& text) { reader.ReadText(text, list, kImportDay); }
    ZTImpBuf& day(int d) {
        for (int i = 0; i < list.Count(); ++i) {
            int y, m, dd;
            list.At(i).saleDate.Decode(y, m, dd);
            if (dd == d) return list.At(i);
        }
        throw std::runtime_error("no buffer for day " + std::to_string(d));
    }
};

// One receipt of every receipt-body kind: two goods, a voided line, a
// package sold and one returned, a line discount, a card discount with a
// card code, a card and a cash payment, given-back cash.
const std::string kReceipt =
    "P_PLU;1;12;5901234123457;Chleb;1000;450;0\r\n"
    "P_RAB;21;Rabat;1;1;50;\r\n"
    "P_PLU;1;13;;Bulka;2000;100;0\r\n"
    "P_PLU;1;14;;Maslo;1000;700;1\r\n"
    "P_OPA;0;3;;2000;100\r\n"
    "P_OPA;1;4;;1000;30\r\n"
    "P_RAB;23;Karta;2;3;20;99912345678\r\n"
    "P_PLA;2;2;Karta;2;300;;1;Anna;7\r\n"
    "P_PLA;2;1;Gotowka;0;400;;1;Anna;7\r\n"
    "P_PLA;3;1;Gotowka;0;80;;1;Anna;7\r\n"
    "P_TRN;57;20240506101500000;1;Anna;7;600;620;1057\r\n";

TEST(ReceiptReader, ReceiptBooksItsAmountsAtItsClosingLine) {
    ZTReceiptReaderSettings s;
    s.cardPosition = 4;
    s.cardLength = 5;
    Import r(false, s);
    r.read(kReceipt);
    ASSERT_EQ(r.list.Count(), 1);
    ZTImpBuf& b = r.list.At(0);
    ASSERT_EQ(b.GetReceiptsCount(), 1);
    const QORParagon& p = *b.GetReceipts(0);
    EXPECT_FALSE(p.open);
    EXPECT_EQ(p.receiptNo, 57);
    EXPECT_EQ(p.printNo, 1057);
    EXPECT_EQ(p.registerNo, 1);
    EXPECT_EQ(p.cashierNo, 7);
    EXPECT_EQ(p.cardCode, "12345");
    EXPECT_EQ(p.discount, -20);
    ASSERT_EQ(p.PositionCount(), 4);
    EXPECT_EQ(p.Position(0).plu, 12);
    EXPECT_EQ(p.Position(0).discount, -50);
    EXPECT_EQ(p.Position(1).plu, 13);
    EXPECT_EQ(p.Position(2).kind, 1);
    EXPECT_EQ(p.Position(2).code, "3");
    EXPECT_EQ(p.Position(3).kind, 2);
    EXPECT_EQ(p.Position(3).quantity, -1000);
    EXPECT_EQ(p.Position(3).value, -30);
    ASSERT_EQ(p.PaymentCount(), 3);
    EXPECT_EQ(p.Payment(0).form, 3);
    EXPECT_EQ(p.Payment(0).multiplier, 100);
    EXPECT_EQ(p.Payment(2).amount, -80);
    EXPECT_EQ(p.Payment(2).last, 1);
    EXPECT_EQ(p.Payment(0).last, 0);
    EXPECT_EQ(p.Position(1).dateTime, p.dateTime);

    // The voided line reaches the host as its own record, not as a goods line.
    ASSERT_EQ(b.GetReceiptsOtherCount(), 1);
    const QOROther& o = *b.GetReceiptsOther(0);
    EXPECT_EQ(o.type, QOROther::kVoided);
    EXPECT_EQ(o.printNo, "1057");
    EXPECT_EQ(o.receiptNo, "57");
    ASSERT_EQ(o.PositionCount(), 1);
    EXPECT_EQ(o.Position(0).plu, 14);
    ASSERT_EQ(o.PaymentCount(), 1);
    EXPECT_EQ(o.Payment(0).amount, 700);

    const std::string kasa = b.WriteToText(false);
    EXPECT_EQ(sum(kasa, "IL_KOSZYKOW"), "1");
    EXPECT_EQ(sum(kasa, "IL_LINII_PAR"), "4");
    EXPECT_EQ(sum(kasa, "RABATY"), "-70");
    EXPECT_EQ(sum(kasa, "FPLATN_KARTA"), "300");
    EXPECT_EQ(sum(kasa, "FPLATN_INNE"), "0");
    EXPECT_EQ(section(kasa, "RAPORT_GODZINOWY"), "GODZ;10;620;1;4\r\n");
    EXPECT_EQ(section(kasa, "TOWAROWE"), "");
}

TEST(ReceiptReader, SalesFromReceiptsGoToTheBufferOfTheReceiptsDay) {
    Import r(true);
    r.read("SPT;12;675;1500;0;06-05-2024\r\n" + kReceipt +
           "P_PLU;1;12;;Chleb;3000;1350;0\r\n"
           "P_PLA;2;5;Czek;0;1350\r\n"
           "P_TRN;58;20240507090000000;1;Anna;7;1350;1350;1058\r\n");
    ASSERT_EQ(r.list.Count(), 2);
    const std::string d6 = r.day(6).WriteToText(false), d7 = r.day(7).WriteToText(false);
    // The goods come from the receipts, the SPT line is not counted again.
    EXPECT_EQ(section(d6, "TOWAROWE"),
              "PLU;12;;1000;450\r\nPLU;13;;2000;100\r\nPLU;;3;2000;100\r\nPLU;;4;-1000;-30\r\n");
    EXPECT_EQ(sum(d6, "FPLATN_KARTA"), "300");
    EXPECT_EQ(sum(d6, "RABATY"), "20");
    EXPECT_EQ(sum(d6, "SPRZEDAZ_OPAKOWAN"), "100");
    EXPECT_EQ(sum(d6, "ZWROT_OPAKOWAN"), "30");
    EXPECT_EQ(section(d7, "TOWAROWE"), "PLU;12;;3000;1350\r\n");
    EXPECT_EQ(sum(d7, "FPLATN_CZEK"), "1350");
    EXPECT_EQ(sum(d7, "IL_KOSZYKOW"), "1");
}

TEST(ReceiptReader, CurrencyPaymentCountsOnceInZlotyInBothModes) {
    const std::string text =
        "P_PLU;1;12;;Chleb;1000;4500;0\r\n"
        "P_WAL;6;3;EURO;4500;1000;45000\r\n"
        "P_WAL;7;3;EURO;100;22;45000\r\n"
        "P_TRN;59;20240506120000000;1;Anna;7;4500;4500;1059\r\n";
    for (const bool fromReceipts : {false, true}) {
        SCOPED_TRACE(fromReceipts);
        Import r(fromReceipts);
        r.read(text);
        ZTImpBuf& b = r.list.At(0);
        EXPECT_EQ(sum(b.WriteToText(false), "FPLATN_INNE"), "4400");
    }
    Import r(false);
    r.read(text);
    const QORParagon& p = *r.list.At(0).GetReceipts(0);
    ASSERT_EQ(p.PaymentCount(), 2);
    EXPECT_EQ(p.Payment(0).currencyName, "EUR");
    EXPECT_EQ(p.Payment(0).amount, 1000);
    EXPECT_EQ(p.Payment(0).multiplier, 1);
    EXPECT_EQ(p.Payment(0).rate, 45000);
    EXPECT_EQ(p.Payment(1).plnValue, -100);
    EXPECT_EQ(p.Payment(1).form, 4);
}

TEST(ReceiptReader, CancelledReceiptTakesTheLinesReadBeforeIt) {
    for (const bool fromReceipts : {false, true}) {
        SCOPED_TRACE(fromReceipts);
        Import r(fromReceipts);
        r.read(
            "P_PLU;1;12;;Chleb;1000;450;0\r\n"
            "P_PLA;2;2;Karta;2;450\r\n"
            "P_ANU;20240506110000000;1;Anna;7;1;450;450\r\n"
            "P_PLU;1;13;;Bulka;1000;100;0\r\n"
            "P_TRN;60;20240506111000000;1;Anna;7;100;100;1060\r\n");
        ZTImpBuf& b = r.day(6);
        ASSERT_EQ(b.GetReceiptsCount(), 1);
        EXPECT_EQ(b.GetReceipts(0)->PositionCount(), 1);
        EXPECT_EQ(b.GetReceipts(0)->PaymentCount(), 0);
        ASSERT_EQ(b.GetReceiptsOtherCount(), 1);
        const QOROther& o = *b.GetReceiptsOther(0);
        EXPECT_EQ(o.type, QOROther::kCancelled);
        EXPECT_EQ(o.cashierNo, 7);
        EXPECT_EQ(o.registerNo, 1);
        EXPECT_EQ(o.Payment(0).amount, 450);
        const std::string kasa = b.WriteToText(false);
        EXPECT_EQ(sum(kasa, "FPLATN_KARTA"), "0");
        EXPECT_EQ(sum(kasa, "IL_LINII_PAR"), "1");
    }
}

TEST(ReceiptReader, PayInsAndPayOutsStandAlone) {
    Import r(false);
    r.read(
        "P_PLA;4;1;Gotowka;0;10000;;1;Anna;7\r\n"
        "P_PLA;5;1;Gotowka;0;2500;Odbior;1;Anna;7\r\n"
        "P_PLA;4;2;Karta;2;999;;1;Anna;7\r\n"  // not cash: nothing
        "P_PLA;4;1;Gotowka;0;5\r\n"            // no cashier: the sum only
        "P_PLU;1;12;;Chleb;1000;450;0\r\n"
        "P_TRN;61;20240506111000000;1;Anna;7;450;450;1061\r\n");
    ZTImpBuf& b = r.list.At(0);
    ASSERT_EQ(b.GetReceiptsOtherCount(), 2);
    EXPECT_EQ(b.GetReceiptsOther(0)->type, QOROther::kPayIn);
    EXPECT_EQ(b.GetReceiptsOther(0)->cashierNo, 7);
    EXPECT_EQ(b.GetReceiptsOther(0)->Payment(0).amount, 10000);
    EXPECT_EQ(b.GetReceiptsOther(1)->type, QOROther::kPayOut);
    EXPECT_EQ(b.GetReceipts(0)->PositionCount(), 1);
    const std::string kasa = b.WriteToText(false);
    EXPECT_EQ(sum(kasa, "WPLATY"), "10005");
    EXPECT_EQ(sum(kasa, "WYPLATY"), "2500");
}

TEST(ReceiptReader, UnfinishedReceiptBooksNothingAndIsCarriedOver) {
    for (const bool fromReceipts : {false, true}) {
        SCOPED_TRACE(fromReceipts);
        Import r(fromReceipts);
        r.read(kReceipt +
               "P_PLU;1;12;;Chleb;1000;450;0\r\n"
               "P_PLA;4;1;Gotowka;0;100;;1;Anna;7\r\n"
               "P_PLA;2;2;Karta;2;450\r\n"
               "P_RAB;22;Rabat;2;3;10;\r\n"
               "P_TRN;99;2024");  // cut short by a killed writer
        const std::string kasa = r.day(6).WriteToText(false);
        EXPECT_EQ(sum(kasa, "FPLATN_KARTA"), "300");
        EXPECT_EQ(sum(kasa, "IL_KOSZYKOW"), "1");
        EXPECT_EQ(sum(kasa, "IL_LINII_PAR"), "4");
        EXPECT_EQ(sum(kasa, "WPLATY"), "100");
        const std::vector<std::string> expected = {"P_PLU;1;12;;Chleb;1000;450;0\r\n", "P_PLA;2;2;Karta;2;450\r\n",
                                                   "P_RAB;22;Rabat;2;3;10;\r\n"};
        EXPECT_EQ(r.reader.Receipts().LeftoverLines(), expected);
    }
}

TEST(ReceiptReader, EveryProcessingStartsEmpty) {
    Import r(false);
    r.read("P_PLU;1;12;;Chleb;1000;450;0\r\nP_ZAM;32;12;590;1500;Tort\r\n");
    EXPECT_EQ(r.reader.Receipts().Orders().Lines().size(), 1u);
    ZTImpBufList second({false, false, true});
    r.reader.ReadText("P_PLU;1;13;;Bulka;1000;100;0\r\nP_TRN;62;20240506111000000;1;Anna;7;100;100;1062\r\n", second,
                      kImportDay);
    EXPECT_TRUE(r.reader.Receipts().Orders().Empty());
    ASSERT_EQ(second.At(0).GetReceiptsCount(), 1);
    EXPECT_EQ(second.At(0).GetReceipts(0)->PositionCount(), 1);
    EXPECT_TRUE(r.reader.Receipts().LeftoverLines().empty());
}

TEST(ReceiptReader, GoodsByBarcode) {
    ZTReceiptReaderSettings s;
    s.codeAsIdentifier = true;
    s.convertCode = [](std::string_view c) {
        return c == "2100123012345" ? std::string("21001230?????") : std::string(c);
    };
    Import r(true, s);
    r.read(
        "P_PLU;1;12;2100123012345;Ser;500;1250;0\r\n"
        "P_PLU;1;13;;Bulka;1000;100;0\r\n"
        "P_PLU;1;14;;Maslo;1000;700;0\r\n"
        "P_TRN;63;20240506111000000;1;Anna;7;2050;2050;1063\r\n");
    // Goods without a barcode keep their own rows by PLU number.
    EXPECT_EQ(section(r.list.At(0).WriteToText(false), "TOWAROWE"),
              "PLU;;21001230?????;500;1250\r\nPLU;13;;1000;100\r\nPLU;14;;1000;700\r\n");
}

TEST(ReceiptReader, OrdersAddAndReplaceByCode) {
    Import r(false);
    r.read(
        "P_ZAM;32;12;590;1500;Tort\r\n"
        "P_ZAM;32;13;591;1000;Ciasto\r\n"
        "P_ZAM;33;12;590;2500;Tort duzy\r\n"
        "P_ZAM;33;12; 590;3000;Tort;x\r\n");
    const std::vector<std::string> expected = {"Ciasto;591;1000", "Tort;590;3000"};
    EXPECT_EQ(r.reader.Receipts().Orders().Lines(), expected);
}

TEST(ReceiptReader, HostileLinesFailCleanly) {
    const struct {
        const char* line;
        bool fails;
    } cases[] = {
        {"P_PLU;1;12\r\n", true},                       // short line: no field read past it
        {"P_PLA;2;2;Karta;2;abc\r\n", true},            // a value that is no number
        {"P_PLU;1;12;;A;99999999999;1;0\r\n", false},   // a quantity beyond 32 bits is clamped
        {"P_TRN;1;bad;REG-1;Anna;7;0;0;x\r\n", false},  // free texts and the print number tolerate
        {"P_RAB;21;R;1;1;-9223372036854775808;\r\n", false},
        {"P_XYZ;1\r\nP_FSK;20240506000000000;1;0;0;0;0;0;0;0;\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Import r(false);
        if (c.fails)
            EXPECT_THROW(r.read(c.line), Exception);
        else
            EXPECT_NO_THROW(r.read(c.line));
    }
    Import r(false);
    r.read("P_PLU;1;12;;A;1000;100;0\r\nP_TRN;1;bad;REG-1;Anna;7;0;0;x\r\n");
    EXPECT_EQ(r.list.At(0).GetReceipts(0)->registerNo, -1);
    EXPECT_EQ(r.list.At(0).GetReceipts(0)->printNo, -1);
}

TEST(ReceiptReader, CardNumberCut) {
    EXPECT_EQ(ZTReceiptReader::CardNumber("99912345678", 4, 5), "12345");
    EXPECT_EQ(ZTReceiptReader::CardNumber("99912345", 4, 5), "12345");
    EXPECT_EQ(ZTReceiptReader::CardNumber("9991234", 4, 5), "9991234");
    EXPECT_EQ(ZTReceiptReader::CardNumber("999", 4, 5), "999");
    EXPECT_EQ(ZTReceiptReader::CardNumber("99912345678", 0, 5), "99912345678");
}

}  // namespace

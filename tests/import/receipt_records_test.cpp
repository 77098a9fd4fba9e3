#include "drivers/import/receipt_records.h"

#include <gtest/gtest.h>

#include "platform/datetime.h"

using namespace zt;

namespace {

const double kNoon = TdtTools::Encode(2024, 5, 6, 12, 30, 0).Value();
const std::string kStamp = "20240506123000000";

std::unique_ptr<QORPosition> position(int plu, std::string code, int qty, std::int64_t value, int discount) {
    auto p = std::make_unique<QORPosition>();
    p->plu = plu;
    p->code = std::move(code);
    p->quantity = qty;
    p->value = value;
    p->discount = discount;
    p->dateTime = kNoon;
    return p;
}

std::unique_ptr<QORPayment> payment(int form, std::int64_t amount) {
    auto p = std::make_unique<QORPayment>();
    p->form = form;
    p->formCopy = form;
    p->amount = amount;
    p->multiplier = 100;
    p->dateTime = kNoon;
    return p;
}

TEST(ReceiptLineTexts, PositionsAndPayments) {
    struct Case {
        const char* name;
        std::string text;
        std::string want;
    };
    QORPayment eur;
    eur.form = 4;
    eur.formCopy = 4;
    eur.amount = 1000;
    eur.currencyKind = 7;
    eur.currencyName = "EUR";
    eur.rate = 43000;
    eur.plnValue = 4300;
    eur.dateTime = kNoon;
    const Case cases[] = {
        {"plu position", position(12, "", 1000, 450, 0)->ToText(), "ZAW;12;;1000;450;0;-1;" + kStamp + "\n"},
        {"no plu number", position(-1, "590", 1, 5, -1)->ToText(), "ZAW;;590;1;5;-1;-1;" + kStamp + "\n"},
        {"64-bit value", position(1, "", 1, 5000000000LL, 0)->ToText(), "ZAW;1;;1;5000000000;0;-1;" + kStamp + "\n"},
        {"separators in a code", position(1, "a;b\r\nc", 1, 1, 0)->ToText(), "ZAW;1;abc;1;1;0;-1;" + kStamp + "\n"},
        {"payment ends at its time", payment(3, 1234)->ToText(), "PMT;3;1234;100;-1;-1;3;0;0;;" + kStamp + "\n"},
        {"currency payment", eur.ToText(), "PMT;4;1000;1;-1;-1;4;0;0;;" + kStamp + ";7;EUR;43000;4300\n"},
        {"defaults", QORPayment().ToText(), "PMT;-1;-1;1;-1;-1;-1;0;0;;18991230000000000\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, c.want) << c.name;
}

TEST(ReceiptBlock, ClosedOpenAndLongCardCode) {
    QORParagon r;
    r.open = false;
    r.printNo = 101;
    r.receiptNo = 57;
    r.cashierNo = 3;
    r.registerNo = 1;
    r.dateTime = kNoon;
    r.AddPosition(position(12, "", 1000, 450, 0));
    r.AddPosition(position(13, "", 2000, 450, -20));
    r.AddPayment(payment(0, 900));
    EXPECT_EQ(r.ToText(), "\r\n[Paragon nr 57]\r\nTRN;101;57;2;1;3;1;;;" + kStamp +
                              ";0;-1\r\n"
                              "ZAW;12;;1000;450;0;-1;" +
                              kStamp + "\nZAW;13;;2000;450;-20;-1;" + kStamp +
                              "\n"
                              "PMT;0;900;100;-1;-1;0;1;0;;" +
                              kStamp + "\n");
    EXPECT_EQ(r.Payment(0).last, 1);

    // Still open: "KSK", no positions, unset numbers as empty fields.
    QORParagon open;
    open.AddPosition(position(12, "", 1, 1, 0));
    open.AddPayment(payment(3, 5));
    open.AddPayment(payment(0, 7));
    EXPECT_EQ(open.ToText(),
              "\r\n[Paragon nr -1]\r\nKSK;-1;-1;1;2;;;;;18991230000000000;0;-1\r\n"
              "PMT;3;5;100;-1;-1;3;0;0;;" +
                  kStamp + "\nPMT;0;7;100;-1;-1;0;1;0;;" + kStamp + "\n");

    // A card code long enough to pass 255 characters keeps every field after it.
    QORParagon card;
    card.open = false;
    card.cardCode = std::string(300, '7');
    const std::string text = card.ToText();
    EXPECT_NE(text.find(std::string(300, '7') + ";;18991230000000000;0;-1\r\n"), std::string::npos);
}

TEST(OtherInformationBlock, TypeTags) {
    const struct {
        int type;
        const char* tag;
    } cases[] = {{0, "OP_WPL;"},     {1, "OP_WYPL;"}, {2, "OP_STORNO;"}, {3, "OP_ANUL;"}, {4, "OP_OTW_ZW;"},
                 {5, "OP_ZAMK_ZM;"}, {9, ""}};
    for (const auto& c : cases) {
        QOROther o;
        o.type = c.type;
        EXPECT_EQ(o.ToText(), std::string("\n[INNA_OPER]\n") + c.tag + ";;0;0;-1;-1;;0;18991230000000000;;-1\r\n")
            << c.type;
    }
    QOROther v;
    v.type = QOROther::kVoided;
    v.printNo = "101";
    v.receiptNo = "57";
    v.cashierNo = 3;
    v.registerNo = 1;
    v.dateTime = kNoon;
    v.AddPosition(position(12, "", 1000, 450, 0));
    auto pay = payment(0, 450);
    pay->last = 1;
    v.AddPayment(std::move(pay));
    EXPECT_EQ(v.ToText(), "\n[INNA_OPER]\nOP_STORNO;101;57;1;1;3;1;;0;" + kStamp +
                              ";;-1\r\n"
                              "ZAW;12;;1000;450;0;-1;" +
                              kStamp + "\nPMT;0;450;100;-1;-1;0;1;0;;" + kStamp + "\n");
}

}  // namespace

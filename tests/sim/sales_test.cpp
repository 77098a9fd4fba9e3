// Sales at the simulated register: the records a receipt leaves in the buffer,
// the counters the import reads back through the register's answers, the
// daily report, refusals that change nothing, and sales written in the state file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>

#include "platform/exception.h"
#include "proto/combo_data.h"
#include "sim/register_engine.h"
#include "sim/sales.h"
#include "sim/state_file.h"
#include "tests/sim/engine_client.h"

namespace zt::sim {
namespace {

using F = TComboFraming;
using test::EngineClient;

struct Counters {
    std::int64_t pluValue = 0, pluQuantity = 0, pluStock = 0;  // PLU 1, through PLUSTATREAD
    std::int64_t packSold = 0, packReturned = 0;               // package 1 values, through PACKSTATREAD
    std::int64_t discounts = 0, markups = 0, packagesSold = 0, packagesReturned = 0, sales = 0;  // USERSTATREAD
    std::int64_t receipts = 0, cancelled = 0, cancelledValue = 0, voided = 0, voidedValue = 0;
    std::map<int, std::int64_t> payments;
    std::array<std::int64_t, 7> totals{};
};

Counters read(RegisterEngine& e) {
    EngineClient c(e, 500);
    Counters k;
    auto p = c.command(cmdPLUSTATREAD, {F::EncodeV(1), F::EncodeB(1)});
    k.pluValue = p->fields[1].AsN64(), k.pluQuantity = p->fields[2].AsN64(), k.pluStock = p->fields[3].AsN64();
    auto o = c.command(cmdPACKSTATREAD, {F::EncodeV(1), F::EncodeB(1)});
    k.packSold = o->fields[3].AsN64(), k.packReturned = o->fields[4].AsN64();
    auto u = c.command(cmdUSERSTATREAD, {F::EncodeV(1), F::EncodeB(0)})->fields;
    k.discounts = u[1].AsN64(), k.markups = u[2].AsN64(), k.packagesSold = u[4].AsN64();
    k.packagesReturned = u[5].AsN64(), k.sales = u[8].AsN64(), k.receipts = u[9].AsL(), k.cancelled = u[10].AsL();
    k.cancelledValue = u[11].AsN64(), k.voided = u[12].AsL(), k.voidedValue = u[13].AsN64();
    for (std::size_t i = 0; i < u[16].AsB(); ++i) k.payments[u[18 + 2 * i].AsV()] = u[19 + 2 * i].AsN64();
    k.totals = e.state().dailyTotals;
    return k;
}

Counters delta(const Counters& a, const Counters& b) {
    Counters d;
    d.pluValue = b.pluValue - a.pluValue, d.pluQuantity = b.pluQuantity - a.pluQuantity;
    d.pluStock = b.pluStock - a.pluStock, d.packSold = b.packSold - a.packSold;
    d.packReturned = b.packReturned - a.packReturned, d.discounts = b.discounts - a.discounts;
    d.markups = b.markups - a.markups, d.packagesSold = b.packagesSold - a.packagesSold;
    d.packagesReturned = b.packagesReturned - a.packagesReturned, d.sales = b.sales - a.sales;
    d.receipts = b.receipts - a.receipts, d.cancelled = b.cancelled - a.cancelled;
    d.cancelledValue = b.cancelledValue - a.cancelledValue, d.voided = b.voided - a.voided;
    d.voidedValue = b.voidedValue - a.voidedValue;
    for (const auto& [form, v] : b.payments)
        if (std::int64_t x = v - (a.payments.count(form) ? a.payments.at(form) : 0); x != 0) d.payments[form] = x;
    for (std::size_t i = 0; i < 7; ++i) d.totals[i] = b.totals[i] - a.totals[i];
    return d;
}

struct SaleRow {
    const char* name;
    Sale sale;
    std::vector<int> types;  // records appended, in order
    std::int64_t fiscal, total, change;
    Counters moves;  // expected deltas
};

Counters expect(std::function<void(Counters&)> f) {
    Counters c;
    f(c);
    return c;
}

std::vector<SaleRow> saleRows() {
    return {
        {"two goods paid in cash by default",
         Sale().item(1, 2000).item(2, 1000),
         {10, 10, 2, 17},
         1229,
         1229,
         0,
         expect([](Counters& c) {
             c.pluValue = 900, c.pluQuantity = 2000, c.pluStock = -2000, c.sales = 1229, c.receipts = 1;
             c.payments = {{1, 1229}};
             c.totals[2] = 1229;
         })},
        {"line discount and mark-up, card and cash with change",
         Sale().item(1, 1000).discount(50).item(4, 1000).discount(-20).pay(2, 500).pay(1, 1000),
         {10, 21, 10, 21, 2, 2, 3, 17},
         819,
         819,
         681,
         expect([](Counters& c) {
             c.pluValue = 400, c.pluQuantity = 1000, c.pluStock = -1000, c.discounts = 50, c.markups = 20;
             c.sales = 819, c.receipts = 1, c.payments = {{1, 319}, {2, 500}};
             c.totals[2] = 400, c.totals[0] = 419;
         })},
        {"deposits sold and returned",
         Sale().item(4, 2000).package(1, 2000).packageReturn(1, 1000),
         {10, 0, 1, 2, 17},
         798,
         848,
         0,
         expect([](Counters& c) {
             c.packSold = 100, c.packReturned = 50, c.packagesSold = 100, c.packagesReturned = 50;
             c.sales = 798, c.receipts = 1, c.payments = {{1, 848}};
             c.totals[0] = 798;
         })},
        {"card discount on the receipt spread over the VAT slots",
         Sale().item(1, 2000).item(4, 1000).receiptDiscount(130, "99001234567891"),
         {10, 10, 23, 2, 17},
         1169,
         1169,
         0,
         expect([](Counters& c) {
             c.pluValue = 900, c.pluQuantity = 2000, c.pluStock = -2000, c.discounts = 130, c.sales = 1169;
             c.receipts = 1, c.payments = {{1, 1169}};
             c.totals[2] = 900 - 91, c.totals[0] = 399 - 39;  // shares 90 and 39, the odd grosz on the larger
         })},
        {"euro at the form's rate, change in cash",
         Sale().item(1, 10000).payCurrency(3, 1000).pay(1, 200),
         {10, 6, 2, 3, 17},
         4500,
         4500,
         13,
         expect([](Counters& c) {
             c.pluValue = 4500, c.pluQuantity = 10000, c.pluStock = -10000, c.sales = 4500, c.receipts = 1;
             c.payments = {{1, 187}, {3, 1000}};  // 10.00 EUR = 43.13 zł
             c.totals[2] = 4500;
         })},
        {"voided line counts only as voided",
         Sale().item(1, 1000).voided(2, 1000),
         {10, 13, 2, 17},
         450,
         450,
         0,
         expect([](Counters& c) {
             c.pluValue = 450, c.pluQuantity = 1000, c.pluStock = -1000, c.voided = 1, c.voidedValue = 329;
             c.sales = 450, c.receipts = 1, c.payments = {{1, 450}};
             c.totals[2] = 450;
         })},
        {"a set is its own position type", Sale().item(10, 1000), {11, 2, 17}, 699, 699, 0, expect([](Counters& c) {
             c.sales = 699, c.receipts = 1, c.payments = {{1, 699}};
             c.totals[1] = 699;
         })},
        {"cancelled receipt counts nothing but the cancellation",
         Sale().item(1, 1000).voided(4, 1000).cancel(2),
         {10, 13, 18},
         450,
         450,
         0,
         expect([](Counters& c) { c.cancelled = 1, c.cancelledValue = 450, c.voided = 1, c.voidedValue = 399; })},
    };
}

TEST(Sales, EveryReceiptLeavesItsRecordsAndMovesTheCountersTheImportReads) {
    for (const auto& row : saleRows()) {
        SCOPED_TRACE(row.name);
        RegisterEngine e;
        const auto before = read(e);
        const std::size_t buffered = e.state().receipts.size();
        const auto milk = *e.state().findPlu(2);
        const SaleResult r = sellReceipt(e.state(), row.sale);
        EXPECT_EQ(r.fiscalValue, row.fiscal);
        EXPECT_EQ(r.totalValue, row.total);
        EXPECT_EQ(r.change, row.change);
        std::vector<int> types;
        for (std::size_t i = buffered; i < e.state().receipts.size(); ++i) types.push_back(e.state().receipts[i].type);
        EXPECT_EQ(types, row.types);
        EXPECT_EQ(r.records, row.types.size());

        const auto d = delta(before, read(e));
        const auto& x = row.moves;
        EXPECT_EQ(d.pluValue, x.pluValue);
        EXPECT_EQ(d.pluQuantity, x.pluQuantity);
        EXPECT_EQ(d.pluStock, x.pluStock);
        EXPECT_EQ(d.packSold, x.packSold);
        EXPECT_EQ(d.packReturned, x.packReturned);
        EXPECT_EQ(d.discounts, x.discounts);
        EXPECT_EQ(d.markups, x.markups);
        EXPECT_EQ(d.packagesSold, x.packagesSold);
        EXPECT_EQ(d.packagesReturned, x.packagesReturned);
        EXPECT_EQ(d.sales, x.sales);
        EXPECT_EQ(d.receipts, x.receipts);
        EXPECT_EQ(d.cancelled, x.cancelled);
        EXPECT_EQ(d.cancelledValue, x.cancelledValue);
        EXPECT_EQ(d.voided, x.voided);
        EXPECT_EQ(d.voidedValue, x.voidedValue);
        EXPECT_EQ(d.payments, x.payments);
        EXPECT_EQ(d.totals, x.totals);
        const auto& lines = row.sale.lines();
        if (std::none_of(lines.begin(), lines.end(),
                         [](const auto& l) { return l.kind == Sale::Line::Kind::Item && l.number == 2; })) {
            EXPECT_TRUE(*e.state().findPlu(2) == milk);  // voided milk sold nothing
        }
        EXPECT_EQ(e.state().lastReceiptNumber, row.sale.cancelled() ? 1202u : 1203u);
    }
}

// Field values of the records, by answer index as the receipts import reads them.
TEST(Sales, RecordsCarryNumbersTimesAndValuesAsTheImportReadsThem) {
    RegisterEngine e;
    e.state().receipts.clear();
    const SimDateTime when{2024, 5, 7, 9, 15, 0};
    sellReceipt(
        e.state(),
        Sale().at(when).item(3, 1500, 420).discount(30).receiptDiscount(20, "99001234567891").payCurrency(3, 200));
    EngineClient c(e);
    std::vector<TComboDataSet> recs;
    for (auto a = c.command(cmdSALERECGET, {F::EncodeB(0)}); a && a->code == cmdSALERECGET;
         a = c.command(cmdSALERECGET, {F::EncodeB(1)}))
        recs.push_back(a->fields);
    ASSERT_EQ(recs.size(), 6u);  // position, its discount, card discount, euro, change, closing
    const auto& pos = recs[0];
    EXPECT_EQ(pos[2].AsV(), 10);
    EXPECT_EQ(pos[3].AsB(), 2);  // VAT slot
    EXPECT_EQ(pos[4].AsV(), 3);
    EXPECT_EQ(pos[5].AsS(), "2800003");
    EXPECT_EQ(pos[7].AsN64(), 1500);
    EXPECT_EQ(pos[8].AsN64(), 600);  // 1.5 kg at 4.20 = 6.30, less 0.30
    EXPECT_EQ(recs[1][2].AsV(), 21);
    EXPECT_EQ(recs[1][6].AsN64(), 30);
    EXPECT_EQ(recs[2][2].AsV(), 23);
    EXPECT_EQ(recs[2][6].AsN64(), 20);
    EXPECT_EQ(recs[2][7].AsS(), "99001234567891");
    const auto& eur = recs[3];
    EXPECT_EQ(eur[2].AsV(), 6);
    EXPECT_EQ(eur[3].AsV(), 3);
    EXPECT_EQ(eur[4].AsS(), "EUR");
    EXPECT_EQ(eur[5].AsN64(), 863);  // 2.00 EUR at 4.3125, rounded
    EXPECT_EQ(eur[6].AsN64(), 200);
    EXPECT_EQ(eur[7].AsN64(), 43125);
    const auto& chg = recs[4];
    EXPECT_EQ(chg[2].AsV(), 3);
    EXPECT_EQ(chg[3].AsV(), 1);
    EXPECT_EQ(chg[6].AsN64(), 863 - 580);
    ASSERT_EQ(chg.Count(), 11u);  // the extended payment: description, register, cashier name and number
    EXPECT_EQ(chg[10].AsV(), 1);
    const auto& trn = recs[5];
    EXPECT_EQ(trn[2].AsV(), 17);
    EXPECT_EQ(trn[3].AsL(), 1203u);
    EXPECT_EQ(trn[4].AsB(), 7);
    EXPECT_EQ(trn[5].AsB(), 5);
    EXPECT_EQ(trn[6].AsV(), 2024);
    EXPECT_EQ(trn[7].AsB(), 9);
    EXPECT_EQ(trn[8].AsB(), 15);
    EXPECT_EQ(trn[9].AsS(), "1");
    EXPECT_EQ(trn[11].AsV(), 1);
    EXPECT_EQ(trn[12].AsN64(), 580);
    EXPECT_EQ(trn[13].AsN64(), 580);
    EXPECT_EQ(trn[14].AsL(), 3303u);
    EXPECT_EQ(e.state().findPlu(3)->lastSale, (SimDateTime{2024, 5, 7, 0, 0, 0}));
}

TEST(Sales, PayInsPayOutsOrdersAndTheDrawer) {
    RegisterEngine e;
    auto& s = e.state();
    s.receipts.clear();
    const std::int64_t drawer = cashInDrawer(s);
    EXPECT_EQ(drawer, 1508 + 10000 - 2000);
    payIn(s, 5000);
    payOut(s, 1200, "Kurier");
    placeOrder(s, 3, 1500);
    placeOrder(s, 3, 2500, "Jablka na jutro", true);
    EXPECT_EQ(cashInDrawer(s), drawer + 3800);
    ASSERT_EQ(s.receipts.size(), 4u);
    EXPECT_EQ(s.receipts[0].type, 4);
    EXPECT_EQ(s.receipts[1].type, 5);
    EXPECT_EQ(s.receipts[2].type, 32);
    EXPECT_EQ(s.receipts[3].type, 33);
    auto u = EngineClient(e).command(cmdUSERSTATREAD, {F::EncodeV(1), F::EncodeB(0)})->fields;
    EXPECT_EQ(u[6].AsN64(), 10000 + 5000);
    EXPECT_EQ(u[7].AsN64(), 2000 + 1200);
    TComboData description, code;
    description.Set(s.receipts[1].fields[4]);
    code.Set(s.receipts[2].fields[1]);
    EXPECT_EQ(description.AsS(), "Kurier");
    EXPECT_EQ(code.AsS(), "2800003");  // the order names the goods by barcode
}

TEST(Sales, WhatTheRegisterRefusesChangesNothing) {
    const std::function<void(RegisterState&)> none = [](RegisterState&) {};
    const struct {
        const char* name;
        std::function<void(RegisterState&)> prepare, act;
    } rows[] = {
        {"nobody logged in", [](RegisterState& s) { logOut(s); },
         [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000)); }},
        {"unknown PLU", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).item(99, 1000)); }},
        {"unknown package", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).package(9, 1000)); }},
        {"unknown payment form", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).pay(9, 500)); }},
        {"payments short of the total", none,
         [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).pay(2, 449)); }},
        {"discount above its line", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).discount(451)); }},
        {"receipt discount above the goods", none,
         [](RegisterState& s) { sellReceipt(s, Sale().item(1, 100).receiptDiscount(46)); }},
        {"zero quantity", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 0)); }},
        {"quantity beyond the field", none, [](RegisterState& s) { sellReceipt(s, Sale().item(1, 100'000'000)); }},
        {"nothing but voided lines", none, [](RegisterState& s) { sellReceipt(s, Sale().voided(1, 1000)); }},
        {"empty receipt", none, [](RegisterState& s) { sellReceipt(s, Sale()); }},
        {"payment on a cancelled receipt", none,
         [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).pay(1, 450).cancel()); }},
        {"currency form without a rate", [](RegisterState& s) { s.findPayForm(3)->rate = 0; },
         [](RegisterState& s) { sellReceipt(s, Sale().item(1, 1000).payCurrency(3, 100)); }},
        {"pay-out above the drawer", none, [](RegisterState& s) { payOut(s, 9509); }},
        {"order of an unknown PLU", none, [](RegisterState& s) { placeOrder(s, 99, 1000); }},
        {"log-in of an unknown cashier", none, [](RegisterState& s) { logIn(s, 9); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegisterState s = defaultRegisterState();
        row.prepare(s);
        const RegisterState before = s;
        EXPECT_THROW(row.act(s), Exception);
        EXPECT_TRUE(s == before);
    }
}

TEST(Sales, DailyReportRecordsTheDaysTotalsAndRestartsThem) {
    RegisterEngine e;
    e.state().receipts.clear();
    sellReceipt(e.state(), Sale().item(4, 1000).item(1, 1000));
    const auto totals = e.state().dailyTotals;
    EngineClient c(e);
    EXPECT_EQ(c.command(cmdDBSTATUSGET)->fields[1].AsB(), 1);
    const std::vector<std::string> when = {F::EncodeB(7), F::EncodeB(5), F::EncodeV(2024), F::EncodeB(21),
                                           F::EncodeB(5)};
    EXPECT_EQ(c.command(cmdREPFSKDAILY, when)->code, cmdREPFSKDAILY);
    EXPECT_EQ(c.command(cmdDBSTATUSGET)->fields[1].AsB(), 0);
    EXPECT_EQ(e.state().dailyTotals, (std::array<std::int64_t, 7>{}));
    // Sales counters stay: only the separate clearing zeroes them.
    EXPECT_EQ(e.state().findPlu(1)->salesValue, 1350 + 450);

    sellReceipt(e.state(), Sale().item(2, 1000));
    EXPECT_EQ(c.command(cmdDBSTATUSGET)->fields[1].AsB(), 1);
    runDailyReport(e.state(), {2024, 5, 8, 21, 0, 0});

    std::vector<TComboDataSet> reports;
    for (auto a = c.command(cmdSALERECGET, {F::EncodeB(0)}); a && a->code == cmdSALERECGET;
         a = c.command(cmdSALERECGET, {F::EncodeB(1)}))
        if (a->fields[2].AsV() == 16) reports.push_back(a->fields);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0][3].AsB(), 7);
    EXPECT_EQ(reports[0][6].AsV(), 41);
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(reports[0][9 + i].AsN64(), totals[i]) << i;
    EXPECT_EQ(reports[1][6].AsV(), 42);
    EXPECT_EQ(reports[1][7].AsN64(), 329);  // the sum: the second day's milk alone
    EXPECT_EQ(reports[1][11].AsN64(), 329);
}

TEST(Sales, LogInStartsTheCashiersStatisticsAtTheClock) {
    EXPECT_EQ(secondsSince2000({2024, 5, 6, 10, 30, 0}), 768306600u);
    EXPECT_EQ(secondsSince2000({2000, 1, 1, 0, 0, 1}), 1u);
    EXPECT_EQ(secondsSince2000({2000, 3, 1, 0, 0, 0}), 60u * 86400);  // 2000 is a leap year
    RegisterEngine e;
    logIn(e.state(), 2);
    sellReceipt(e.state(), Sale().item(1, 1000));
    EngineClient c(e);
    EXPECT_EQ(c.command(cmdCASHREGSTATUSGET)->fields[2].AsV(), 2);
    auto u2 = c.command(cmdUSERSTATREAD, {F::EncodeV(2), F::EncodeB(0)})->fields;
    EXPECT_EQ(u2[3].AsL(), secondsSince2000(e.state().clock));
    EXPECT_EQ(u2[9].AsL(), 1u);
    EXPECT_EQ(u2[16].AsB(), 1);
    EXPECT_EQ(c.command(cmdUSERSTATREAD, {F::EncodeV(1), F::EncodeB(0)})->fields[9].AsL(), 0u);
    logOut(e.state());
    EXPECT_EQ(c.command(cmdCASHREGSTATUSGET)->fields[2].AsV(), 0);
}

TEST(StateFileSales, SalesLinesActAsTheCashierWould) {
    const std::string text =
        "[register]\nclock=2024-05-07 08:00:00\nreceiptAlarmAt=30\n"
        "[sales]\n"
        "receipt;plu 1 2000;discount 50;void 2 1000;pack 1 1000;rebate 100 99001234567891;pay 2 500;currency 3 100\n"
        "cancel;plu 4 1000;by 2\n"
        "payin;10000;Wplata\n"
        "payout;2000\n"
        "order;3;1500\n"
        "reorder;3;2500;Jablka\n"
        "clock;2024-05-08 07:00:00\n"
        "login;2\n"
        "receipt;plu 3 1500 420;at 2024-05-08 09:15\n"
        "report;2024-05-08 21:00:00\n"
        "logout\n"
        // Goods come after the sales: sales act on the whole file.
        "[goods]\n1;Chleb;590;450;2;1;1;0;0;1;1;0;0;0;0;0;0;-;\n2;Mleko;591;329;2;1;1;0;0;1;1;0;0;0;0;0;0;-;\n"
        "3;Jablka;2800003;399;2;1;1;0;0;0;1;0;0;0;0;0;0;-;\n4;Piwo;592;399;0;1;1;0;0;1;1;0;0;0;0;0;0;-;\n"
        "[packages]\n1;Butelka;1;50;1;0;0;0;0;0;0\n"
        "[cashiers]\n1;Kowalska;K;;;65535\n2;Nowak;N;;;65535\n"
        "[payforms]\n1;Gotowka;1;1;PLN;10000\n2;Karta;2;1;;1\n3;Euro;1;1;EUR;43125\n"
        "[vat]\nA=2300\nB=800\nC=500\n"
        "[register]\ncashier=1\n";
    const RegisterState s = parseState(text);

    RegisterState api = parseState(text.substr(0, text.find("[sales]")) + text.substr(text.find("[goods]")));
    sellReceipt(api, Sale()
                         .item(1, 2000)
                         .discount(50)
                         .voided(2, 1000)
                         .package(1, 1000)
                         .receiptDiscount(100, "99001234567891")
                         .pay(2, 500)
                         .payCurrency(3, 100));
    sellReceipt(api, Sale().item(4, 1000).cancel(2));
    payIn(api, 10000, "Wplata");
    payOut(api, 2000);
    placeOrder(api, 3, 1500);
    placeOrder(api, 3, 2500, "Jablka", true);
    api.clock = {2024, 5, 8, 7, 0, 0};
    logIn(api, 2);
    sellReceipt(api, Sale().item(3, 1500, 420).at({2024, 5, 8, 9, 15, 0}));
    runDailyReport(api, {2024, 5, 8, 21, 0, 0});
    logOut(api);
    EXPECT_TRUE(s == api);
    EXPECT_EQ(s.receipts.size(), 19u);
    EXPECT_EQ(s.lastReceiptNumber, 2u);
    EXPECT_EQ(s.receiptAlarmAt, 30u);
    // What a sale left is saved as records and counters and reads back the same.
    EXPECT_TRUE(parseState(formatState(s)) == s);
}

TEST(StateFileSales, ASaleTheRegisterRefusesNamesItsLine) {
    const struct {
        const char* text;
        const char* message;
    } rows[] = {
        {"[sales]\nreceipt;plu 99 1000\n", "line 2: register refuses: no PLU 99"},
        {"[sales]\n\nreceipt;plu 1\n", "line 3: missing value"},
        {"[sales]\nreceipt;plu 1 1000;tip 5\n", "line 2: unknown receipt line 'tip'"},
        {"[sales]\nrefund;1\n", "line 2: unknown sale 'refund'"},
        {"[sales]\nlogout\nreceipt;plu 1 1000\n", "line 3: register refuses: no cashier"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::string text =
            "[register]\ncashier=1\n[cashiers]\n1;K;K;;;1\n[goods]\n1;Chleb;590;450;0;1;1;0;0;1;1;0;0;0;0;0;0;-;\n";
        // Line numbers count from the sales section's own text: put it first.
        text = std::string(row.text) + text;
        try {
            parseState(text);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace zt::sim

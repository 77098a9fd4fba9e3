// The cashier's actions: every check first, then the records and the counters.
#include "sim/sales.h"

#include <algorithm>

#include "platform/cp1250.h"
#include "platform/exception.h"

namespace zt::sim {
namespace {

// Bounds that keep every product and sum far inside the register's 12 BCD digits.
constexpr std::int64_t kMaxQuantity = 99'999'999;  // 99 999.999 units
constexpr std::int64_t kMaxPrice = 99'999'999;     // 999 999.99 zł
constexpr std::int64_t kMaxAmount = 100'000'000'000LL;

[[noreturn]] void refuse(const std::string& why) { throw Exception("register refuses: " + why); }

std::int64_t checked(std::int64_t v, std::int64_t lo, std::int64_t hi, const char* what) {
    if (v < lo || v > hi) refuse(std::string(what) + " out of range: " + std::to_string(v));
    return v;
}

// quantity (thousandths) x price, rounded half up to grosze.
std::int64_t lineValue(std::int64_t quantity, std::int64_t price) { return (quantity * price + 500) / 1000; }

const CashierRecord& cashierOnDuty(RegisterState& s) {
    if (s.loggedCashier == 0) refuse("no cashier logged in");
    const auto* c = s.findCashier(s.loggedCashier);
    if (!c) refuse("the logged-in cashier " + std::to_string(s.loggedCashier) + " is not in the base");
    return *c;
}

const PayFormRecord& cashForm(RegisterState& s) {
    const auto* f = s.findPayForm(1);
    if (!f) refuse("no cash payment form (1)");
    return *f;
}

void addPayment(SessionStats& x, std::uint16_t form, std::int64_t amount) {
    auto it = std::lower_bound(x.payments.begin(), x.payments.end(), form,
                               [](const PaymentAmount& p, std::uint16_t f) { return p.type < f; });
    if (it == x.payments.end() || it->type != form) it = x.payments.insert(it, PaymentAmount{form, 0});
    it->amount += amount;
}

void addDiscount(SessionStats& x, std::int64_t d) {
    if (d > 0) x.discounts += d;
    if (d < 0) x.markups -= d;
}

// One line of the receipt once checked.
struct Priced {
    const Sale::Line* line;
    std::int64_t value = 0;  // before the line's discount
    std::int64_t after = 0;  // after it
};

}  // namespace

Sale& Sale::at(const SimDateTime& when) {
    when_ = when;
    return *this;
}

Sale& Sale::item(std::uint16_t plu, std::int64_t quantity, std::optional<std::int64_t> price) {
    lines_.push_back({Line::Kind::Item, plu, quantity, price, 0, {}});
    return *this;
}

Sale& Sale::discount(std::int64_t value, const std::string& name) {
    auto it = std::find_if(lines_.rbegin(), lines_.rend(), [](const Line& l) { return l.kind == Line::Kind::Item; });
    if (it == lines_.rend()) refuse("a line discount without a goods line");
    it->discount += value;
    it->discountName = name;
    return *this;
}

Sale& Sale::voided(std::uint16_t plu, std::int64_t quantity) {
    lines_.push_back({Line::Kind::Voided, plu, quantity, {}, 0, {}});
    return *this;
}

Sale& Sale::package(std::uint16_t number, std::int64_t quantity) {
    lines_.push_back({Line::Kind::Package, number, quantity, {}, 0, {}});
    return *this;
}

Sale& Sale::packageReturn(std::uint16_t number, std::int64_t quantity) {
    lines_.push_back({Line::Kind::PackageReturn, number, quantity, {}, 0, {}});
    return *this;
}

Sale& Sale::receiptDiscount(std::int64_t value, const std::string& cardCode, const std::string& name) {
    receiptDiscount_ += value;
    cardCode_ = cardCode;
    receiptDiscountName_ = name;
    return *this;
}

Sale& Sale::pay(std::uint16_t form, std::int64_t amount) {
    payments_.push_back({form, amount, false});
    return *this;
}

Sale& Sale::payCurrency(std::uint16_t form, std::int64_t amount) {
    payments_.push_back({form, amount, true});
    return *this;
}

Sale& Sale::cancel(std::uint16_t authorisedBy) {
    cancelled_ = true;
    authorisedBy_ = authorisedBy;
    return *this;
}

SaleResult sellReceipt(RegisterState& s, const Sale& sale) {
    const CashierRecord& who = cashierOnDuty(s);
    const SimDateTime when = sale.when().value_or(s.now());
    if (sale.lines().empty()) refuse("an empty receipt");

    // Checks and values; nothing changes yet.
    std::vector<Priced> priced;
    std::int64_t goods = 0, packagesSold = 0, packagesReturned = 0;
    bool anySold = false;
    for (const auto& l : sale.lines()) {
        checked(l.quantity, 1, kMaxQuantity, "quantity");
        Priced p{&l};
        if (l.kind == Sale::Line::Kind::Item || l.kind == Sale::Line::Kind::Voided) {
            const auto* r = s.findPlu(l.number);
            if (!r) refuse("no PLU " + std::to_string(l.number));
            p.value = lineValue(l.quantity, checked(l.price.value_or(r->price), 0, kMaxPrice, "price"));
            p.after = p.value - checked(l.discount, -kMaxPrice, p.value, "line discount");
            if (l.kind == Sale::Line::Kind::Item) goods += p.after, anySold = true;
        } else {
            const auto* r = s.findPackage(l.number);
            if (!r) refuse("no package " + std::to_string(l.number));
            p.value = p.after = lineValue(l.quantity, checked(r->price, 0, kMaxPrice, "price"));
            (l.kind == Sale::Line::Kind::Package ? packagesSold : packagesReturned) += p.value;
            anySold = true;
        }
        priced.push_back(p);
    }
    if (!anySold) refuse("a receipt of voided lines only");
    const std::int64_t fiscal = goods - checked(sale.receiptDiscountValue(), 0, goods, "receipt discount");
    const std::int64_t total = fiscal + packagesSold - packagesReturned;
    checked(total, -kMaxAmount, kMaxAmount, "receipt total");

    struct Paid {
        const PayFormRecord* form;
        std::int64_t amount, pln;
        bool currency;
    };
    std::vector<Paid> paid;
    std::int64_t paidPln = 0;
    if (sale.cancelled() && !sale.payments().empty()) refuse("payments on a cancelled receipt");
    for (const auto& p : sale.payments()) {
        const auto* f = s.findPayForm(p.form);
        if (!f) refuse("no payment form " + std::to_string(p.form));
        checked(p.amount, 1, kMaxAmount, "payment");
        std::int64_t pln = p.amount;
        if (p.currency) {
            if (f->rate <= 0 || f->rate > kMaxPrice) refuse("payment form " + std::to_string(p.form) + " has no rate");
            pln = (p.amount * f->rate + 5000) / 10000;
        }
        paid.push_back({f, p.amount, pln, p.currency});
        paidPln += pln;
    }
    if (!sale.cancelled() && paid.empty() && total > 0) {
        paid.push_back({&cashForm(s), total, total, false});
        paidPln = total;
    }
    const std::int64_t change = sale.cancelled() ? 0 : paidPln - total;
    if (change < 0) refuse("payments do not cover the receipt");
    const PayFormRecord* cash = change > 0 ? &cashForm(s) : nullptr;
    if (sale.authorisedBy() != 0 && !s.findCashier(sale.authorisedBy()))
        refuse("no cashier " + std::to_string(sale.authorisedBy()));

    // The records, in the order the register writes them.
    std::vector<ReceiptRecord> out;
    const std::string who_name = who.name;
    const std::uint16_t who_no = who.number;
    for (const auto& p : priced) {
        const auto& l = *p.line;
        if (l.kind == Sale::Line::Kind::Item || l.kind == Sale::Line::Kind::Voided) {
            const auto& r = *s.findPlu(l.number);
            const std::uint16_t type = (l.kind == Sale::Line::Kind::Voided ? 13 : 10) + (r.setFlag ? 1 : 0);
            out.push_back(receipt::position(type, r.vatSlot, r.plu, r.barcode, r.name, l.quantity, p.after));
            if (l.kind == Sale::Line::Kind::Item && l.discount != 0)
                out.push_back(receipt::discount(21, l.discountName.empty() ? pl("Rabat na pozycję") : l.discountName, 1,
                                                1, l.discount));
        } else {
            const auto& r = *s.findPackage(l.number);
            out.push_back(
                receipt::package(l.kind == Sale::Line::Kind::PackageReturn, r.number, r.barcode, l.quantity, p.value));
        }
    }
    if (sale.receiptDiscountValue() != 0) {
        const std::string name = !sale.receiptDiscountName().empty() ? sale.receiptDiscountName()
                                 : sale.cardCode().empty()           ? pl("Rabat od paragonu")
                                                                     : pl("Karta stałego klienta");
        out.push_back(receipt::discount(sale.cardCode().empty() ? 22 : 23, name, 2, 2, sale.receiptDiscountValue(),
                                        sale.cardCode()));
    }
    for (const auto& p : paid) {
        if (p.currency)
            out.push_back(receipt::currency(6, p.form->number,
                                            p.form->shortName.empty() ? p.form->name : p.form->shortName, p.pln,
                                            p.amount, p.form->rate));
        else
            out.push_back(receipt::payment(2, p.form->number, p.form->name, p.form->type, p.amount, "",
                                           s.registerNumber, who_name, who_no, true));
    }
    if (cash)
        out.push_back(receipt::payment(3, cash->number, cash->name, cash->type, change, "", s.registerNumber, who_name,
                                       who_no, true));

    SaleResult result;
    result.fiscalValue = fiscal;
    result.totalValue = total;
    result.change = change;
    auto& x = s.session;
    if (sale.cancelled()) {
        out.push_back(receipt::cancelled(18, when, s.registerNumber, who_name, who_no,
                                         sale.authorisedBy() ? sale.authorisedBy() : who_no, fiscal, total));
        ++x.cancelledReceipts;
        x.cancelledValue += total;
    } else {
        result.receiptNumber = ++s.lastReceiptNumber;
        result.printNumber = ++s.lastPrintNumber;
        out.push_back(receipt::transaction(17, result.receiptNumber, when, s.registerNumber, who_name, who_no, fiscal,
                                           total, result.printNumber));
        // The counters of a closed receipt.
        std::array<std::int64_t, 7> bySlot{};
        for (const auto& p : priced) {
            const auto& l = *p.line;
            if (l.kind == Sale::Line::Kind::Item) {
                auto& r = *s.findPlu(l.number);
                r.salesValue += p.after;
                r.salesQuantity += l.quantity;
                r.stock -= l.quantity;
                r.lastSale = {when.year, when.month, when.day, 0, 0, 0};
                if (r.vatSlot < bySlot.size()) bySlot[r.vatSlot] += p.after;
                addDiscount(x, l.discount);
            } else if (l.kind == Sale::Line::Kind::Package) {
                auto& r = *s.findPackage(l.number);
                r.quantitySold += l.quantity, r.valueSold += p.value, r.stock -= l.quantity;
                x.packagesSold += p.value;
            } else if (l.kind == Sale::Line::Kind::PackageReturn) {
                auto& r = *s.findPackage(l.number);
                r.quantityReturned += l.quantity, r.valueReturned += p.value, r.stock += l.quantity;
                x.packagesReturned += p.value;
            }
        }
        // The receipt discount lowers the slots in proportion, the rest on the largest.
        if (std::int64_t d = sale.receiptDiscountValue(); d != 0 && goods > 0) {
            std::int64_t left = d;
            std::size_t largest = 0;
            for (std::size_t i = 0; i < bySlot.size(); ++i) {
                if (bySlot[i] > bySlot[largest]) largest = i;
                const std::int64_t share = d * bySlot[i] / goods;
                bySlot[i] -= share;
                left -= share;
            }
            bySlot[largest] -= left;
            addDiscount(x, d);
        }
        for (std::size_t i = 0; i < bySlot.size(); ++i) s.dailyTotals[i] += bySlot[i];
        s.totalizersNonZero = true;
        x.sales += fiscal;
        ++x.receipts;
        for (const auto& p : paid) addPayment(x, p.form->number, p.amount);
        if (cash) addPayment(x, cash->number, -change);
    }
    for (const auto& p : priced)
        if (p.line->kind == Sale::Line::Kind::Voided) ++x.voidedLines, x.voidedValue += p.value;
    result.records = out.size();
    s.receipts.insert(s.receipts.end(), std::make_move_iterator(out.begin()), std::make_move_iterator(out.end()));
    return result;
}

namespace {
void cashMovement(RegisterState& s, std::uint16_t type, std::int64_t amount, const std::string& description) {
    const CashierRecord& who = cashierOnDuty(s);
    const PayFormRecord& cash = cashForm(s);
    checked(amount, 1, kMaxAmount, type == 4 ? "pay-in" : "pay-out");
    if (type == 5 && amount > cashInDrawer(s)) refuse("a pay-out above the cash in the drawer");
    s.receipts.push_back(receipt::payment(type, cash.number, cash.name, cash.type, amount, description,
                                          s.registerNumber, who.name, who.number, true));
    (type == 4 ? s.session.payIns : s.session.payOuts) += amount;
}
}  // namespace

void payIn(RegisterState& s, std::int64_t amount, const std::string& description) {
    cashMovement(s, 4, amount, description.empty() ? pl("Wpłata do kasy") : description);
}

void payOut(RegisterState& s, std::int64_t amount, const std::string& description) {
    cashMovement(s, 5, amount, description.empty() ? pl("Wypłata z kasy") : description);
}

void placeOrder(RegisterState& s, std::uint16_t plu, std::int64_t quantity, const std::string& description,
                bool replace) {
    cashierOnDuty(s);
    const auto* r = s.findPlu(plu);
    if (!r) refuse("no PLU " + std::to_string(plu));
    checked(quantity, 1, kMaxQuantity, "quantity");
    s.receipts.push_back(
        receipt::order(replace ? 33 : 32, r->plu, r->barcode, quantity, description.empty() ? r->name : description));
}

void runDailyReport(RegisterState& s, const SimDateTime& when) {
    s.receipts.push_back(receipt::dailyReport(when, s.reportNumber, s.dailyTotals));
    ++s.reportNumber;
    s.dailyTotals = {};
    s.totalizersNonZero = false;
}

void logIn(RegisterState& s, std::uint16_t cashier) {
    if (!s.findCashier(cashier)) refuse("no cashier " + std::to_string(cashier));
    s.loggedCashier = cashier;
    s.session = {};
    s.session.loginSeconds = secondsSince2000(s.now());
}

void logOut(RegisterState& s) {
    s.loggedCashier = 0;
    s.session = {};
}

std::int64_t cashInDrawer(const RegisterState& s) {
    std::int64_t cash = s.session.payIns - s.session.payOuts;
    for (const auto& p : s.session.payments)
        if (p.type == 1) cash += p.amount;
    return cash;
}

std::uint32_t secondsSince2000(const SimDateTime& t) {
    // Days from the civil date (proleptic Gregorian), then from 2000-03-01 based eras.
    auto days = [](int y, int m, int d) {
        y -= m <= 2;
        const int era = (y >= 0 ? y : y - 399) / 400;
        const int yoe = y - era * 400;
        const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return static_cast<std::int64_t>(era) * 146097 + doe;
    };
    const std::int64_t d = days(t.year, t.month, t.day) - days(2000, 1, 1);
    const std::int64_t secs = d * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    return secs < 0 ? 0 : static_cast<std::uint32_t>(secs);
}

}  // namespace zt::sim

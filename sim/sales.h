#pragma once
// What the cashier does at the register, so that tests and the demo can fill
// the receipt buffer and the counters the import reads: a receipt sold or
// cancelled, a pay-in, a pay-out, a customer order, a daily report, a log-in.
// Each action changes every counter a real sale changes (goods and package
// sales, stock, the cashier's statistics and payment forms, the daily
// totals) and appends its records to the receipt buffer in the order the
// register writes them. An action the register would refuse raises
// zt::Exception and changes nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/register_state.h"

namespace zt::sim {

// A receipt as the cashier rings it up; quantities in thousandths, money in grosze.
class Sale {
public:
    struct Line {
        enum class Kind { Item, Voided, Package, PackageReturn };
        Kind kind = Kind::Item;
        std::uint16_t number = 0;  // PLU or package number
        std::int64_t quantity = 0;
        std::optional<std::int64_t> price;  // open price; the register's price when absent
        std::int64_t discount = 0;          // on this line, after it; negative: a mark-up
        std::string discountName;
    };
    struct Payment {
        std::uint16_t form = 0;
        std::int64_t amount = 0;  // in the form's currency
        bool currency = false;
    };

    // The time of the receipt (default: the register's clock).
    Sale& at(const SimDateTime& when);
    // Goods sold (a set too).
    Sale& item(std::uint16_t plu, std::int64_t quantity, std::optional<std::int64_t> price = {});
    // A discount (negative: a mark-up) on the last goods line.
    Sale& discount(std::int64_t value, const std::string& name = {});
    // A line rung up and voided: it stays in the buffer, counts nowhere else.
    Sale& voided(std::uint16_t plu, std::int64_t quantity);
    Sale& package(std::uint16_t number, std::int64_t quantity);
    Sale& packageReturn(std::uint16_t number, std::int64_t quantity);
    // A discount on the whole receipt; with a card code the record carries it.
    Sale& receiptDiscount(std::int64_t value, const std::string& cardCode = {}, const std::string& name = {});
    // A payment in a form of the register (złoty forms); without any payment
    // the receipt is paid in cash. What exceeds the total is given back in cash.
    Sale& pay(std::uint16_t form, std::int64_t amount);
    // A payment in a currency form, `amount` in that currency, at the form's rate.
    Sale& payCurrency(std::uint16_t form, std::int64_t amount);
    // The receipt is cancelled instead of closed; `authorisedBy` 0: the cashier.
    Sale& cancel(std::uint16_t authorisedBy = 0);

    const std::vector<Line>& lines() const { return lines_; }
    const std::vector<Payment>& payments() const { return payments_; }
    const std::optional<SimDateTime>& when() const { return when_; }
    std::int64_t receiptDiscountValue() const { return receiptDiscount_; }
    const std::string& cardCode() const { return cardCode_; }
    const std::string& receiptDiscountName() const { return receiptDiscountName_; }
    bool cancelled() const { return cancelled_; }
    std::uint16_t authorisedBy() const { return authorisedBy_; }

private:
    std::vector<Line> lines_;
    std::vector<Payment> payments_;
    std::optional<SimDateTime> when_;
    std::int64_t receiptDiscount_ = 0;
    std::string cardCode_, receiptDiscountName_;
    bool cancelled_ = false;
    std::uint16_t authorisedBy_ = 0;
};

struct SaleResult {
    std::uint32_t receiptNumber = 0, printNumber = 0;  // 0 for a cancelled receipt
    std::int64_t fiscalValue = 0;                      // goods after every discount
    std::int64_t totalValue = 0;                       // plus packages sold, less packages returned
    std::int64_t change = 0;                           // given back in cash
    std::size_t records = 0;                           // appended to the receipt buffer
};

// The register's actions. Each needs a logged-in cashier except the daily
// report, the log-in and the log-out.
SaleResult sellReceipt(RegisterState& s, const Sale& sale);
void payIn(RegisterState& s, std::int64_t amount, const std::string& description = {});
void payOut(RegisterState& s, std::int64_t amount, const std::string& description = {});
// A customer order of a PLU (record 32); `replace` records a changed order
// (33), which replaces the earlier one of the same code. The description
// defaults to the PLU's name.
void placeOrder(RegisterState& s, std::uint16_t plu, std::int64_t quantity, const std::string& description = {},
                bool replace = false);
// The fiscal daily report (REPFSKDAILY): its record (16) joins the buffer with
// the day's totals A..G, which restart at 0; the report number goes up.
void runDailyReport(RegisterState& s, const SimDateTime& when);
// A new shift: the cashier's statistics start anew, logged in at the clock's time.
void logIn(RegisterState& s, std::uint16_t cashier);
void logOut(RegisterState& s);

// Cash the drawer should hold: cash taken by sales (less change) plus pay-ins,
// less pay-outs.
std::int64_t cashInDrawer(const RegisterState& s);
// Seconds since 2000-01-01 00:00:00 (the log-in time of the cashier statistics).
std::uint32_t secondsSince2000(const SimDateTime& t);

}  // namespace zt::sim

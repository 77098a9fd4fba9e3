#pragma once
// What the simulated register knows: identity, work mode, header, VAT slots,
// clock, databases with their sales statistics, the logged-in cashier and the
// receipt buffer. Plain data; the engine reads and changes it, the state file
// (state_file.h) loads and saves it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zt::sim {

struct SimDateTime {
    int year = 2024, month = 5, day = 6, hour = 12, minute = 30, second = 0;
    bool operator==(const SimDateTime&) const = default;
};

struct PluRecord {
    std::uint16_t plu = 0;
    std::string name;
    std::string barcode;
    std::int64_t price = 0;    // grosze
    std::uint8_t vatSlot = 0;  // 0 = A
    std::uint8_t group = 1;
    std::uint8_t unit = 0;
    std::uint8_t package = 0;  // linked package number, 0 none
    std::uint8_t quantityFormat = 0;
    std::uint8_t fixedPrice = 1;  // 0: open price
    std::uint8_t discountAllowed = 1;
    std::uint8_t discountNumber = 0;
    std::uint8_t setFlag = 0;  // not 0: a set of goods
    std::int64_t minStock = 0;
    std::vector<std::string> extraBarcodes;
    // Sales statistics.
    std::int64_t salesValue = 0;
    std::int64_t salesQuantity = 0;  // thousandths
    std::int64_t stock = 0;
    SimDateTime lastSale{0, 0, 0, 0, 0, 0};  // date part only; zero = never sold
    bool operator==(const PluRecord&) const = default;
};

struct PackageRecord {
    std::uint16_t number = 0;
    std::string name;
    std::string barcode;
    std::int64_t price = 0;
    std::uint8_t fixedPrice = 1;
    std::int64_t minStock = 0;
    // Sales statistics.
    std::int64_t quantitySold = 0, quantityReturned = 0, valueSold = 0, valueReturned = 0, stock = 0;
    bool operator==(const PackageRecord&) const = default;
};

struct GroupRecord {
    std::uint16_t number = 0;
    std::string name;
    bool operator==(const GroupRecord&) const = default;
};

struct UnitRecord {
    std::uint16_t number = 0;
    std::string name;
    std::string shortName;
    bool operator==(const UnitRecord&) const = default;
};

struct CashierRecord {
    std::uint16_t number = 0;
    std::string name;
    std::string identifier;
    std::string cardCode;
    std::string password;
    std::uint16_t rights = 0xFFFF;
    bool operator==(const CashierRecord&) const = default;
};

struct PayFormRecord {
    std::uint16_t number = 0;
    std::string name;
    std::uint8_t type = 0;  // 1 cash/currency, 2 card, 3 cheque, 4 voucher, 6 other
    std::uint16_t flags = 0;
    std::string shortName;
    std::int64_t rate = 0;  // ten-thousandths for currencies
    bool operator==(const PayFormRecord&) const = default;
};

struct PaymentAmount {
    std::uint16_t type = 1;
    std::int64_t amount = 0;
    bool operator==(const PaymentAmount&) const = default;
};

// Statistics of the logged-in cashier (USERSTATREAD).
struct SessionStats {
    std::int64_t discounts = 0, markups = 0;
    std::uint32_t loginSeconds = 0;  // since 2000-01-01 00:00:00
    std::int64_t packagesSold = 0, packagesReturned = 0, payIns = 0, payOuts = 0, sales = 0;
    std::uint32_t receipts = 0, cancelledReceipts = 0;
    std::int64_t cancelledValue = 0;
    std::uint32_t voidedLines = 0;
    std::int64_t voidedValue = 0;
    std::vector<PaymentAmount> payments;  // at most 20 travel in one answer
    bool operator==(const SessionStats&) const = default;
};

// One record of the receipt buffer: its type and its data fields, encoded as
// they travel (type letter + payload), from answer field 3 on.
struct ReceiptRecord {
    std::uint16_t type = 0;
    std::vector<std::string> fields;
    bool operator==(const ReceiptRecord&) const = default;
};

// Sizes and counts of DBSTATUSGET that no database of the simulator backs.
struct DatabaseSizes {
    std::uint16_t packages = 200, keys = 100, keysUsed = 0, cashiers = 32, payForms = 16, discounts = 32,
                  discountsUsed = 0, plu = 20000, groups = 100, units = 20, barcodes = 40000, barcodeFormats = 10,
                  barcodeFormatsUsed = 0;
    bool operator==(const DatabaseSizes&) const = default;
};

struct RegisterState {
    std::uint8_t typeCode = 29;
    std::string modelName = "NEO XL 3.01";
    std::string registerNumber = "1";
    std::uint8_t workMode = 1;  // 0 non-fiscal, 1 fiscal, 2 read-only
    std::string nip = "5260250274";
    std::string uniqueNumber = "ABC12345678";
    std::string firmware = "3.01.07";
    SimDateTime fiscalised{2012, 2, 3, 7, 5, 9};
    bool clockRunning = false;  // true: the host's local time
    SimDateTime clock;          // the fixed time when not running
    std::vector<std::string> header;
    // VAT slots A.. in hundredths of a percent; kVatExempt "zw", kVatInactive not active.
    std::vector<int> vat;
    bool totalizersNonZero = true;
    std::array<std::int64_t, 7> dailyTotals{};  // A..G, for the daily report record
    std::uint16_t reportNumber = 1;
    bool receiptBufferAlarm = false;                           // dangerous fill level, whatever the buffer holds
    std::size_t receiptAlarmAt = 0;                            // ... or from this many records on (0: never)
    std::uint32_t lastReceiptNumber = 0, lastPrintNumber = 0;  // of the last closed receipt
    std::string cardFormat = "PPNNNNNNNNNNC";
    std::uint16_t loggedCashier = 0;
    SessionStats session;
    DatabaseSizes databases;
    std::vector<PluRecord> goods;  // kept sorted by PLU number
    std::vector<PackageRecord> packages;
    std::vector<GroupRecord> groups;
    std::vector<UnitRecord> units;
    std::vector<CashierRecord> cashiers;
    std::vector<PayFormRecord> payForms;
    std::vector<ReceiptRecord> receipts;
    bool operator==(const RegisterState&) const = default;

    // The register's clock: the fixed time, or the host's local time when running.
    SimDateTime now() const;
    // The fill warning of the receipt-buffer answers.
    bool receiptAlarm() const {
        return receiptBufferAlarm || (receiptAlarmAt != 0 && receipts.size() >= receiptAlarmAt);
    }

    static constexpr int kVatExempt = -2;
    static constexpr int kVatInactive = -1;

    PluRecord* findPlu(std::uint16_t plu);
    PackageRecord* findPackage(std::uint16_t number);
    CashierRecord* findCashier(std::uint16_t number);
    PayFormRecord* findPayForm(std::uint16_t number);
    // Insert or replace, keeping the number order.
    void putPlu(PluRecord r);
    void putPackage(PackageRecord r);
    void putGroup(GroupRecord r);
    void putUnit(UnitRecord r);
    void putCashier(CashierRecord r);
    void putPayForm(PayFormRecord r);
};

// A "NEO XL" register in fiscal mode with a few goods, packages, cashiers,
// payment forms, a logged-in cashier and a receipt buffer with one record of
// every type the import reads.
RegisterState defaultRegisterState();

// Builders of receipt-buffer records, field by field as the import reads them.
namespace receipt {
ReceiptRecord package(bool returned, std::uint16_t number, const std::string& barcode, std::int64_t quantity,
                      std::int64_t value);
// type 2 payment, 3 change, 4 pay-in, 5 pay-out
ReceiptRecord payment(std::uint16_t type, std::uint16_t form, const std::string& formName, std::uint8_t formType,
                      std::int64_t value, const std::string& description = {}, const std::string& registerNo = {},
                      const std::string& cashierName = {}, std::uint16_t cashier = 0, bool extended = false);
// type 6 payment, 7 change
ReceiptRecord currency(std::uint16_t type, std::uint16_t number, const std::string& name, std::int64_t valuePln,
                       std::int64_t valueCurrency, std::int64_t rate);
// type 10 sale .. 15; 13 to 15 are voided lines
ReceiptRecord position(std::uint16_t type, std::uint8_t vatSlot, std::uint16_t plu, const std::string& barcode,
                       const std::string& name, std::int64_t quantity, std::int64_t value);
ReceiptRecord dailyReport(const SimDateTime& date, std::uint16_t reportNumber,
                          const std::array<std::int64_t, 7>& totals);
// type 17 or 19
ReceiptRecord transaction(std::uint16_t type, std::uint32_t receiptNumber, const SimDateTime& when,
                          const std::string& registerNo, const std::string& cashierName, std::uint16_t cashier,
                          std::int64_t fiscalValue, std::int64_t totalValue, std::uint32_t printNumber);
// type 18 or 20
ReceiptRecord cancelled(std::uint16_t type, const SimDateTime& when, const std::string& registerNo,
                        const std::string& cashierName, std::uint16_t cashier, std::uint16_t authorisedBy,
                        std::int64_t fiscalValue, std::int64_t totalValue);
// type 21, 22 or 23 (23 carries the card code)
ReceiptRecord discount(std::uint16_t type, const std::string& name, std::uint8_t kind, std::uint16_t number,
                       std::int64_t value, const std::string& cardCode = {});
// type 32 add, 33 replace
ReceiptRecord order(std::uint16_t type, std::uint16_t plu, const std::string& code, std::int64_t quantity,
                    const std::string& description);
}  // namespace receipt

}  // namespace zt::sim

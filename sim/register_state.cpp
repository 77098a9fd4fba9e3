// The register's data, its default contents and the receipt-record builders.
#include "sim/register_state.h"

#include <algorithm>
#include <ctime>

#include "platform/cp1250.h"
#include "proto/framing.h"

namespace zt::sim {
namespace {

using F = TComboFraming;

template <class T, class Key>
T* findBy(std::vector<T>& v, Key key, std::uint16_t T::*member) {
    auto it = std::lower_bound(v.begin(), v.end(), key, [&](const T& r, Key k) { return r.*member < k; });
    return it != v.end() && (*it).*member == key ? &*it : nullptr;
}

template <class T>
void putBy(std::vector<T>& v, T r, std::uint16_t T::*member) {
    auto it =
        std::lower_bound(v.begin(), v.end(), r.*member, [&](const T& x, std::uint16_t k) { return x.*member < k; });
    if (it != v.end() && (*it).*member == r.*member)
        *it = std::move(r);
    else
        v.insert(it, std::move(r));
}

}  // namespace

SimDateTime RegisterState::now() const {
    if (!clockRunning) return clock;
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

PluRecord* RegisterState::findPlu(std::uint16_t plu) { return findBy(goods, plu, &PluRecord::plu); }
PackageRecord* RegisterState::findPackage(std::uint16_t n) { return findBy(packages, n, &PackageRecord::number); }
CashierRecord* RegisterState::findCashier(std::uint16_t n) { return findBy(cashiers, n, &CashierRecord::number); }
PayFormRecord* RegisterState::findPayForm(std::uint16_t n) { return findBy(payForms, n, &PayFormRecord::number); }
void RegisterState::putPlu(PluRecord r) { putBy(goods, std::move(r), &PluRecord::plu); }
void RegisterState::putPackage(PackageRecord r) { putBy(packages, std::move(r), &PackageRecord::number); }
void RegisterState::putGroup(GroupRecord r) { putBy(groups, std::move(r), &GroupRecord::number); }
void RegisterState::putUnit(UnitRecord r) { putBy(units, std::move(r), &UnitRecord::number); }
void RegisterState::putCashier(CashierRecord r) { putBy(cashiers, std::move(r), &CashierRecord::number); }
void RegisterState::putPayForm(PayFormRecord r) { putBy(payForms, std::move(r), &PayFormRecord::number); }

namespace receipt {

ReceiptRecord package(bool returned, std::uint16_t number, const std::string& barcode, std::int64_t quantity,
                      std::int64_t value) {
    return {static_cast<std::uint16_t>(returned ? 1 : 0),
            {F::EncodeV(number), F::EncodeS(barcode), F::EncodeN(quantity), F::EncodeN(value)}};
}

ReceiptRecord payment(std::uint16_t type, std::uint16_t form, const std::string& formName, std::uint8_t formType,
                      std::int64_t value, const std::string& description, const std::string& registerNo,
                      const std::string& cashierName, std::uint16_t cashier, bool extended) {
    ReceiptRecord r{type, {F::EncodeV(form), F::EncodeS(formName), F::EncodeB(formType), F::EncodeN(value)}};
    if (extended) {
        r.fields.push_back(F::EncodeS(description));
        r.fields.push_back(F::EncodeS(registerNo));
        r.fields.push_back(F::EncodeS(cashierName));
        r.fields.push_back(F::EncodeV(cashier));
    }
    return r;
}

ReceiptRecord currency(std::uint16_t type, std::uint16_t number, const std::string& name, std::int64_t valuePln,
                       std::int64_t valueCurrency, std::int64_t rate) {
    return {type,
            {F::EncodeV(number), F::EncodeS(name), F::EncodeN(valuePln), F::EncodeN(valueCurrency), F::EncodeN(rate)}};
}

ReceiptRecord position(std::uint16_t type, std::uint8_t vatSlot, std::uint16_t plu, const std::string& barcode,
                       const std::string& name, std::int64_t quantity, std::int64_t value) {
    return {type,
            {F::EncodeB(vatSlot), F::EncodeV(plu), F::EncodeS(barcode), F::EncodeS(name), F::EncodeN(quantity),
             F::EncodeN(value)}};
}

ReceiptRecord dailyReport(const SimDateTime& d, std::uint16_t reportNumber, const std::array<std::int64_t, 7>& totals) {
    std::int64_t sum = 0;
    for (auto t : totals) sum += t;
    ReceiptRecord r{
        16,
        {F::EncodeB(static_cast<std::uint8_t>(d.day)), F::EncodeB(static_cast<std::uint8_t>(d.month)),
         F::EncodeV(static_cast<std::uint16_t>(d.year)), F::EncodeV(reportNumber), F::EncodeN(sum), F::EncodeN(0)}};
    for (auto t : totals) r.fields.push_back(F::EncodeN(t));
    return r;
}

ReceiptRecord transaction(std::uint16_t type, std::uint32_t receiptNumber, const SimDateTime& w,
                          const std::string& registerNo, const std::string& cashierName, std::uint16_t cashier,
                          std::int64_t fiscalValue, std::int64_t totalValue, std::uint32_t printNumber) {
    return {type,
            {F::EncodeL(receiptNumber), F::EncodeB(static_cast<std::uint8_t>(w.day)),
             F::EncodeB(static_cast<std::uint8_t>(w.month)), F::EncodeV(static_cast<std::uint16_t>(w.year)),
             F::EncodeB(static_cast<std::uint8_t>(w.hour)), F::EncodeB(static_cast<std::uint8_t>(w.minute)),
             F::EncodeS(registerNo), F::EncodeS(cashierName), F::EncodeV(cashier), F::EncodeN(fiscalValue),
             F::EncodeN(totalValue), F::EncodeL(printNumber)}};
}

ReceiptRecord cancelled(std::uint16_t type, const SimDateTime& w, const std::string& registerNo,
                        const std::string& cashierName, std::uint16_t cashier, std::uint16_t authorisedBy,
                        std::int64_t fiscalValue, std::int64_t totalValue) {
    return {type,
            {F::EncodeB(static_cast<std::uint8_t>(w.day)), F::EncodeB(static_cast<std::uint8_t>(w.month)),
             F::EncodeV(static_cast<std::uint16_t>(w.year)), F::EncodeB(static_cast<std::uint8_t>(w.hour)),
             F::EncodeB(static_cast<std::uint8_t>(w.minute)), F::EncodeS(registerNo), F::EncodeS(cashierName),
             F::EncodeV(cashier), F::EncodeV(authorisedBy), F::EncodeN(fiscalValue), F::EncodeN(totalValue)}};
}

ReceiptRecord discount(std::uint16_t type, const std::string& name, std::uint8_t kind, std::uint16_t number,
                       std::int64_t value, const std::string& cardCode) {
    ReceiptRecord r{type, {F::EncodeS(name), F::EncodeB(kind), F::EncodeV(number), F::EncodeN(value)}};
    if (type == 23) r.fields.push_back(F::EncodeS(cardCode));
    return r;
}

ReceiptRecord order(std::uint16_t type, std::uint16_t plu, const std::string& code, std::int64_t quantity,
                    const std::string& description) {
    return {type, {F::EncodeV(plu), F::EncodeS(code), F::EncodeN(quantity), F::EncodeS(description)}};
}

}  // namespace receipt

RegisterState defaultRegisterState() {
    RegisterState s;
    s.header = {pl("SKLEP SPOŻYWCZY \"POD LIPĄ\""), pl("ul. Długa 1"), pl("00-950 Warszawa")};
    s.vat = {2300, 800, 500, 0, RegisterState::kVatExempt, RegisterState::kVatInactive, RegisterState::kVatInactive};
    s.dailyTotals = {12345, 2300, 500, 0, 150, 0, 0};
    s.reportNumber = 41;

    s.groups = {{1, pl("Pieczywo")}, {2, pl("Nabiał")}, {3, pl("Owoce i warzywa")}};
    s.units = {{1, pl("szt."), pl("szt")}, {2, pl("kg"), pl("kg")}, {3, pl("litr"), pl("l")}};

    PackageRecord bottle;
    bottle.number = 1, bottle.name = pl("Butelka 0,5 l"), bottle.barcode = "1", bottle.price = 50;
    bottle.quantitySold = 12000, bottle.quantityReturned = 3000, bottle.valueSold = 600, bottle.valueReturned = 150;
    bottle.stock = 40000;
    PackageRecord crate;
    crate.number = 2, crate.name = pl("Skrzynka"), crate.barcode = "2", crate.price = 1500;
    s.packages = {bottle, crate};

    PluRecord bread;
    bread.plu = 1, bread.name = pl("Chleb żytni"), bread.barcode = "5900000000017", bread.price = 450;
    bread.vatSlot = 2, bread.group = 1, bread.unit = 1, bread.salesValue = 1350, bread.salesQuantity = 3000;
    bread.stock = 20000, bread.lastSale = {2024, 5, 6, 0, 0, 0};
    PluRecord milk;
    milk.plu = 2, milk.name = pl("Mleko 3,2% 1 l"), milk.barcode = "5900000000024", milk.price = 329;
    milk.vatSlot = 2, milk.group = 2, milk.unit = 3, milk.package = 1, milk.extraBarcodes = {"5900000000031"};
    milk.salesValue = 658, milk.salesQuantity = 2000, milk.stock = 10000, milk.lastSale = {2024, 5, 5, 0, 0, 0};
    PluRecord apples;
    apples.plu = 3, apples.name = pl("Jabłka luz"), apples.barcode = "2800003", apples.price = 399;
    apples.vatSlot = 2, apples.group = 3, apples.unit = 2, apples.quantityFormat = 3, apples.fixedPrice = 0;
    PluRecord beer;
    beer.plu = 4, beer.name = pl("Piwo jasne 0,5 l"), beer.barcode = "5900000000048", beer.price = 399;
    beer.vatSlot = 0, beer.group = 2, beer.unit = 1, beer.package = 1;
    PluRecord set;
    set.plu = 10, set.name = pl("Zestaw śniadaniowy"), set.barcode = "5900000000109", set.price = 699;
    set.vatSlot = 1, set.setFlag = 1, set.group = 1, set.unit = 1;
    s.goods = {bread, milk, apples, beer, set};

    s.cashiers = {{1, pl("Kowalska"), "KOW", "1000000001", "1111", 0xFFFF},
                  {2, pl("Nowak"), "NOW", "1000000002", "2222", 0xFFFE}};
    s.payForms = {{1, pl("Gotówka"), 1, 1, "PLN", 10000}, {2, pl("Karta płatnicza"), 2, 1, "", 1},
                  {3, pl("Euro"), 1, 1, "EUR", 43125},    {4, pl("Bon"), 4, 1, "", 1},
                  {5, pl("Czek"), 3, 1, "", 1},           {6, pl("Inna"), 6, 0, "", 1}};

    s.loggedCashier = 1;
    s.session.discounts = 45, s.session.markups = 0, s.session.loginSeconds = 768306600;  // 2024-05-06 10:30:00
    s.session.packagesSold = 150, s.session.packagesReturned = 50, s.session.payIns = 10000;
    s.session.payOuts = 2000, s.session.sales = 2008, s.session.receipts = 3, s.session.cancelledReceipts = 1;
    s.session.cancelledValue = 399, s.session.voidedLines = 1, s.session.voidedValue = 329;
    s.session.payments = {{1, 1508}, {2, 500}, {3, 1000}};

    const SimDateTime sale{2024, 5, 6, 10, 45, 0};
    const std::string reg = s.registerNumber;
    const std::string who = pl("Kowalska");
    s.receipts = {
        receipt::position(10, 2, 1, bread.barcode, bread.name, 2000, 900),
        receipt::position(13, 2, 2, milk.barcode, milk.name, 1000, 329),
        receipt::position(10, 0, 4, beer.barcode, pl("Piwo jasne; 0,5 l"), 1000, 399),
        receipt::package(false, 1, "1", 1000, 50),
        receipt::package(true, 1, "1", 2000, 100),
        receipt::discount(21, pl("Rabat na pozycję"), 1, 1, 45),
        receipt::discount(23, pl("Karta stałego klienta"), 2, 2, 20, "99001234567891"),
        receipt::payment(2, 1, pl("Gotówka"), 1, 1000, "", reg, who, 1, true),
        receipt::currency(6, 3, "EUR", 431, 100, 43125),
        receipt::payment(3, 1, pl("Gotówka"), 1, 147, "", reg, who, 1, true),
        receipt::transaction(17, 1201, sale, reg, who, 1, 1284, 1284, 3301),
        receipt::cancelled(18, {2024, 5, 6, 11, 2, 0}, reg, who, 1, 2, 399, 399),
        receipt::payment(4, 1, pl("Gotówka"), 1, 10000, pl("Wpłata do kasy"), reg, who, 1, true),
        receipt::payment(5, 1, pl("Gotówka"), 1, 2000, pl("Wypłata z kasy"), reg, who, 1, true),
        receipt::order(32, 3, apples.barcode, 1500, pl("Jabłka luz")),
        receipt::order(33, 3, apples.barcode, 2500, pl("Jabłka luz")),
        receipt::position(11, 1, 10, set.barcode, set.name, 1000, 699),
        receipt::payment(2, 2, pl("Karta płatnicza"), 2, 699, "", reg, who, 1, true),
        receipt::transaction(17, 1202, {2024, 5, 6, 11, 15, 0}, reg, who, 1, 699, 699, 3302),
    };
    s.lastReceiptNumber = 1202, s.lastPrintNumber = 3302;
    return s;
}

}  // namespace zt::sim

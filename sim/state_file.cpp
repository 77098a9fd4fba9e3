// Reading and writing the state file.
#include "sim/state_file.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/exception.h"
#include "proto/framing.h"
#include "sim/sales.h"

namespace zt::sim {
namespace {

std::string escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ';': out += "\\;"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

// Splits at unescaped ';' and removes the escapes.
std::vector<std::string> splitRecord(std::string_view line) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            char n = line[++i];
            out.back() += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

std::string unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    RegisterState run() {
        RegisterState s;
        std::size_t pos = 0;
        while (pos <= text_.size()) {
            std::size_t end = text_.find('\n', pos);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view line = text_.substr(pos, end - pos);
            pos = end + 1;
            ++lineNo_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.empty() || line.front() == '#') continue;
            if (line.front() == '[') {
                if (line.back() != ']') fail("unclosed section name");
                section_ = std::string(line.substr(1, line.size() - 2));
                static const char* const known[] = {"register", "header",   "vat",    "databases", "session",
                                                    "goods",    "packages", "groups", "units",     "cashiers",
                                                    "payforms", "receipts", "sales"};
                if (std::find(std::begin(known), std::end(known), section_) == std::end(known))
                    fail("unknown section [" + section_ + "]");
                continue;
            }
            take(s, line);
        }
        // Sales act on the whole state, whatever order the sections came in.
        for (const auto& [no, f] : sales_) {
            lineNo_ = no;
            sell(s, f);
        }
        return s;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw Exception("state file, line " + std::to_string(lineNo_) + ": " + what);
    }

    std::int64_t num(std::string_view v) const {
        std::int64_t out = 0;
        auto r = std::from_chars(v.data(), v.data() + v.size(), out);
        if (r.ec != std::errc() || r.ptr != v.data() + v.size()) fail("not a number: " + std::string(v));
        return out;
    }
    template <class T>
    T num(std::string_view v, std::int64_t lo, std::int64_t hi) const {
        auto n = num(v);
        if (n < lo || n > hi) fail("out of range: " + std::string(v));
        return static_cast<T>(n);
    }
    std::uint8_t u8(std::string_view v) const { return num<std::uint8_t>(v, 0, 255); }
    std::uint16_t u16(std::string_view v) const { return num<std::uint16_t>(v, 0, 65535); }
    std::uint32_t u32(std::string_view v) const { return num<std::uint32_t>(v, 0, 4294967295LL); }

    SimDateTime dateTime(std::string_view v) const {
        SimDateTime d{0, 0, 0, 0, 0, 0};
        if (v == "-") return d;
        std::string s(v);
        int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second);
        if (n != 3 && n != 5 && n != 6) fail("not a date-time (YYYY-MM-DD[ hh:mm[:ss]]): " + s);
        return d;
    }

    std::vector<std::string> record(std::string_view line, std::size_t minFields) const {
        auto f = splitRecord(line);
        if (f.size() < minFields) fail("expected at least " + std::to_string(minFields) + " fields");
        return f;
    }

    std::string encodeField(const std::string& token) const {
        if (token.empty()) fail("empty field");
        std::string v = token.substr(1);
        switch (token[0]) {
            case 'S': return TComboFraming::EncodeS(v);
            case 'B': return TComboFraming::EncodeB(u8(v));
            case 'V': return TComboFraming::EncodeV(u16(v));
            case 'L': return TComboFraming::EncodeL(u32(v));
            case 'N': return TComboFraming::EncodeN(num<std::int64_t>(v, -500000000000LL, 499999999999LL));
        }
        fail("unknown field type: " + token);
    }

    void take(RegisterState& s, std::string_view line) {
        auto eq = line.find('=');
        std::string key = eq == std::string_view::npos ? std::string() : std::string(line.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string() : unescape(line.substr(eq + 1));
        if (section_ == "register") {
            if (key == "type")
                s.typeCode = u8(value);
            else if (key == "model")
                s.modelName = value;
            else if (key == "number")
                s.registerNumber = value;
            else if (key == "mode")
                s.workMode = u8(value);
            else if (key == "nip")
                s.nip = value;
            else if (key == "unique")
                s.uniqueNumber = value;
            else if (key == "firmware")
                s.firmware = value;
            else if (key == "fiscalised")
                s.fiscalised = dateTime(value);
            else if (key == "clock") {
                s.clockRunning = value == "running";
                if (!s.clockRunning) s.clock = dateTime(value);
            } else if (key == "totalizers")
                s.totalizersNonZero = num(value) != 0;
            else if (key == "totals") {
                auto f = record(value, 7);
                for (std::size_t i = 0; i < 7; ++i) s.dailyTotals[i] = num(f[i]);
            } else if (key == "report")
                s.reportNumber = u16(value);
            else if (key == "receiptAlarm")
                s.receiptBufferAlarm = num(value) != 0;
            else if (key == "receiptAlarmAt")
                s.receiptAlarmAt = u32(value);
            else if (key == "receiptNo")
                s.lastReceiptNumber = u32(value);
            else if (key == "printNo")
                s.lastPrintNumber = u32(value);
            else if (key == "cardFormat")
                s.cardFormat = value;
            else if (key == "cashier")
                s.loggedCashier = u16(value);
            else
                fail("unknown key " + key);
        } else if (section_ == "header") {
            if (key != "line") fail("expected line=");
            s.header.push_back(value);
        } else if (section_ == "vat") {
            if (key.size() != 1 || key[0] < 'A' || key[0] > 'J') fail("VAT slot letter A..J expected");
            std::size_t slot = static_cast<std::size_t>(key[0] - 'A');
            if (s.vat.size() <= slot) s.vat.resize(slot + 1, RegisterState::kVatInactive);
            s.vat[slot] = value == "zw"  ? RegisterState::kVatExempt
                          : value == "-" ? RegisterState::kVatInactive
                                         : num<int>(value, 0, 65533);
        } else if (section_ == "databases") {
            auto& d = s.databases;
            static const std::map<std::string, std::uint16_t DatabaseSizes::*> keys = {
                {"packages", &DatabaseSizes::packages},
                {"keys", &DatabaseSizes::keys},
                {"keysUsed", &DatabaseSizes::keysUsed},
                {"cashiers", &DatabaseSizes::cashiers},
                {"payForms", &DatabaseSizes::payForms},
                {"discounts", &DatabaseSizes::discounts},
                {"discountsUsed", &DatabaseSizes::discountsUsed},
                {"plu", &DatabaseSizes::plu},
                {"groups", &DatabaseSizes::groups},
                {"units", &DatabaseSizes::units},
                {"barcodes", &DatabaseSizes::barcodes},
                {"barcodeFormats", &DatabaseSizes::barcodeFormats},
                {"barcodeFormatsUsed", &DatabaseSizes::barcodeFormatsUsed}};
            auto it = keys.find(key);
            if (it == keys.end()) fail("unknown key " + key);
            d.*(it->second) = u16(value);
        } else if (section_ == "session") {
            auto& x = s.session;
            if (key == "discounts")
                x.discounts = num(value);
            else if (key == "markups")
                x.markups = num(value);
            else if (key == "loginSeconds")
                x.loginSeconds = u32(value);
            else if (key == "packagesSold")
                x.packagesSold = num(value);
            else if (key == "packagesReturned")
                x.packagesReturned = num(value);
            else if (key == "payIns")
                x.payIns = num(value);
            else if (key == "payOuts")
                x.payOuts = num(value);
            else if (key == "sales")
                x.sales = num(value);
            else if (key == "receipts")
                x.receipts = u32(value);
            else if (key == "cancelledReceipts")
                x.cancelledReceipts = u32(value);
            else if (key == "cancelledValue")
                x.cancelledValue = num(value);
            else if (key == "voidedLines")
                x.voidedLines = u32(value);
            else if (key == "voidedValue")
                x.voidedValue = num(value);
            else if (key == "payment") {
                auto f = record(value, 2);
                x.payments.push_back({u16(f[0]), num(f[1])});
            } else
                fail("unknown key " + key);
        } else if (section_ == "goods") {
            auto f = record(line, 19);
            PluRecord r;
            r.plu = u16(f[0]), r.name = f[1], r.barcode = f[2], r.price = num(f[3]), r.vatSlot = u8(f[4]);
            r.group = u8(f[5]), r.unit = u8(f[6]), r.package = u8(f[7]), r.quantityFormat = u8(f[8]);
            r.fixedPrice = u8(f[9]), r.discountAllowed = u8(f[10]), r.discountNumber = u8(f[11]);
            r.setFlag = u8(f[12]), r.minStock = num(f[13]), r.salesValue = num(f[14]);
            r.salesQuantity = num(f[15]), r.stock = num(f[16]), r.lastSale = dateTime(f[17]);
            std::string extra = f[18];
            for (std::size_t p = 0; !extra.empty() && p <= extra.size();) {
                auto c = extra.find(',', p);
                if (c == std::string::npos) c = extra.size();
                r.extraBarcodes.push_back(extra.substr(p, c - p));
                p = c + 1;
            }
            s.putPlu(std::move(r));
        } else if (section_ == "packages") {
            auto f = record(line, 11);
            PackageRecord r;
            r.number = u16(f[0]), r.name = f[1], r.barcode = f[2], r.price = num(f[3]), r.fixedPrice = u8(f[4]);
            r.minStock = num(f[5]), r.quantitySold = num(f[6]), r.quantityReturned = num(f[7]);
            r.valueSold = num(f[8]), r.valueReturned = num(f[9]), r.stock = num(f[10]);
            s.putPackage(std::move(r));
        } else if (section_ == "groups") {
            auto f = record(line, 2);
            s.putGroup({u16(f[0]), f[1]});
        } else if (section_ == "units") {
            auto f = record(line, 3);
            s.putUnit({u16(f[0]), f[1], f[2]});
        } else if (section_ == "cashiers") {
            auto f = record(line, 6);
            s.putCashier({u16(f[0]), f[1], f[2], f[3], f[4], u16(f[5])});
        } else if (section_ == "payforms") {
            auto f = record(line, 6);
            s.putPayForm({u16(f[0]), f[1], u8(f[2]), u16(f[3]), f[4], num(f[5])});
        } else if (section_ == "receipts") {
            auto f = record(line, 1);
            ReceiptRecord r;
            r.type = u16(f[0]);
            for (std::size_t i = 1; i < f.size(); ++i) r.fields.push_back(encodeField(f[i]));
            s.receipts.push_back(std::move(r));
        } else if (section_ == "sales") {
            sales_.emplace_back(lineNo_, splitRecord(line));
        } else {
            fail("unknown section [" + section_ + "]");
        }
    }

    static std::vector<std::string> words(const std::string& f) {
        std::vector<std::string> w;
        std::istringstream in(f);
        for (std::string x; in >> x;) w.push_back(x);
        return w;
    }
    // The words from i on, joined by one blank (names and dates).
    static std::string rest(const std::vector<std::string>& w, std::size_t i) {
        std::string out;
        for (; i < w.size(); ++i) out += (out.empty() ? "" : " ") + w[i];
        return out;
    }
    std::string arg(const std::vector<std::string>& f, std::size_t i) const {
        if (i >= f.size()) fail("missing field " + std::to_string(i + 1) + " of " + f[0]);
        return f[i];
    }

    // A refusal of the register, named by the line that asked for it.
    template <class Act>
    void perform(Act act) const {
        try {
            act();
        } catch (const Exception& e) {
            fail(e.message());
        }
    }

    void sell(RegisterState& s, const std::vector<std::string>& f) const {
        const std::string& kind = f[0];
        if (kind == "receipt" || kind == "cancel") {
            Sale sale;
            if (kind == "cancel") sale.cancel();
            for (std::size_t i = 1; i < f.size(); ++i) {
                auto w = words(f[i]);
                if (w.empty()) continue;
                auto word = [&](std::size_t k) -> const std::string& {
                    if (k >= w.size()) fail("missing value in '" + f[i] + "'");
                    return w[k];
                };
                auto n = [&](std::size_t k) { return num(word(k)); };
                auto id = [&](std::size_t k) { return u16(word(k)); };
                const std::string& t = w[0];
                if (t == "plu") {
                    std::optional<std::int64_t> price;
                    if (w.size() > 3) price = n(3);
                    sale.item(id(1), n(2), price);
                } else if (t == "discount") {
                    const auto v = n(1);
                    perform([&] { sale.discount(v, rest(w, 2)); });
                } else if (t == "void")
                    sale.voided(id(1), n(2));
                else if (t == "pack")
                    sale.package(id(1), n(2));
                else if (t == "return")
                    sale.packageReturn(id(1), n(2));
                else if (t == "rebate")
                    sale.receiptDiscount(n(1), w.size() > 2 ? w[2] : "", rest(w, 3));
                else if (t == "pay")
                    sale.pay(id(1), n(2));
                else if (t == "currency")
                    sale.payCurrency(id(1), n(2));
                else if (t == "at")
                    sale.at(dateTime(rest(w, 1)));
                else if (t == "by")
                    sale.cancel(id(1));
                else
                    fail("unknown receipt line '" + t + "'");
            }
            perform([&] { sellReceipt(s, sale); });
        } else if (kind == "payin" || kind == "payout") {
            auto amount = num(arg(f, 1));
            std::string what = f.size() > 2 ? f[2] : "";
            perform([&] { kind == "payin" ? payIn(s, amount, what) : payOut(s, amount, what); });
        } else if (kind == "order" || kind == "reorder") {
            const auto plu = u16(arg(f, 1));
            const auto quantity = num(arg(f, 2));
            perform([&] { placeOrder(s, plu, quantity, f.size() > 3 ? f[3] : "", kind == "reorder"); });
        } else if (kind == "report") {
            runDailyReport(s, f.size() > 1 ? dateTime(f[1]) : s.now());
        } else if (kind == "login") {
            const auto cashier = u16(arg(f, 1));
            perform([&] { logIn(s, cashier); });
        } else if (kind == "logout") {
            logOut(s);
        } else if (kind == "clock") {
            s.clockRunning = false;
            s.clock = dateTime(arg(f, 1));
        } else {
            fail("unknown sale '" + kind + "'");
        }
    }

    std::string_view text_;
    std::string section_;
    std::vector<std::pair<std::size_t, std::vector<std::string>>> sales_;
    std::size_t lineNo_ = 0;
};

std::string formatDateTime(const SimDateTime& d, bool withTime) {
    if (d.year == 0 && d.month == 0 && d.day == 0) return "-";
    char buf[40];
    if (withTime)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                      d.second);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

// One encoded field as a state-file token: type letter and value.
std::string fieldToken(const std::string& raw) {
    TComboData d;
    d.Set(raw);
    switch (d.Type()) {
        case 'S': return "S" + escape(d.AsS());
        case 'B': return "B" + std::to_string(d.AsB());
        case 'V': return "V" + std::to_string(d.AsV());
        case 'L': return "L" + std::to_string(d.AsL());
        default: return "N" + std::to_string(d.AsN64());
    }
}

}  // namespace

RegisterState parseState(std::string_view text) { return Parser(text).run(); }

std::string formatState(const RegisterState& s) {
    std::ostringstream o;
    auto kv = [&](const char* k, const std::string& v) { o << k << '=' << escape(v) << '\n'; };
    auto n = [](auto v) { return std::to_string(v); };
    o << "# register simulator state\n[register]\n";
    kv("type", n(s.typeCode));
    kv("model", s.modelName);
    kv("number", s.registerNumber);
    kv("mode", n(s.workMode));
    kv("nip", s.nip);
    kv("unique", s.uniqueNumber);
    kv("firmware", s.firmware);
    kv("fiscalised", formatDateTime(s.fiscalised, true));
    kv("clock", s.clockRunning ? std::string("running") : formatDateTime(s.clock, true));
    kv("totalizers", n(s.totalizersNonZero ? 1 : 0));
    std::string totals;
    for (std::size_t i = 0; i < 7; ++i) totals += (i ? ";" : "") + n(s.dailyTotals[i]);
    o << "totals=" << totals << '\n';
    kv("report", n(s.reportNumber));
    kv("receiptAlarm", n(s.receiptBufferAlarm ? 1 : 0));
    kv("receiptAlarmAt", n(s.receiptAlarmAt));
    kv("receiptNo", n(s.lastReceiptNumber));
    kv("printNo", n(s.lastPrintNumber));
    kv("cardFormat", s.cardFormat);
    kv("cashier", n(s.loggedCashier));

    o << "\n[header]\n";
    for (const auto& h : s.header) kv("line", h);

    o << "\n[vat]\n";
    for (std::size_t i = 0; i < s.vat.size(); ++i) {
        int v = s.vat[i];
        o << static_cast<char>('A' + i) << '='
          << (v == RegisterState::kVatExempt     ? std::string("zw")
              : v == RegisterState::kVatInactive ? "-"
                                                 : n(v))
          << '\n';
    }

    const auto& d = s.databases;
    o << "\n[databases]\npackages=" << d.packages << "\nkeys=" << d.keys << "\nkeysUsed=" << d.keysUsed
      << "\ncashiers=" << d.cashiers << "\npayForms=" << d.payForms << "\ndiscounts=" << d.discounts
      << "\ndiscountsUsed=" << d.discountsUsed << "\nplu=" << d.plu << "\ngroups=" << d.groups << "\nunits=" << d.units
      << "\nbarcodes=" << d.barcodes << "\nbarcodeFormats=" << d.barcodeFormats
      << "\nbarcodeFormatsUsed=" << d.barcodeFormatsUsed << '\n';

    const auto& x = s.session;
    o << "\n[session]\ndiscounts=" << x.discounts << "\nmarkups=" << x.markups << "\nloginSeconds=" << x.loginSeconds
      << "\npackagesSold=" << x.packagesSold << "\npackagesReturned=" << x.packagesReturned << "\npayIns=" << x.payIns
      << "\npayOuts=" << x.payOuts << "\nsales=" << x.sales << "\nreceipts=" << x.receipts
      << "\ncancelledReceipts=" << x.cancelledReceipts << "\ncancelledValue=" << x.cancelledValue
      << "\nvoidedLines=" << x.voidedLines << "\nvoidedValue=" << x.voidedValue << '\n';
    for (const auto& p : x.payments) o << "payment=" << p.type << ';' << p.amount << '\n';

    o << "\n[goods]\n# plu;name;barcode;price;vat slot;group;unit;package;quantity format;fixed price;"
         "discount allowed;discount no;set;min stock;sales value;sales quantity;stock;last sale;extra barcodes\n";
    for (const auto& r : s.goods) {
        std::string extra;
        for (std::size_t i = 0; i < r.extraBarcodes.size(); ++i) extra += (i ? "," : "") + r.extraBarcodes[i];
        o << r.plu << ';' << escape(r.name) << ';' << escape(r.barcode) << ';' << r.price << ';' << n(r.vatSlot) << ';'
          << n(r.group) << ';' << n(r.unit) << ';' << n(r.package) << ';' << n(r.quantityFormat) << ';'
          << n(r.fixedPrice) << ';' << n(r.discountAllowed) << ';' << n(r.discountNumber) << ';' << n(r.setFlag) << ';'
          << r.minStock << ';' << r.salesValue << ';' << r.salesQuantity << ';' << r.stock << ';'
          << formatDateTime(r.lastSale, false) << ';' << escape(extra) << '\n';
    }
    o << "\n[packages]\n# number;name;barcode;price;fixed price;min stock;quantity sold;quantity returned;"
         "value sold;value returned;stock\n";
    for (const auto& r : s.packages)
        o << r.number << ';' << escape(r.name) << ';' << escape(r.barcode) << ';' << r.price << ';' << n(r.fixedPrice)
          << ';' << r.minStock << ';' << r.quantitySold << ';' << r.quantityReturned << ';' << r.valueSold << ';'
          << r.valueReturned << ';' << r.stock << '\n';
    o << "\n[groups]\n# number;name\n";
    for (const auto& r : s.groups) o << r.number << ';' << escape(r.name) << '\n';
    o << "\n[units]\n# number;name;short name\n";
    for (const auto& r : s.units) o << r.number << ';' << escape(r.name) << ';' << escape(r.shortName) << '\n';
    o << "\n[cashiers]\n# number;name;identifier;card code;password;rights\n";
    for (const auto& r : s.cashiers)
        o << r.number << ';' << escape(r.name) << ';' << escape(r.identifier) << ';' << escape(r.cardCode) << ';'
          << escape(r.password) << ';' << r.rights << '\n';
    o << "\n[payforms]\n# number;name;type;flags;short name;rate\n";
    for (const auto& r : s.payForms)
        o << r.number << ';' << escape(r.name) << ';' << n(r.type) << ';' << r.flags << ';' << escape(r.shortName)
          << ';' << r.rate << '\n';
    o << "\n[receipts]\n# record type;fields from answer field 3 on, each a type letter and its value\n";
    for (const auto& r : s.receipts) {
        o << r.type;
        for (const auto& f : r.fields) o << ';' << fieldToken(f);
        o << '\n';
    }
    return o.str();
}

RegisterState loadStateFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception("cannot open state file " + path);
    std::ostringstream buf;
    buf << in.rdbuf();
    return parseState(buf.str());
}

void saveStateFile(const RegisterState& state, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw Exception("cannot write state file " + path);
    out << formatState(state);
    out.flush();
    if (!out) throw Exception("cannot write state file " + path);
}

}  // namespace zt::sim

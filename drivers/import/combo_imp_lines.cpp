#include "drivers/import/combo_imp_lines.h"

#include <limits>

#include "drivers/import/receipt_records.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "proto/combo_data.h"

namespace zt {
namespace {

std::string n(std::int64_t v) { return std::to_string(v); }

bool isDay(std::string_view s) {
    if (s.size() != 8) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

constexpr std::string_view kSavedPrefix = "# SAVED ";
constexpr std::string_view kSavingPrefix = "# SAVING ";
constexpr std::string_view kEdiPrefix = "# EDI ";
constexpr std::string_view kEdiWrittenLine = "# EDI WRITTEN";
constexpr std::string_view kStateDroppedLine = "# STATE DROPPED";

// Appends ";" and each value of a SALERECGET answer.
class Line {
public:
    Line(const TComboDataSet& a, const char* kind) : a_(a), s_(kind) {}
    Line& i(std::int64_t v) {
        s_ += ";" + std::to_string(v);
        return *this;
    }
    Line& B(std::size_t f) { return i(a_[f].AsB()); }
    Line& V(std::size_t f) { return i(a_[f].AsV()); }
    Line& L(std::size_t f) { return i(a_[f].AsL()); }
    Line& N(std::size_t f) { return i(a_[f].AsN64()); }
    Line& S(std::size_t f) { return t(a_[f].AsS()); }
    Line& t(const std::string& text) {
        s_ += ";" + FieldText(text);
        return *this;
    }
    // A compact time stamp from year, month, day (and hour, minute) fields.
    Line& date(std::size_t y, std::size_t m, std::size_t d) {
        s_ += format(";%04d%02d%02d000000000", a_[y].AsV(), a_[m].AsB(), a_[d].AsB());
        return *this;
    }
    Line& dateTime(std::size_t y, std::size_t m, std::size_t d, std::size_t h, std::size_t min) {
        s_ += format(";%04d%02d%02d%02d%02d00000", a_[y].AsV(), a_[m].AsB(), a_[d].AsB(), a_[h].AsB(), a_[min].AsB());
        return *this;
    }
    std::string end(const char* tail = "") { return s_ + tail + "\r\n"; }

private:
    const TComboDataSet& a_;
    std::string s_;
};

}  // namespace

// ---- text, lines, fields ----

std::string_view TrimmedField(std::string_view s) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t sep = line.find(';', start);
        if (sep == std::string_view::npos) {
            f.push_back(line.substr(start));
            return f;
        }
        f.push_back(line.substr(start, sep - start));
        start = sep + 1;
    }
}

std::int64_t FieldInt(const std::vector<std::string_view>& fields, std::size_t i) {
    const std::string_view raw = i < fields.size() ? fields[i] : std::string_view();
    const std::string_view s = TrimmedField(raw);
    std::size_t p = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) p = 1;
    std::uint64_t v = 0;
    bool ok = p < s.size();
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    for (; ok && p < s.size(); ++p) {
        const char c = s[p];
        if (c < '0' || c > '9')
            ok = false;
        else if (v > (limit - static_cast<std::uint64_t>(c - '0')) / 10)
            ok = false;
        else
            v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!ok) throw Exception("'" + std::string(raw) + "' is not a valid integer value");
    return negative ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
}

std::string_view LineKind(std::string_view line) { return TrimmedField(line.substr(0, line.find(';'))); }

bool IsReceiptKind(std::string_view kind) { return kind.substr(0, 2) == "P_"; }

bool IsIgnoredLine(std::string_view line) {
    const std::string_view t = TrimmedField(line);
    return t.empty() || t[0] == '#' || t[0] == '-';
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

std::size_t LineEndAt(std::string_view text, std::size_t from, std::size_t* next) {
    const std::size_t end = text.find_first_of("\r\n", from);
    if (end == std::string_view::npos) return end;
    *next = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    return end;
}

bool HasLineEnd(std::string_view line) { return !line.empty() && (line.back() == '\n' || line.back() == '\r'); }

std::vector<std::string_view> CompleteLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0, next = 0;
    for (std::size_t end; (end = LineEndAt(text, start, &next)) != std::string_view::npos; start = next)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<std::string_view> AllLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t next = text.size();
        LineEndAt(text, start, &next);
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

std::int32_t Saturated32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::int32_t ComboImpFields::Int32(std::size_t i) const { return Saturated32(Int(i)); }

std::string ComboImpFields::Text(std::size_t i) const {
    return i < f_.size() ? std::string(TrimmedField(f_[i])) : std::string();
}

std::optional<std::int32_t> ComboImpFields::NumberOrNone(std::size_t i) const {
    const std::string_view s = i < f_.size() ? TrimmedField(f_[i]) : std::string_view();
    if (s.empty()) return std::nullopt;
    try {
        return Saturated32(FieldInt(f_, i));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

double ComboImpFields::Time(std::size_t i) const {
    TdtTools t;
    if (i < f_.size()) t.FromString(TrimmedField(f_[i]), TdtTools::kCompact);
    return t.Value();
}

// ---- the register's state ----

std::string SptLine::Format(std::int64_t plu, std::int64_t value, std::int64_t quantity, std::int64_t stock, int day,
                            int month, int year) {
    return "SPT;" + n(plu) + ";" + n(value) + ";" + n(quantity) + ";" + n(stock) + ";" +
           format("%02d-%02d-%04d", day, month, year) + "\r\n";
}

std::string SpoLine::Format(std::int64_t number, std::int64_t sold, std::int64_t returned, std::int64_t valueSold,
                            std::int64_t valueReturned, std::int64_t stock) {
    return "SPO;" + n(number) + ";" + n(sold) + ";" + n(returned) + ";" + n(valueSold) + ";" + n(valueReturned) + ";" +
           n(stock) + "\r\n";
}

std::string KasLine::Format(const Values& v) {
    std::string s = "KAS;" + n(v.cashier);
    if (v.cashier != 0) {
        s += ";" + FieldText(v.name) + ";" + n(v.discounts) + ";" + n(v.surcharges) + ";" + v.loginTime + ";" + v.now;
        for (const std::int64_t x : {v.packagesSold, v.packagesReturned, v.payIn, v.payOut, v.sales, v.receipts,
                                     v.cancelled, v.cancelledValue, v.voids, v.voidsValue})
            s += ";" + n(x);
    }
    return s + "\r\n";
}

double KasLine::LoginTime() const { return TdtTools::Parse(Text(5), TdtTools::kCompact).Value(); }
double KasLine::Now() const { return TdtTools::Parse(Text(6), TdtTools::kCompact).Value(); }

std::string KplLine::Format(int type, const std::string& name, std::int64_t amount, std::int64_t rate) {
    return "KPL;" + n(type) + ";" + name + ";" + n(amount) + ";" + n(rate) + "\r\n";
}

// ---- the receipt buffer ----

std::string ReceiptRecordLine(const TComboDataSet& a, int family) {
    const int type = a[2].AsV();
    switch (type) {
        case 0:
        case 1: return Line(a, "P_OPA").i(type).V(3).S(4).N(5).N(6).end();
        case 2:
        case 3:
        case 4:
        case 5: {
            Line l(a, "P_PLA");
            l.i(type).V(3).S(4).B(5).N(6);
            if (family > 5 && a.Count() > 10)
                l.S(7).S(8).S(9).V(10);
            else
                l.t("").t("").t("").i(-1);
            return l.end();
        }
        case 6:
        case 7:
        case 8:
        case 9: return Line(a, "P_WAL").i(type).V(3).S(4).N(5).N(6).N(7).end();
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 15: return Line(a, "P_PLU").B(3).V(4).S(5).S(6).N(7).N(8).i(type >= 13 ? 1 : 0).end();
        case 16: {
            Line l(a, "P_FSK");
            l.date(5, 4, 3).V(6);
            for (std::size_t f = 9; f <= 15; ++f) l.N(f);
            return l.end(";");
        }
        case 17:
        case 19: {
            Line l(a, "P_TRN");
            l.L(3).dateTime(6, 5, 4, 7, 8).S(9).S(10).V(11).N(12).N(13);
            if (family > 0)
                l.L(14);
            else
                l.i(-1);
            return l.end();
        }
        case 18:
        case 20: return Line(a, "P_ANU").dateTime(5, 4, 3, 6, 7).S(8).S(9).V(10).V(11).N(12).N(13).end();
        case 21:
        case 22: return Line(a, "P_RAB").i(type).S(3).B(4).V(5).N(6).end(";");
        case 23: return Line(a, "P_RAB").i(type).S(3).B(4).V(5).N(6).S(7).end();
        case 32:
        case 33: return Line(a, "P_ZAM").i(type).V(3).S(4).N(5).S(6).end();
        default: return {};
    }
}

bool IsReceiptBodyLine(std::string_view line) {
    const std::string_view kind = LineKind(line);
    if (kind == "P_PLU" || kind == "P_OPA" || kind == "P_WAL" || kind == "P_RAB") return true;
    if (kind != "P_PLA") return false;
    const std::vector<std::string_view> f = SplitFields(line);
    const std::string_view type = f.size() > 1 ? TrimmedField(f[1]) : std::string_view();
    return type != "4" && type != "5";
}

std::string PPluLine::Code() const { return FieldText(Text(3)); }
std::string PRabLine::CardCode() const { return FieldText(Text(6)); }
std::string PWalLine::Currency() const { return FieldText(Text(3)); }
std::string PZamLine::Code() const { return FieldText(Text(3)); }
std::string PZamLine::Description() const { return FieldText(Text(5)); }

// ---- comment lines ----

JournalComment JournalComment::Parse(std::string_view line) {
    JournalComment c;
    if (line.substr(0, kSavedPrefix.size()) == kSavedPrefix) {
        if (const std::string_view d = line.substr(kSavedPrefix.size()); isDay(d)) c.kind = kSaved, c.day = d;
    } else if (line.substr(0, kSavingPrefix.size()) == kSavingPrefix) {
        if (const std::string_view d = line.substr(kSavingPrefix.size()); isDay(d)) c.kind = kSaving, c.day = d;
    } else if (line == std::string_view(kReadingCompleteComment, sizeof kReadingCompleteComment - 3)) {
        c.kind = kReadComplete;
    } else if (line == kEdiWrittenLine) {
        c.kind = kEdiWritten;
    } else if (line == kStateDroppedLine) {
        c.kind = kStateDropped;
    } else if (line.substr(0, kEdiPrefix.size()) == kEdiPrefix) {
        const std::string_view rest = line.substr(kEdiPrefix.size());
        const std::string_view d = rest.substr(0, 8);
        int number = 0;
        bool ok = isDay(d) && rest.size() > 9 && rest.size() <= 12 && rest[8] == ' ';
        for (std::size_t i = 9; ok && i < rest.size(); ++i) {
            if (rest[i] < '0' || rest[i] > '9') ok = false;
            number = number * 10 + (rest[i] - '0');
        }
        if (ok && number > 0) c.kind = kEdi, c.day = d, c.number = number;
    }
    return c;
}

std::string JournalComment::Saving(const std::string& day) { return std::string(kSavingPrefix) + day; }
std::string JournalComment::Saved(const std::string& day) { return std::string(kSavedPrefix) + day; }
std::string JournalComment::Edi(const std::string& day, int number) {
    return std::string(kEdiPrefix) + day + ' ' + std::to_string(number);
}
std::string JournalComment::EdiWritten() { return std::string(kEdiWrittenLine); }
std::string JournalComment::StateDropped() { return std::string(kStateDroppedLine); }

std::string_view BookedLine(std::string_view line) {
    const std::string_view prefix(kBookedPrefix);
    return line.substr(0, prefix.size()) == prefix ? line.substr(prefix.size()) : std::string_view();
}

}  // namespace zt

#include "drivers/import/combo_imp_reader.h"

#include <limits>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view kindOf(std::string_view line) { return trimmed(line.substr(0, line.find(';'))); }

bool isReceiptKind(std::string_view kind) { return kind.substr(0, 2) == "P_"; }

std::int32_t clamp32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// amount x rate / 10000 in 64 bits, truncated toward zero.
std::int64_t euroBalance(std::int64_t amount, std::int64_t rate) {
    std::int64_t p = 0;
    if (__builtin_mul_overflow(amount, rate, &p))
        return static_cast<std::int64_t>(static_cast<long double>(amount) * rate / 10000);
    return p / 10000;
}

std::string fieldText(const std::vector<std::string_view>& f, std::size_t i) {
    return i < f.size() ? std::string(trimmed(f[i])) : std::string();
}

double fieldTime(const std::vector<std::string_view>& f, std::size_t i) {
    return TdtTools::Parse(fieldText(f, i), TdtTools::kCompact).Value();
}

// The complete lines of the text: each ended by LF (CR LF or LF); what
// follows the last LF was cut short by a killed writer.
std::vector<std::string_view> completeLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) break;
        std::string_view line = text.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = lf + 1;
    }
    return lines;
}

}  // namespace

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
    const std::string_view s = trimmed(raw);
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

std::string ZTComboImpReader::ProgressText() {
    return trm("ztcombo_cbaction", "TZTComboReadFromMsgAdd", "Analiza pliku combo.imp...");
}

bool ZTComboImpReader::IsIgnored(std::string_view line) {
    const std::string_view t = trimmed(line);
    return t.empty() || t[0] == '#' || t[0] == '-';
}

void ZTComboImpReader::Read(const std::string& path, ZTImpBufList& list, TdtTools dataImportu) {
    const std::string text = readFileWhole(path);
    ReadText(text, list, dataImportu);
}

void ZTComboImpReader::ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu) {
    OnStart(ProgressText());
    try {
        const bool fromReceipts = list.Settings().salesFromReceipts;
        if (!fromReceipts) list.Select(dataImportu);
        const std::vector<std::string_view> lines = completeLines(text);

        // The receipt a "P_" line belongs to is dated by its own closing line:
        // the first P_TRN before the run of "P_" lines ends. One look ahead
        // serves every line up to the line it stopped at.
        bool haveAhead = false, found = false;
        std::size_t aheadFrom = 0, aheadTo = 0, closing = 0;
        const auto closingLine = [&](std::size_t i) -> const std::string_view* {
            if (!haveAhead || i < aheadFrom || i > aheadTo) {
                found = false;
                std::size_t j = i;
                for (; j < lines.size(); ++j) {
                    if (IsIgnored(lines[j])) continue;
                    const std::string_view k = kindOf(lines[j]);
                    if (k == "P_TRN") {
                        found = true;
                        closing = j;
                        break;
                    }
                    if (!isReceiptKind(k)) break;
                }
                haveAhead = true;
                aheadFrom = i;
                aheadTo = found ? closing : (j > i ? j - 1 : i);
            }
            return found ? &lines[closing] : nullptr;
        };

        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = lines[i];
            if (IsIgnored(line)) continue;
            OnRecord();
            const std::vector<std::string_view> f = SplitFields(line);
            const std::string_view kind = trimmed(f[0]);
            if (skipState_ && (kind == "SPT" || kind == "SPO" || kind == "KAS" || kind == "KPL")) continue;
            if (kind == "SPT") {
                if (fromReceipts) continue;
                list.Current()->AddPlu(fieldText(f, 1), static_cast<long double>(FieldInt(f, 3)),
                                       static_cast<long double>(FieldInt(f, 2)), 1);
            } else if (kind == "SPO") {
                if (fromReceipts) continue;
                const std::int64_t sold = FieldInt(f, 2), returned = FieldInt(f, 3);
                const std::int64_t valueSold = FieldInt(f, 4), valueReturned = FieldInt(f, 5);
                ZTImpBuf& b = *list.Current();
                b.AddPlu(fieldText(f, 1), static_cast<long double>(sold) - returned,
                         static_cast<long double>(valueSold) - valueReturned, 2);
                if (valueSold != 0) b.AddBottlesSaled(static_cast<long double>(valueSold));
                if (valueReturned != 0) b.AddBottlesTurned(static_cast<long double>(valueReturned));
            } else if (isReceiptKind(kind)) {
                if (fromReceipts) {
                    if (const std::string_view* trn = closingLine(i)) {
                        TdtTools date;
                        if (date.FromString(fieldText(SplitFields(*trn), 2), TdtTools::kCompact)) list.Select(date);
                    }
                }
                if (!list.Current()) list.Select(dataImportu);
                OnReceiptLine(line, list.Current());
            } else if (kind == "KAS") {
                ZTImpBuf& b = list.Current() ? *list.Current() : list.Select(dataImportu);
                const std::int32_t cashier = clamp32(FieldInt(f, 1));
                b.Kas_SetNumer(cashier);
                if (cashier != 0) {
                    b.Kas_SetNazwisko(fieldText(f, 2));
                    b.Kas_SetZmstart(fieldTime(f, 5));
                    b.Kas_SetBiez(fieldTime(f, 6));
                    b.Kas_SetParagonow(clamp32(FieldInt(f, 12)));
                    b.Kas_SetIlParAnulowanych(clamp32(FieldInt(f, 13)));
                    b.Kas_SetWartParAnulowanych(static_cast<long double>(FieldInt(f, 14)));
                    b.Kas_SetIlStorno(clamp32(FieldInt(f, 15)));
                    b.Kas_SetWartStorno(static_cast<long double>(FieldInt(f, 16)));
                }
                b.Kas_ActiveKasjerSection();
            } else if (kind == "KPL") {
                ZTImpBuf& b = list.Current() ? *list.Current() : list.Select(dataImportu);
                const std::int64_t type = FieldInt(f, 1);
                if (type < 1 || type > 6) continue;
                const std::int64_t amount = FieldInt(f, 3);
                const auto a = static_cast<long double>(amount);
                switch (type) {
                    case 1: b.Kas_SetStankasy(a); break;
                    case 2: b.Kas_SetKarty(a); break;
                    case 3: {
                        const std::int64_t rate = FieldInt(f, 4);
                        b.Kas_AddWaluta("EUR", static_cast<long double>(euroBalance(amount, rate)), a,
                                        static_cast<long double>(rate));
                        break;
                    }
                    case 4: b.Kas_SetBony(a); break;
                    case 5: b.Kas_SetCzeki(a); break;
                    default: b.Kas_SetInnefplat(a); break;
                }
            }
        }
        OnReceiptLine(std::string_view(), list.Current());
    } catch (...) {
        OnEnd(false);
        throw;
    }
    OnEnd(true);
}

}  // namespace zt

#include "action/vat/vat_slots.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>

#include "action/action_base.h"
#include "platform/cp1250.h"
#include "platform/decimal.h"
#include "platform/intset.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace zt {
namespace {
constexpr char kKeyPrec[] = "PosortowaneStawkiVatPrec";
constexpr char kKeyWhole[] = "PosortowaneStawkiVat";
int normalised(int v) { return v < -1 ? TZTStawkiKolejne::kUndefined : v; }
}  // namespace

int wholeToHundredths(int rate) {
    if (rate <= 0) return rate;
    return rate > std::numeric_limits<int>::max() / 100 ? TZTStawkiKolejne::kUndefined : rate * 100;
}

void TZTStawkiKolejne::Set(int i, int v) {
    if (i >= 0 && i < kSlots) slots_[i] = normalised(v);
}

int TZTStawkiKolejne::DefinedCount() const {
    for (int i = kSlots - 1; i >= 0; --i)
        if (Defined(i)) return i + 1;
    return 0;
}

void TZTStawkiKolejne::Truncate(int n) {
    for (int i = n < 0 ? 0 : n; i < kSlots; ++i) slots_[i] = kUndefined;
}

std::string TZTStawkiKolejne::ToText() const {
    std::string s;
    for (int i = 0; i < kSlots; ++i) {
        if (i) s += "\r\n";
        s += std::to_string(slots_[i]);
    }
    return s;
}

void TZTStawkiKolejne::FromText(std::string_view text, bool wholePercent) {
    slots_.fill(kUndefined);
    const auto lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size() && i < kSlots; ++i) {
        int v = normalised(TxTools::StrToIntDef(lines[i], kUndefined));
        if (wholePercent && v > 0) v = wholeToHundredths(v);
        slots_[i] = v;
    }
}

void TZTStawkiKolejne::FromList(const std::vector<int>& rates) {
    slots_.fill(kUndefined);
    for (std::size_t i = 0; i < rates.size() && i < kSlots; ++i) slots_[i] = normalised(rates[rates.size() - 1 - i]);
}

void TZTStawkiKolejne::Wczytaj(TZTActionBase& action) {
    std::string prec = action.WlasnyParametr(kKeyPrec);
    std::string whole;
    if (!TxTools::Trim(prec).empty()) {
        FromText(prec, false);
    } else if (whole = action.WlasnyParametr(kKeyWhole); !TxTools::Trim(whole).empty()) {
        FromText(whole, true);
    } else {
        auto& set = action.StawkiHosta();
        std::vector<int> rates;
        for (int i = 0; i < set.GetCount(); ++i) rates.push_back(set.GetValues(i));
        FromList(rates);
    }
    Truncate(action.LiczbaStawek());
}

void TZTStawkiKolejne::Zapisz(TZTActionBase& action) const { action.ZapiszWlasnyParametr(kKeyPrec, ToText()); }

std::string StawkaNaTekst(int rate, bool hundredths, const TMLgExtTools* t) {
    if (rate < -1) return translate(t, "zttools_fstavat", "TFrmStawToDispForeturn", "<pusta>");
    if (rate == -1) return "zw";
    if (hundredths) return format("%d.%02d", rate / 100, rate % 100);
    return std::to_string(rate > 100 ? 100 : rate);
}

int TekstNaStawke(std::string_view text, bool hundredths) {
    const std::string s = TxTools::Trim(text);
    if (s == "zw") return -1;
    TxfTools d;
    if (!d.FromString(s)) return TZTStawkiKolejne::kUndefined;
    d.Round(hundredths ? 2 : 0);
    std::int64_t v = 0;
    try {
        v = d.Scaled(hundredths ? 2 : 0);
    } catch (const std::exception&) {
        return TZTStawkiKolejne::kUndefined;
    }
    return v < -1 || v > std::numeric_limits<int>::max() ? TZTStawkiKolejne::kUndefined : static_cast<int>(v);
}

}  // namespace zt

#include "drivers/import/combo_imp_reader.h"

#include <limits>

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

// amount x rate / 10000 in 64 bits, truncated toward zero; a balance beyond
// 64 bits (only a hostile file has one) is held at the nearest limit.
std::int64_t euroBalance(std::int64_t amount, std::int64_t rate) {
    std::int64_t p = 0;
    if (!__builtin_mul_overflow(amount, rate, &p)) return p / 10000;
    const long double q = static_cast<long double>(amount) * rate / 10000;
    if (q >= 0x1p63L) return std::numeric_limits<std::int64_t>::max();
    if (q < -0x1p63L) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(q);
}

}  // namespace

std::string ZTComboImpReader::ProgressText() {
    return trm("ztcombo_cbaction", "TZTComboReadFromMsgAdd", "Analiza pliku combo.imp...");
}

void ZTComboImpReader::Read(const std::string& path, ZTImpBufList& list, TdtTools dataImportu) {
    const std::string text = readFileWhole(path);
    ReadText(text, list, dataImportu, path);
}

void ZTComboImpReader::ReadText(std::string_view text, ZTImpBufList& list, TdtTools dataImportu,
                                std::string_view fileName) {
    OnStart(ProgressText());
    try {
        const bool fromReceipts = list.Settings().salesFromReceipts;
        if (!fromReceipts) list.Select(dataImportu);
        const std::vector<std::string_view> lines = CompleteLines(text);
        stateDate_ = 0;
        const bool skipCash = booked_.SameCash(ZTBookedState::Read(text));

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
                    if (IsIgnoredLine(lines[j])) continue;
                    const std::string_view k = LineKind(lines[j]);
                    if (k == "P_TRN") {
                        found = true;
                        closing = j;
                        break;
                    }
                    if (!IsReceiptKind(k)) break;
                }
                haveAhead = true;
                aheadFrom = i;
                aheadTo = found ? closing : (j > i ? j - 1 : i);
            }
            return found ? &lines[closing] : nullptr;
        };

        const auto readLine = [&](std::size_t i, std::string_view line) {
            const std::vector<std::string_view> f = SplitFields(line);
            const std::string_view kind = TrimmedField(f[0]);
            if (kind == "KAS" && stateDate_ == 0)
                stateDate_ = list.Current() ? list.Current()->saleDate.Value() : dataImportu.Value();
            if (skipState_ && (kind == "SPT" || kind == "SPO" || kind == "KAS" || kind == "KPL")) return;
            if (skipCash && (kind == "KAS" || kind == "KPL")) return;
            if (kind == "SPT") {
                if (fromReceipts) return;
                const ZTBookedState::Goods g = booked_.Settle(SptLine(f));
                list.Current()->AddPlu(SptLine(f).Plu(), static_cast<long double>(g.quantity),
                                       static_cast<long double>(g.value), 1);
            } else if (kind == "SPO") {
                if (fromReceipts) return;
                const SpoLine spo(f);
                const ZTBookedState::Packages p = booked_.Settle(spo);
                const std::int64_t sold = p.sold, returned = p.returned;
                const std::int64_t valueSold = p.valueSold, valueReturned = p.valueReturned;
                ZTImpBuf& b = *list.Current();
                b.AddPlu(spo.Number(), static_cast<long double>(sold) - returned,
                         static_cast<long double>(valueSold) - valueReturned, 2);
                if (valueSold != 0) b.AddBottlesSaled(static_cast<long double>(valueSold));
                if (valueReturned != 0) b.AddBottlesTurned(static_cast<long double>(valueReturned));
            } else if (IsReceiptKind(kind)) {
                if (fromReceipts) {
                    if (const std::string_view* trn = closingLine(i)) {
                        TdtTools date;
                        const std::vector<std::string_view> tf = SplitFields(*trn);
                        if (date.FromString(PTrnLine(tf).DateText(), TdtTools::kCompact)) list.Select(date);
                    }
                }
                if (!list.Current()) list.Select(dataImportu);
                OnReceiptLine(line, list.Current());
            } else if (kind == "KAS") {
                ZTImpBuf& b = list.Current() ? *list.Current() : list.Select(dataImportu);
                const KasLine kas(f);
                const std::int32_t cashier = kas.Cashier();
                b.Kas_SetNumer(cashier);
                if (cashier != 0) {
                    b.Kas_SetNazwisko(kas.Name());
                    b.Kas_SetZmstart(kas.LoginTime());
                    b.Kas_SetBiez(kas.Now());
                    b.Kas_SetParagonow(kas.Receipts());
                    b.Kas_SetIlParAnulowanych(kas.Cancelled());
                    b.Kas_SetWartParAnulowanych(static_cast<long double>(kas.CancelledValue()));
                    b.Kas_SetIlStorno(kas.Voids());
                    b.Kas_SetWartStorno(static_cast<long double>(kas.VoidsValue()));
                }
                b.Kas_ActiveKasjerSection();
            } else if (kind == "KPL") {
                ZTImpBuf& b = list.Current() ? *list.Current() : list.Select(dataImportu);
                const KplLine kpl(f);
                const std::int64_t type = kpl.Type();
                if (type < 1 || type > 6) return;
                const std::int64_t amount = kpl.Amount();
                const auto a = static_cast<long double>(amount);
                switch (type) {
                    case 1: b.Kas_SetStankasy(a); break;
                    case 2: b.Kas_SetKarty(a); break;
                    case 3: {
                        const std::int64_t rate = kpl.Rate();
                        b.Kas_AddWaluta("EUR", static_cast<long double>(euroBalance(amount, rate)), a,
                                        static_cast<long double>(rate));
                        break;
                    }
                    case 4: b.Kas_SetBony(a); break;
                    case 5: b.Kas_SetCzeki(a); break;
                    default: b.Kas_SetInnefplat(a); break;
                }
            }
        };

        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = lines[i];
            if (IsIgnoredLine(line)) continue;
            OnRecord();
            // A line that cannot be read is named, so it can be found and mended.
            try {
                readLine(i, line);
            } catch (const std::exception& e) {
                throw Exception(std::string(fileName) + ", wiersz " + std::to_string(i + 1) + ": " + e.what());
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

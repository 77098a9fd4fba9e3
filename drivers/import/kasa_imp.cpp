// "kasa.imp": the host's import file of one buffer, section by section, with
// the detailed-receipt blocks at its end. Every byte of it is written here.
#include <string>

#include "drivers/import/imp_buf.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/file.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

constexpr const char* kCrLf = "\r\n";
// The writer gives the system a breath: once about 0.1 s (1.16e-6 day) has
// passed, it sleeps 20 ms after every as many rows as it managed by then.
constexpr std::uint32_t kPaceAfterMs = 100;
constexpr std::uint32_t kPaceSleepMs = 20;

char tf(bool b) { return b ? 'T' : 'N'; }

std::string stamp(double t) { return TdtTools(t).ToString(TdtTools::kCompact); }

// Unset numbers of a receipt header are written as empty fields.
std::string orEmpty(std::int32_t v) { return v == -1 ? std::string() : std::to_string(v); }

std::string noLineBreaks(std::string_view s) { return TxTools::DelAnyChar(s, "\r\n"); }

}  // namespace

// ---- detailed-receipt records ----

std::string QORPosition::ToText() const {
    std::string s = "ZAW;";
    s += orEmpty(plu);
    s += ';';
    s += FieldText(code);
    s += ';' + std::to_string(quantity) + ';' + std::to_string(value) + ';' + std::to_string(discount) + ';' +
         std::to_string(receiptNo) + ';' + stamp(dateTime) + '\n';
    return s;
}

std::string QORPayment::ToText() const {
    std::string s = "PMT;" + std::to_string(form) + ';' + std::to_string(amount) + ';' + std::to_string(multiplier) +
                    ';' + std::to_string(extra1) + ';' + std::to_string(extra2) + ';' + std::to_string(formCopy) + ';' +
                    (last ? '1' : '0') + ';' + (flag2 ? '1' : '0') + ';' + FieldText(text) + ';' + stamp(dateTime);
    if (currencyKind != -1)
        s += ';' + std::to_string(currencyKind) + ';' + FieldText(currencyName) + ';' + std::to_string(rate) + ';' +
             std::to_string(plnValue);
    s += '\n';
    return s;
}

std::string QORParagon::ToText() {
    // The header is not cut: a long card code must not take the fields after it.
    std::string s = "\r\n[Paragon nr " + std::to_string(receiptNo) + "]\r\n";
    s += open ? "KSK;" : "TRN;";
    s += std::to_string(printNo) + ';' + std::to_string(receiptNo) + ';' + std::to_string(positions_.size()) + ';' +
         std::to_string(payments_.size()) + ';' + orEmpty(cashierNo) + ';' + orEmpty(registerNo) + ';' +
         FieldText(cardCode) + ';' + orEmpty(extra1) + ';' + stamp(dateTime) + ';' + std::to_string(discount) + ';' +
         std::to_string(extra2) + "\r\n";
    if (!open)
        for (const auto& p : positions_) s += p->ToText();
    for (std::size_t i = 0; i < payments_.size(); ++i) {
        if (i + 1 == payments_.size()) payments_[i]->last = 1;
        s += payments_[i]->ToText();
    }
    return s;
}

std::string QOROther::ToText() const {
    std::string s = "\n[INNA_OPER]\n";
    switch (type) {
        case kPayIn: s += "OP_WPL;"; break;
        case kPayOut: s += "OP_WYPL;"; break;
        case kVoided: s += "OP_STORNO;"; break;
        case kCancelled: s += "OP_ANUL;"; break;
        case kOpenShift: s += "OP_OTW_ZW;"; break;
        case kCloseShift: s += "OP_ZAMK_ZM;"; break;
        default: break;
    }
    s += FieldText(printNo) + ';' + FieldText(receiptNo) + ';' + std::to_string(positions_.size()) + ';' +
         std::to_string(payments_.size()) + ';' + std::to_string(cashierNo) + ';' + std::to_string(registerNo) +
         ";;0;" + stamp(dateTime) + ";;" + FieldText(text3) + "\r\n";
    for (const auto& p : positions_) s += p->ToText();
    for (const auto& p : payments_) s += p->ToText();
    return s;
}

// ---- buffer ----

void ZTImpBuf::MakeStanKasyStr() {
    std::string s = format("KAS_NUMER;%d\r\n", kasNumer_);
    if (kasNumer_ != 0) {
        const auto i32 = [&s](const char* label, const Item<std::int32_t>& v) {
            if (v.present) s += format("%s;%d\r\n", label, v.value);
        };
        const auto ext = [&s](const char* label, const Item<long double>& v) {
            if (v.present) s += format("%s;%.0Lf\r\n", label, v.value);
        };
        const auto time = [&s](const char* label, const Item<double>& v) {
            if (v.present) s += std::string(label) + ';' + TdtTools(v.value).ToString(TdtTools::kCompact) + "\r\n";
        };
        i32("KAS_NR_KASJERA", nrKasjera_);
        if (nazwisko_.present) s += "KAS_NAZWISKO;" + FieldText(nazwisko_.value) + "\r\n";
        i32("KAS_UPRAWN", uprawn_);
        time("KAS_ZMSTART", zmstart_);
        time("KAS_BIEZ", biez_);
        ext("KAS_STANKASY", stankasy_);
        ext("KAS_KARTY", karty_);
        ext("KAS_BONY", bony_);
        ext("KAS_CZEKI", czeki_);
        ext("KAS_PRZELEWY", przelewy_);
        ext("KAS_DODFPLAT", dodfplat_);
        ext("KAS_INNEFPLAT", innefplat_);
        i32("KAS_PARAGONOW", paragonow_);
        i32("KAS_IL_PAR_ANULOWANYCH", ilParAnul_);
        ext("KAS_WART_PAR_ANULOWANYCH", wartParAnul_);
        i32("KAS_IL_STORNO", ilStorno_);
        ext("KAS_WART_STORNO", wartStorno_);
        int n = 0;
        for (const auto& w : waluty_) {
            ++n;
            s += format(
                "KAS_WAL%d_NAZWA;%s\r\nKAS_WAL%d_KURS;%.0Lf\r\nKAS_WAL%d_STAN;%.0Lf\r\nKAS_WAL%d_BILANS;%.0Lf\r\n", n,
                FieldText(w.name).c_str(), n, w.rate, n, w.amount, n, w.balance);
        }
    }
    cashText_ = std::move(s);
}

void ZTImpBuf::writeGoods(std::string& out, bool stripZeros) const {
    const std::uint32_t start = tickCount();
    std::size_t every = 0;  // N, once measured
    std::size_t done = 0;
    for (const GoodsRow& g : goods_) {
        ++done;
        if (g.save && g.quantity != 0) {
            const int id = effectiveIdent(g.identifier);
            if (id != 1 && id != 2) throw Exception(pl("ZTExpBuf::WriteToFile() - nieprawidłowy ident"));
            std::string code = FieldText(g.code);
            if (stripZeros) {
                std::size_t cut = 0;
                while (code.size() - cut >= 2 && code[cut] == '0') ++cut;
                code.erase(0, cut);
            }
            out += "PLU;";
            if (id == 1) out += code;
            out += ';';
            if (id == 2) out += code;
            out += format(";%.0Lf;%.0Lf\r\n", g.quantity, g.value);
        }
        if (every == 0) {
            // The first measured count can be 0 rows; pacing needs N >= 1.
            if (static_cast<std::uint32_t>(tickCount() - start) > kPaceAfterMs) every = done;
        } else if (done % every == 0) {
            sleepMs(kPaceSleepMs);
        }
    }
}

void ZTImpBuf::writeSections(std::string& out) {
    out += "\r\n[OPERACJE]\r\n";
    for (const auto& p : params_)
        out += "KASPAR;" + TxTools::Chars2Char(noLineBreaks(p.first) + '=' + noLineBreaks(p.second), "=", ';') + kCrLf;

    out += "\r\n[RAPORT_GODZINOWY]\r\n";
    for (int h = 0; h < 24; ++h) {
        const HourRow& r = hours_[static_cast<std::size_t>(h)];
        if (r.value != 0) out += format("GODZ;%d;%.0Lf;%d;%d\r\n", h, r.value, r.receipts, r.lines);
    }

    out += "\r\n[RAPORT_WALUTOWY]\r\n";
    for (const auto& e : exchanges_) out += "WALUTA;" + e.first + ';' + std::to_string(e.second) + kCrLf;

    out += "\r\n[FINANSOWE]\r\n";
    if (!fiskZPlu)
        for (const auto& t : taxes_) out += format("VAT;%d;%.0Lf;%.0Lf;%.0Lf\r\n", t.slot, t.netto, t.vat, t.brutto);
    out +=
        format("WPLATY;%.0Lf\r\nWYPLATY;%.0Lf\r\nRABATY;%.0Lf\r\nZWROT_OPAKOWAN;%.0Lf\r\nSPRZEDAZ_OPAKOWAN;%.0Lf\r\n",
               payIn_, payOut_, discounts_, bottlesTurned_, bottlesSaled_);
    out += format("FPLATN_BON;%.0Lf\r\nFPLATN_CZEK;%.0Lf\r\nFPLATN_KARTA;%.0Lf\r\nFPLATN_INNE;%.0Lf\r\n", vouchers_,
                  cheques_, cards_, others_);
    out += format("IL_KOSZYKOW;%d\r\nIL_LINII_PAR;%d\r\n", baskets_, lines_);

    if (kasActive_) MakeStanKasyStr();
    if (!cashText_.empty()) {
        std::size_t end = cashText_.size();
        while (end > 0 && (cashText_[end - 1] == '\r' || cashText_[end - 1] == '\n')) --end;
        out += "\r\n[STAN_KASY]\r\n";
        out.append(cashText_, 0, end);
        out += kCrLf;
    }

    out += "\r\n[FLAGI]\r\n";
    out += "DATA_SPRZEDAZY;" + saleDate.ToString(TdtTools::kCompact) + kCrLf;
    out += format(
        "FISK_Z_PLU;%c\r\nNADPISZ_FISK;%c\r\nNADPISZ_OPAK;%c\r\nPODSUMUJ_OPAK;%c\r\nNADPISZ_PLU;%c\r\nDOKLEJ_PLU;%"
        "c\r\n",
        tf(fiskZPlu), tf(nadpiszFisk), tf(nadpiszOpak), tf(podsumujOpak), tf(nadpiszPlu), tf(doklejPlu));
}

void ZTImpBuf::writeReceiptBlocks(std::string& out) {
    // Written or not, the records are released: the slots stay, emptied.
    for (auto& r : receipts_) {
        if (r && writeReceipts) out += r->ToText();
        r.reset();
    }
    for (auto& o : others_list_) {
        if (o && writeReceipts) out += o->ToText();
        o.reset();
    }
}

std::string ZTImpBuf::WriteToText(bool stripZeros) {
    std::string out = "[TOWAROWE]\r\n";
    out.reserve(goods_.size() * 32 + 1024);
    writeGoods(out, stripZeros);
    writeSections(out);
    writeReceiptBlocks(out);
    return out;
}

void ZTImpBuf::WriteToFile(TMFile& f, bool stripZeros) { f.Write(WriteToText(stripZeros)); }

void ZTImpBuf::Save(const std::string& file, bool stripZeros) {
    // The host never picks up half a file: the whole text goes in one rename.
    writeFileWhole(file, WriteToText(stripZeros), file + ".tmp");
}

}  // namespace zt

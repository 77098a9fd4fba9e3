// The host import file "kasa.imp" of one buffer.
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

std::string noLineBreaks(std::string_view s) { return TxTools::DelAnyChar(s, "\r\n"); }

}  // namespace

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

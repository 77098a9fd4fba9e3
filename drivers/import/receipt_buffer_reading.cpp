#include "drivers/import/receipt_buffer_reading.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/import/import_run.h"
#include "drivers/import/receipt_records.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/text.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

// Appends ";" and each value.
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

void ReadReceiptBuffer(TZTComboAction& a, ImportRun& run) {
    TComboLink& link = a.Link();
    link.statusT = 0;
    link.statusW = 0;
    run.unfinished.Begin();
    a.Postep(T("TZTComboReadParaMsgAdd", "- import paragonów szczegółowych..."), 4);
    bool fillWarning = false;
    int counter = 0;
    run.lastRecordRepeats = false;
    for (bool first = true;; first = false) {
        link.ThrowIfAborted();
        try {
            link.SendCommand(cmdSALERECGET, {link.EncodeB(first ? 0 : 1)});
        } catch (...) {
            // A refusal or a transmission status: the request was not run, the
            // record in "combo.imp" comes again. Without any answer the request
            // is taken as run: the record was confirmed.
            if (!link.linkOk && link.statusT == 0) run.lastRecordRepeats = false;
            throw;
        }
        run.lastRecordRepeats = false;  // confirmed by this request
        if (link.statusW == code::kNoMoreReceipts) break;
        if (link.answer[0].AsB() == 1) fillWarning = true;
        a.KrokPostepu(counter);
        const std::string line = ReceiptRecordLine(link.answer, link.deviceFamily);
        if (line.empty()) continue;
        link.CommLog("<-", line);
        run.Append(line);
        run.lastRecordRepeats = true;
        run.unfinished.Note(line);
    }
    a.PostepTryb(0);
    run.unfinished.Complete();
    if (fillWarning)
        a.Komunikat(1, trc("ReadParaDodajKomQORDLL_Z", pl("UWAGA! Osiągnięto niebezpieczny poziom zapełnienia bufora "
                                                          "paragonów! Zwiększ częstotliwość importów")));
}

}  // namespace zt

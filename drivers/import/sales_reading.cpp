#include "drivers/import/sales_reading.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/import_run.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

std::string goodsLine(const TComboDataSet& a) {
    return SptLine::Format(a[0].AsV(), a[1].AsN64(), a[2].AsN64(), a[3].AsN64(), a[4].AsB(), a[5].AsB(), a[6].AsV());
}

std::string packageLine(const TComboDataSet& a) {
    return SpoLine::Format(a[0].AsV(), a[1].AsN64(), a[2].AsN64(), a[3].AsN64(), a[4].AsN64(), a[5].AsN64());
}

}  // namespace

void ReadPluSale(TZTComboAction& a, const ImportRun& run, int kind) {
    if (kind != static_cast<int>(SalesKind::Goods) && kind != static_cast<int>(SalesKind::Packages))
        throw Exception(T("TZTComboReadPluSExceptio", "ReadPluSale(): nieznany typ danych statystycznych"));
    const bool goods = kind == static_cast<int>(SalesKind::Goods);
    TComboLink& link = a.Link();
    a.Postep(goods ? T("TZTComboReadPluSmsg", " - odczyt sprzedaży towarów ...")
                   : T("TZTComboReadPluSmsg_00001", " - odczyt sprzedaży opakowań ..."),
             4);
    try {
        int counter = 0;
        link.ReadContext(
            goods ? cmdCNTXPLUINIT : cmdCNTXPACKINIT, {link.EncodeB(2), link.EncodeB(2)},
            goods ? cmdPLUSTATREAD : cmdPACKSTATREAD, {link.EncodeV(0), link.EncodeB(1)},
            [&] {
                a.KrokPostepu(counter);
                run.Append(goods ? goodsLine(link.answer) : packageLine(link.answer));
            },
            {}, [&] { link.ThrowIfAborted(); });
        a.PostepTryb(0);
    } catch (...) {
        a.PostepTryb(1);
        throw;
    }
}

void FiscalDailyReport(TZTComboAction& a) {
    TComboLink& link = a.Link();
    a.Postep(pl("Odczyt statusu baz kasy..."), 5);
    link.SendCommand(cmdDBSTATUSGET, {});
    a.PostepTryb(0);
    if (link.answer[1].AsB() != 1) {
        a.Postep(pl("Zerowe totalizery - raport dobowy nie został wykonany"), 2);
        return;
    }
    a.Postep(pl("Odczyt daty i czasu..."), 5);
    link.SendCommand(cmdDATEGET, {});
    // The fields go back to the register exactly as it sent them.
    const std::string day = link.answer[0].Raw(), month = link.answer[1].Raw(), year = link.answer[2].Raw();
    link.SendCommand(cmdTIMEGET, {});
    const std::string hour = link.answer[0].Raw(), minute = link.answer[1].Raw();
    a.PostepTryb(0);
    a.Postep(pl("Raport dobowy fiskalny..."), 5);
    link.SendCommand(cmdREPFSKDAILY, {day, month, year, hour, minute});
    a.PostepTryb(0);
}

void ReadCardFormat(TZTComboAction& a, ImportRun& run) {
    TComboLink& link = a.Link();
    if (link.deviceFamily < 5 || a.ParametrInt("ComboCardFormatFull") == 0) return;
    a.Postep(T("TZTComboReadDiscMsgAdd", "- odczyt formatu kart rabatowych..."), 5);
    link.SendCommand(cmdDISCNTCARDCFGGETEX, {});
    const std::string format = link.answer[3].AsS();
    const std::size_t first = format.find('N');
    run.cardPos = 0;
    run.cardLen = 0;
    if (first != std::string::npos) {
        std::size_t end = first;
        while (end < format.size() && format[end] == 'N') ++end;
        run.cardPos = static_cast<int>(first) + 1;
        run.cardLen = static_cast<int>(end - first);
    }
    a.PostepTryb(0);
}

}  // namespace zt

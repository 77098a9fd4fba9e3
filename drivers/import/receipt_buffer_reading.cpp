#include "drivers/import/receipt_buffer_reading.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/import_run.h"
#include "drivers/import/receipt_records.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/text.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

}  // namespace

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
            // record in "combo.imp" comes again. Without any answer (the line
            // failed, or the user stopped the wait) the request is taken as
            // run: the record was confirmed.
            const bool refused = link.statusT != 0 || (link.linkOk && link.statusW != 0);
            if (!refused) run.lastRecordRepeats = false;
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

#include "drivers/import/import_driver.h"

#include <exception>

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/combo/connection_check.h"
#include "drivers/import/booked_state.h"
#include "drivers/import/cash_state.h"
#include "drivers/import/combo_imp_lines.h"
#include "drivers/import/imp_buf_list.h"
#include "drivers/import/import_run.h"
#include "drivers/import/order_document.h"
#include "drivers/import/receipt_booking.h"
#include "drivers/import/receipt_buffer_reading.h"
#include "drivers/import/receipt_tmp.h"
#include "drivers/import/sales_reading.h"
#include "drivers/import/save_journal.h"
#include "drivers/import/save_to_host.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fs.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

bool withoutReceiptBuffer(int family) { return family >= 1 && family <= 4; }

// Everything the register holds for the host, onto the end of "combo.imp".
void readRegister(TZTComboAction& a, ImportRun& run) {
    TComboLink& link = a.Link();
    run.Append(fileExists(run.dir + kReceiptTmpName) ? std::string("\r\n") + kPendingComment + "\r\n" : "\r\n");
    if (!CheckRegisterNumber(a)) throw Exception(T("TZTComboImportExceptio_00001", "Niezgodny numer urządzenia!"));
    if (a.ParametrInt("ComboFiscalReport") != 0) FiscalDailyReport(a);
    ReadPluSale(a, run, static_cast<int>(SalesKind::Goods));
    ReadPluSale(a, run, static_cast<int>(SalesKind::Packages));
    ReadCardFormat(a, run);
    if (!withoutReceiptBuffer(link.deviceFamily)) ReadReceiptBuffer(a, run);
    ReadCashState(a, run);
    run.Append(kReadingCompleteComment);
}

// One processing of "combo.imp": its buffers go to the host, its orders to
// the EDI folder, and only then the file goes. Each starts with no receipt
// open and no order; what an earlier processing of the same file did, as its
// journal says, is not done again.
//
// The counters and the cash state are the register's state, read again by
// every reading, and a leftover's are older than those of the reading that
// follows it: they go to the host with that reading. The host gets a
// leftover's only when it stored them before (the process ended before the
// cleanup); then the following reading books the counters less those, and
// the file that reading starts says so ("# BOOKED" lines).
void process(TZTComboAction& a, ZTImpBufList& list, ImportRun& run, bool leftover) {
    const std::string text = readFileWhole(run.ComboImp());
    ZTSaveJournal journal(run.ComboImp(), text);
    const std::unique_ptr<ZTReceiptImpReader> reader = ReadComboImp(a, list, run, text, !leftover);
    std::string next;
    if (leftover) {
        // Whether the host stored this file's state: a whole reading whose
        // state went with a save the journal knows as stored.
        const bool booked = journal.ReadingComplete() && !journal.StateDropped() && reader->StateDate() != 0 &&
                            journal.Saved(TdtTools(reader->StateDate()), a.Parametr(kLastSaveParameter));
        if (journal.ReadingComplete() && !booked && !journal.StateDropped()) journal.MarkStateDropped();
        next = (booked ? ZTBookedState::Read(text) : ZTBookedState::Booked(text)).Lines();
    }
    // A file that ends inside a receipt (a reading killed, or the register
    // still ringing it up) hands those lines to the next reading. The file
    // transport reads no receipt buffer: nothing of its file continues there.
    if (a.Config().transport != TransportKind::File) {
        bool repeated = false;
        ForNextReading(text, &repeated);
        CarryOverReceipt(run.dir, reader->Receipts().LeftoverLines(), repeated);
    }
    SaveToHost(a, list, journal);
    list.Clear();
    WriteOrderDocument(a, reader->Receipts().Orders(), journal);
    EndSave(a, next.empty() ? nullptr : &next);
}

// The lines of the receipt cut off by the failure wait in "receipt.tmp"; a
// failure of that is shown, the reading's own failure is the one reported.
void keepUnfinished(TZTComboAction& a, ImportRun& run) {
    try {
        run.unfinished.Save(run.dir, run.lastRecordRepeats, a.Tlumacz());
    } catch (const std::exception& e) {
        a.Postep(e.what(), 1);
    }
}

}  // namespace

void Import(TZTComboAction& a) {
    ImportRun run(a.KatalogRoboczy());
    ZTImpBufList list;
    TComboLink& link = a.Link();
    if (a.Config().transport == TransportKind::File) {
        if (!fileExists(run.ComboImp()))
            throw Exception(T("TZTComboImportExceptio", "Ustawione złącze na PLIK, a brak pliku combo.imp!"));
        // Another program wrote this file; only a file this plug-in appends to
        // can end in a record it cut. Its last line counts as it stands.
        if (const std::string text = readFileWhole(run.ComboImp()); !text.empty() && !HasLineEnd(text))
            appendFileNoFollow(run.ComboImp(), "\r\n");
        process(a, list, run, false);
        return;
    }
    try {
        // The register is identified first: a leftover is read in the mode
        // the register really has (without a receipt buffer, its counters).
        link.OpenLink();
        if (fileExists(run.ComboImp())) {
            a.Postep(T("TZTComboImportMsgAdd",
                       "Import z zaległego pliku combo.imp! Coś się nie udało przy ostatnim imporcie!"),
                     2);
            MergeIntoLeftover(run.dir, a.Tlumacz());
            process(a, list, run, true);
        }
        try {
            readRegister(a, run);
        } catch (const std::exception& e) {
            a.Postep(e.what(), 1);
            keepUnfinished(a, run);
            throw;
        } catch (...) {
            keepUnfinished(a, run);
            throw;
        }
        if (fileExists(run.ComboImp())) {
            if (fileExists(run.dir + kReceiptTmpName)) a.Postep(MergeProgressText(), 2);
            MergeReceiptTmp(run.dir, a.Tlumacz());
            process(a, list, run, false);
        }
    } catch (...) {
        list.Clear();
        link.CloseLinkAfterFailure();
        throw;
    }
    link.CloseLink();
}

void RefuseClearingWithUnsettledCounters(TZTComboAction& a) {
    if (a.Config().transport == TransportKind::File) return;  // that "combo.imp" is another program's
    if (HoldsUnsettledCounters(ImportRun(a.KatalogRoboczy()).ComboImp()))
        throw Exception(T("TZTComboResetSalExceptio_00001",
                          "Zaległy plik combo.imp zawiera nierozliczone liczniki sprzedaży! Najpierw wykonaj import "
                          "z kasy."));
}

void RefuseImportParameters(TZTComboAction&) {
    throw Exception(
        trc("TZTComboImportPaExceptio", pl("Wykonaj normalny import z kasy z włączonym importem par. szczegółowych")));
}

}  // namespace zt

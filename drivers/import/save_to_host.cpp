#include "drivers/import/save_to_host.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "drivers/import/booked_state.h"
#include "drivers/import/imp_archive.h"
#include "drivers/import/imp_buf_list.h"
#include "drivers/import/import_run.h"
#include "drivers/import/own_file.h"
#include "drivers/import/receipt_booking.h"
#include "drivers/import/sales_total.h"
#include "drivers/import/save_journal.h"
#include "drivers/import/weighed_code.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/fs.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

// The reading of "combo.imp" with its counting progress line.
class ProgressReader : public ZTReceiptImpReader {
public:
    ProgressReader(TZTComboAction& a, ZTReceiptReaderSettings settings)
        : ZTReceiptImpReader(std::move(settings)), a_(a) {}

protected:
    void OnStart(const std::string& text) override { a_.Postep(text, 4); }
    void OnRecord() override { a_.KrokPostepu(counter_); }
    void OnEnd(bool ok) override { a_.PostepTryb(ok ? 0 : 1); }

private:
    TZTComboAction& a_;
    int counter_ = 0;
};

ZTReceiptReaderSettings receiptSettings(TZTComboAction& a, const ImportRun& run) {
    const ComboConfig& c = a.Config();
    ZTReceiptReaderSettings s;
    s.codeAsIdentifier = c.towIdParag == 1;
    // Weighed goods and the register's code range come back in the host's
    // form; a code the host's formats cannot turn is kept as the register sent it.
    const std::vector<std::string>* formats = &a.ListaTekstow();
    s.convertCode = [&c, formats](std::string_view code) {
        try {
            return TKodWazony(formats).KonwertujKodRaportu(code, c.kwKodPocz, c.kwKodKonc, c.weighedFormat);
        } catch (const std::exception&) {
            return std::string(code);
        }
    };
    s.cardPosition = run.cardPos;
    s.cardLength = run.cardLen;
    return s;
}

// Print number of the buffer's last receipt, or the given one when it holds none;
// whether any of its receipts carries a print number.
std::int32_t lastPrintNo(const ZTImpBuf& b, std::int32_t previous, bool& numbered) {
    numbered = false;
    for (int i = 0; i < b.GetReceiptsCount(); ++i)
        if (const QORParagon* p = b.GetReceipts(i); p && p->printNo >= 0) numbered = true;
    for (int i = b.GetReceiptsCount() - 1; i >= 0; --i)
        if (const QORParagon* p = b.GetReceipts(i)) return p->printNo;
    return previous;
}

// A save step failed: the status line says so after its last text.
void failed(TZTComboAction& a) {
    a.Status(2, a.OstatniKomunikat(true) + kProgressSep + trc("ComboSaveImpBZmienOstSEP", pl("Błąd!")));
}

}  // namespace

std::unique_ptr<ZTReceiptImpReader> ReadComboImp(TZTComboAction& a, ZTImpBufList& list, const ImportRun& run,
                                                 std::string_view text, bool stateLines) {
    list.Clear();
    ZTImpBufSettings s;
    s.doklejPlu = a.ParametrInt("ComboDokPlu") != 0;
    s.salesFromReceipts = a.Link().receiptBufferMode;
    s.writeReceipts = a.ParametrInt("ComboImpReceipts") != 0;
    list.SetSettings(s);
    auto reader = std::make_unique<ProgressReader>(a, receiptSettings(a, run));
    reader->SkipStateLines(!stateLines);
    reader->SetBooked(ZTBookedState::Booked(text));
    reader->ReadText(text, list, TdtTools(a.ParametrData("DataImportu")));
    return reader;
}

void SaveToHost(TZTComboAction& a, ZTImpBufList& list, ZTSaveJournal& journal) {
    const std::string dir = a.KatalogRoboczy();
    TComboLink& link = a.Link();
    try {
        const std::string hostToken = a.Parametr(kLastSaveParameter);
        std::int32_t last = 0;
        for (int i = 0; i < list.Count(); ++i) {
            ZTImpBuf& b = list.At(i);
            bool numbered = false;
            last = lastPrintNo(b, last, numbered);
            // A processing cut short is taken up again: what the host stored
            // then is not stored twice.
            if (journal.Saved(b.saleDate, hostToken)) {
                if (!journal.Saved(b.saleDate)) journal.MarkSaved(b.saleDate);
                list.Release();
                continue;
            }
            // The host already holds this day's receipts: their sums must not
            // be booked again. A receipt left over from before the register was
            // identified tells by its print number. The host stores the number
            // with each buffer, so it is read for each.
            const std::int32_t stored = a.ParametrInt("ComboLastReceipt");
            const bool already = stored >= last && link.receiptBufferMode && (link.deviceFamily != 0 || numbered);
            const char* key = "TZTComboSaveImpBmsg";
            if (already) {
                if (b.GetReceiptsCount() > 0) b.Clear();
                key = "TZTComboSaveImpBmsg_00001";
            } else {
                b.AddParameter("ComboLastReceipt", std::to_string(last));
            }
            b.AddParameter(kLastSaveParameter, journal.Token(b.saleDate));
            b.Save(a.PlikImportu(), false);
            if (!fileExists(a.PlikImportuTymczasowy()))
                writeFileWhole(a.PlikImportuTymczasowy(), readFileWhole(a.PlikImportu()), dir + "kasa.tmp.new");
            ArchiveKasaImp(dir, a.Tlumacz());
            PokazSumeSprzedazy(a, b);
            a.Komunikat(0, trc(key, pl("Zapis do bazy ")) + b.saleDate.ToString(TdtTools::kDate) + " (" +
                               b.saleDate.DayName() + "):");
            journal.MarkSaving(b.saleDate);
            a.ZapiszKasaSprzedaz();
            journal.MarkSaved(b.saleDate);
            ArchiveComboImp(dir, a.Tlumacz());
            list.Release();
        }
    } catch (...) {
        failed(a);
        throw;
    }
}

void EndSave(TZTComboAction& a, const std::string* nextComboImp) {
    try {
        const std::string path = a.KatalogRoboczy() + "combo.imp";
        if (nextComboImp)
            writeFileWhole(path, *nextComboImp, path + ".new");
        else
            RemoveOwnFile(path);
        if (fileExists(a.PlikImportuTymczasowy())) RemoveOwnFile(a.PlikImportuTymczasowy());
    } catch (...) {
        failed(a);
        throw;
    }
}

}  // namespace zt

#include "import/save_to_host.h"

#include "import/combo_imp_reader.h"
#include "import/imp_archive.h"
#include "import/imp_buf_list.h"
#include "import/sales_total.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/fs.h"
#include "platform/whole_file.h"
#include "plugin/combo_action.h"
#include "plugin/module.h"

namespace zt {
namespace {

// The reading of "combo.imp" with its counting progress line.
class ProgressReader : public ZTComboImpReader {
public:
    ProgressReader(TZTComboAction& a, const ReceiptLineSink& sink) : a_(a), sink_(sink) {}

protected:
    void OnStart(const std::string& text) override { a_.Postep(text, 4); }
    void OnRecord() override { a_.KrokPostepu(counter_); }
    void OnEnd(bool ok) override { a_.PostepTryb(ok ? 0 : 1); }
    void OnReceiptLine(std::string_view line, ZTImpBuf* buffer) override {
        if (sink_) sink_(line, buffer);
    }

private:
    TZTComboAction& a_;
    const ReceiptLineSink& sink_;
    int counter_ = 0;
};

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

}  // namespace

void ReadComboImp(TZTComboAction& a, ZTImpBufList& list, const ReceiptLineSink& receiptLine) {
    list.Clear();
    ZTImpBufSettings s;
    s.doklejPlu = a.ParametrInt("ComboDokPlu") != 0;
    s.salesFromReceipts = a.Link().receiptBufferMode;
    s.writeReceipts = a.ParametrInt("ComboImpReceipts") != 0;
    list.SetSettings(s);
    ProgressReader reader(a, receiptLine);
    reader.Read(a.KatalogRoboczy() + "combo.imp", list, TdtTools(a.ParametrData("DataImportu")));
}

void SaveToHost(TZTComboAction& a, ZTImpBufList& list) {
    const std::string dir = a.KatalogRoboczy();
    TComboLink& link = a.Link();
    try {
        const std::int32_t stored = a.ParametrInt("ComboLastReceipt");
        std::int32_t last = 0;
        for (int i = 0; i < list.Count(); ++i) {
            ZTImpBuf& b = list.At(i);
            bool numbered = false;
            last = lastPrintNo(b, last, numbered);
            // The host already holds this day's receipts: their sums must not
            // be booked again. A receipt left over from before the register was
            // identified tells by its print number.
            const bool already = stored >= last && link.receiptBufferMode && (link.deviceFamily != 0 || numbered);
            const char* key = "TZTComboSaveImpBmsg";
            if (already) {
                if (b.GetReceiptsCount() > 0) b.Clear();
                key = "TZTComboSaveImpBmsg_00001";
            } else {
                b.AddParameter("ComboLastReceipt", std::to_string(last));
            }
            b.Save(a.PlikImportu(), false);
            if (!fileExists(a.PlikImportuTymczasowy()))
                writeFileWhole(a.PlikImportuTymczasowy(), readFileWhole(a.PlikImportu()), dir + "kasa.tmp.new");
            ArchiveKasaImp(dir, a.Tlumacz());
            PokazSumeSprzedazy(a, b);
            a.Komunikat(0, trc(key, pl("Zapis do bazy ")) + b.saleDate.ToString(TdtTools::kDate) + " (" +
                               b.saleDate.DayName() + "):");
            a.ZapiszKasaSprzedaz();
            ArchiveComboImp(dir, a.Tlumacz());
            list.Release();
        }
        deleteFile(dir + "combo.imp");
        deleteFile(a.PlikImportuTymczasowy());
    } catch (...) {
        a.Status(2, a.OstatniKomunikat(true) + kProgressSep + trc("ComboSaveImpBZmienOstSEP", pl("Błąd!")));
        throw;
    }
}

}  // namespace zt

#include "drivers/import/order_document.h"

#include "drivers/combo/combo_action.h"
#include "drivers/import/edi_orders.h"
#include "drivers/import/kept_orders.h"
#include "drivers/import/save_journal.h"
#include "drivers/import/weighed_code.h"
#include "platform/fs.h"

namespace zt {

void WriteOrderDocument(TZTComboAction& a, const ZTOrderList& orders, ZTSaveJournal& journal) {
    if (journal.EdiWritten()) return;
    ZTKeptOrders kept(a.KatalogRoboczy());
    // Kept by this processing before a kill that came before its note.
    if (kept.Holds(journal.RecordsHash())) {
        journal.MarkEdiWritten();
        return;
    }
    if (orders.Empty() && kept.Empty()) return;
    // The orders an earlier import kept come first, in their order.
    ZTOrderList all;
    for (const std::string& line : kept.Lines()) all.AddStored(line);
    for (const std::string& line : orders.Lines()) all.AddStored(line);
    ZTEdiSettings s;
    s.folder = a.Config().ediFolder;
    s.ordersAs = a.ParametrInt("ComboOrdersAs");
    s.warehouse = a.Parametr("ComboOrdersMagNo");
    s.registerNo = a.NumerKasy();
    s.registerText = a.Tekst1();
    s.today = TdtTools::Now();
    const std::vector<std::string>* formats = &a.ListaTekstow();
    s.normalizeCode = [formats](std::string_view code) {
        try {
            return TKodWazony(formats).NormalizujPoPrzedrostku(code);
        } catch (const std::exception&) {
            return std::string(code);
        }
    };
    // The sales are stored by now: orders that cannot reach the EDI folder
    // wait in the working directory instead of holding up every import.
    const auto keep = [&](const std::exception& e) {
        if (!orders.Empty()) kept.Keep(journal.RecordsHash(), orders.Lines());
        journal.MarkEdiWritten();
        a.Komunikat(1, ZTKeptOrders::Message(kept.Path(), e.what()));
    };
    // The number is written down before the document: taken up again, the
    // processing writes the same document, never a second one.
    if (journal.EdiPlanned()) {
        TdtTools day;
        if (day.FromString(journal.EdiDay() + "000000000", TdtTools::kCompact)) s.today = day;
    } else {
        int number = 0;
        try {
            number = FreeEdiNumber(s);
        } catch (const std::exception& e) {
            keep(e);
            return;
        }
        journal.MarkEdiPlanned(s.today.ToString(TdtTools::kCompact).substr(0, 8), number);
    }
    const std::string name = EdiDocumentName(s, journal.EdiNumber());
    try {
        if (!fileExists(withTrailingSeparator(s.folder) + name)) WriteEdiOrdersAs(all, s, journal.EdiNumber());
    } catch (const std::exception& e) {
        keep(e);
        return;
    }
    kept.Remove();
    journal.MarkEdiWritten();
    a.Komunikat(1, EdiCreatedMessage(name));
}

}  // namespace zt

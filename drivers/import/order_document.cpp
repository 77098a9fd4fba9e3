#include "drivers/import/order_document.h"

#include "drivers/combo/combo_action.h"
#include "drivers/import/edi_orders.h"
#include "drivers/import/save_journal.h"
#include "drivers/import/weighed_code.h"
#include "platform/fs.h"

namespace zt {

void WriteOrderDocument(TZTComboAction& a, const ZTOrderList& orders, ZTSaveJournal& journal) {
    if (orders.Empty() || journal.EdiWritten()) return;
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
    // The number is written down before the document: taken up again, the
    // processing writes the same document, never a second one.
    if (journal.EdiPlanned()) {
        TdtTools day;
        if (day.FromString(journal.EdiDay() + "000000000", TdtTools::kCompact)) s.today = day;
    } else {
        journal.MarkEdiPlanned(s.today.ToString(TdtTools::kCompact).substr(0, 8), FreeEdiNumber(s));
    }
    const std::string name = EdiDocumentName(s, journal.EdiNumber());
    if (!fileExists(withTrailingSeparator(s.folder) + name)) WriteEdiOrdersAs(orders, s, journal.EdiNumber());
    journal.MarkEdiWritten();
    a.Komunikat(1, EdiCreatedMessage(name));
}

}  // namespace zt

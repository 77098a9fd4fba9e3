#include "import/order_document.h"

#include "export/weighed_code.h"
#include "import/edi_orders.h"
#include "plugin/combo_action.h"

namespace zt {

void WriteOrderDocument(TZTComboAction& a, const ZTOrderList& orders) {
    if (orders.Empty()) return;
    ZTEdiSettings s;
    s.folder = a.Config().ediFolder;
    s.ordersAs = a.Parametr("ComboOrdersAs").empty() ? 1 : a.ParametrInt("ComboOrdersAs");
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
    const std::string name = WriteEdiOrders(orders, s);
    if (!name.empty()) a.Komunikat(1, EdiCreatedMessage(name));
}

}  // namespace zt

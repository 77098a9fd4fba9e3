#include "drivers/import/sales_total.h"

#include "action/action_base.h"
#include "action/module.h"
#include "drivers/import/imp_buf.h"
#include "platform/cp1250.h"
#include "platform/text.h"

namespace zt {

void PokazSumeSprzedazy(TZTActionBase& a, const ZTImpBuf& b) {
    // Through double: the Windows runtime has no long double in printf.
    const double total = static_cast<double>(b.GetTotalValue() / 100);
    const std::string basis = b.fiskZPlu ? "(w/g PLU)" : "(w/g finans.)";
    a.Postep(format(pl(" ------ WARTOŚĆ SPRZEDAŻY:     %.02f zł. %s ------").c_str(), total, basis.c_str()), 5);
}

}  // namespace zt

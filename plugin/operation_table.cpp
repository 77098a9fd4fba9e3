#include "plugin/operation_table.h"

#include "drivers/combo/connection_check.h"
#include "drivers/export/export_driver.h"
#include "drivers/goods_import/goods_import.h"
#include "drivers/import/import_driver.h"
#include "drivers/service/service_windows.h"
#include "link/combo_link.h"

namespace zt {
namespace {

// Clearing the counters waits until the import has settled those of a leftover.
void clearSales(TZTComboAction& a) {
    RefuseClearingWithUnsettledCounters(a);
    ResetSal(a);
}
void clearGoodsBase(TZTComboAction& a) {
    RefuseClearingWithUnsettledCounters(a);
    ResetAll(a, true);
}
// The clearing export empties the goods base, and the counters with it.
void exportGoods(TZTComboAction& a) {
    if (a.ParametrInt("RodzajTransmisji") == 3 && a.ParametrInt("ComboKasTowMax") == 1)
        RefuseClearingWithUnsettledCounters(a);
    Eksport(a);
}
// Both check for a serial port themselves.
void configureModem(TZTComboAction& a) { a.Link().ConfigureRegisterModem(); }
void hangUpModem(TZTComboAction& a) { a.Link().ModemHangUp(); }

constexpr ComboOperation kOperations[] = {
    {-1, TestConnection}, {-2, exportGoods}, {-5, exportGoods}, {-3, Import}, {-6, Import}, {-4, RefuseImportParameters},
};

constexpr ComboOperation kWindows[] = {
    {1, clearSales},     {2, clearGoodsBase},      {3, configureModem},
    {4, hangUpModem},    {5, CommunicationReport}, {6, ImportTowarowDoHosta},
};

}  // namespace

const ComboOperations& ComboOperationTable() {
    static constexpr ComboOperations table{kOperations, kWindows};
    return table;
}

}  // namespace zt

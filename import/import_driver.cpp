#include "import/import_driver.h"

#include <exception>

#include "import/cash_state.h"
#include "import/imp_buf_list.h"
#include "import/import_run.h"
#include "import/receipt_reading.h"
#include "import/sales_reading.h"
#include "import/save_to_host.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/fs.h"
#include "plugin/combo_action.h"
#include "plugin/connection_test.h"
#include "plugin/module.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

bool withoutReceiptBuffer(int family) { return family >= 1 && family <= 4; }

// Everything the register holds for the host, onto the end of "combo.imp".
void readRegister(TZTComboAction& a, ImportRun& run) {
    TComboLink& link = a.Link();
    run.Append("\r\n");
    if (!CheckRegisterNumber(a)) throw Exception(T("TZTComboImportExceptio_00001", "Niezgodny numer urządzenia!"));
    if (a.ParametrInt("ComboFiscalReport") != 0) FiscalDailyReport(a);
    ReadPluSale(a, run, static_cast<int>(SalesKind::Goods));
    ReadPluSale(a, run, static_cast<int>(SalesKind::Packages));
    ReadCardFormat(a, run);
    if (!withoutReceiptBuffer(link.deviceFamily)) ReadReceiptBuffer(a, run);
    ReadCashState(a, run);
}

// One processing of "combo.imp": its buffers go to the host.
void process(TZTComboAction& a, ZTImpBufList& list, const ImportRun& run) {
    ReadComboImp(a, list, ReceiptLineSink());
    SaveToHost(a, list);
    list.Clear();
}

}  // namespace

void Import(TZTComboAction& a) {
    ImportRun run(a.KatalogRoboczy());
    ZTImpBufList list;
    TComboLink& link = a.Link();
    if (a.Config().transport == TransportKind::File) {
        if (!fileExists(run.ComboImp()))
            throw Exception(T("TZTComboImportExceptio", "Ustawione złącze na PLIK, a brak pliku combo.imp!"));
        process(a, list, run);
        return;
    }
    try {
        if (fileExists(run.ComboImp())) {
            a.Postep(T("TZTComboImportMsgAdd",
                       "Import z zaległego pliku combo.imp! Coś się nie udało przy ostatnim imporcie!"),
                     2);
            process(a, list, run);
        }
        link.OpenLink();
        try {
            readRegister(a, run);
        } catch (const std::exception& e) {
            a.Postep(e.what(), 1);
            // The lines of the receipt being read wait for the next import.
            throw;
        }
        if (fileExists(run.ComboImp())) process(a, list, run);
    } catch (...) {
        list.Clear();
        link.CloseLinkAfterFailure();
        throw;
    }
    link.CloseLink();
}

}  // namespace zt

#include "plugin/combo_action.h"

#include "export/export_driver.h"
#include "import/goods_import.h"
#include "import/import_driver.h"
#include "import/service_ops.h"
#include "link/combo_link.h"
#include "plugin/connection_test.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "plugin/module.h"

namespace zt {

TZTComboAction::TZTComboAction(TZTLibrary& library, std::int32_t session, std::shared_ptr<LinkFactory> factory)
    : ZTAction(library, session), factory_(std::move(factory)) {}

// The link closes itself (and unlocks the card server) before the action goes.
TZTComboAction::~TZTComboAction() = default;

std::string TZTComboAction::NazwaZasobu() {
    const std::string port = Parametr("ComboPort");
    if (port != trc("SComboNazwaZasifWartoscP", "PLIK")) return port;
    return KatalogRoboczy() + "combo.exp";
}

bool TZTComboAction::JakSzukacParagonu(std::int32_t* printout, std::int32_t* second, std::int32_t* receipt) {
    auto number = [this](const char* key) {
        const int v = TxTools::StrToIntDef(Parametr(key), -1);
        return v == 0 ? -1 : v;
    };
    if (second) *second = -1;
    if (printout) *printout = number("ComboNrWydr");
    if (receipt) *receipt = number("ComboNrParag");
    return true;
}

std::string TZTComboAction::WlasciwoscUrzadzenia(int property) {
    if (property == 1101) return "0";
    if (property == 1103) return "1";
    return "";
}

void TZTComboAction::WczytajKonfiguracje() {
    config_ = LoadComboConfig(*this);
    link_ = std::make_unique<TComboLink>(*this, linkConfig(), factory_);
    link_->InitCommLog();
}

TComboLink& TZTComboAction::Link() {
    if (!link_) link_ = std::make_unique<TComboLink>(*this, linkConfig(), factory_);
    return *link_;
}

std::function<LinkConfig()> TZTComboAction::linkConfig() const {
    return [this] { return config_.link; };
}

void TZTComboAction::Operacja(HQORDLLSRODOWISKO& record, int operation, int extra) {
    SprawdzKatalogRoboczy();
    WczytajKonfiguracje();
    switch (operation) {
        case -1: TestConnection(*this); break;
        case -2:
        case -5: Eksport(*this); break;
        case -3:
        case -6: Import(*this); break;
        case -4:
            throw Exception(trc("TZTComboOperacjaImpPar",
                                pl("Wykonaj normalny import z kasy z włączonym importem par. szczegółowych")));
        case -8: OperacjaOkna(extra); break;
        default:
            // The export arrives with its own driver; the rest the device does not do.
            ZTAction::Operacja(record, operation, extra);
    }
    record.Wynik = 0;
}

void TZTComboAction::OperacjaOkna(int window) {
    switch (window) {
        case 1: ResetSal(*this); break;
        case 2: ResetAll(*this, true); break;
        case 3: Link().ConfigureRegisterModem(); break;  // both check for a serial port themselves
        case 4: Link().ModemHangUp(); break;
        case 5: CommunicationReport(*this); break;
        case 6: ImportTowarowDoHosta(*this); break;
        default: break;
    }
}

}  // namespace zt

#include "plugin/combo_action.h"

#include "platform/text.h"
#include "plugin/module.h"

namespace zt {

TZTComboAction::TZTComboAction(TZTLibrary& library, std::int32_t session) : ZTAction(library, session) {}

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

void TZTComboAction::Operacja(HQORDLLSRODOWISKO& record, int operation, int extra) {
    config_ = LoadComboConfig(*this);
    // Until the register link is in place every operation is one the device does not support.
    ZTAction::Operacja(record, operation, extra);
    record.Wynik = 0;
}

}  // namespace zt

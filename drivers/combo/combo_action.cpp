#include "drivers/combo/combo_action.h"

#include "action/module.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {

TZTComboAction::TZTComboAction(TZTLibrary& library, std::int32_t session, std::shared_ptr<LinkFactory> factory,
                               const ComboOperations* operations)
    : ZTAction(library, session), factory_(std::move(factory)), operations_(operations) {}

namespace {

const ComboOperation* find(std::span<const ComboOperation> table, int number) {
    for (const auto& entry : table)
        if (entry.number == number) return &entry;
    return nullptr;
}

}  // namespace

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
    const ComboOperations none{};
    const ComboOperations& table = operations_ ? *operations_ : none;
    if (operation == -8) {
        if (const ComboOperation* window = find(table.windows, extra)) window->run(*this);
    } else if (const ComboOperation* op = find(table.operations, operation)) {
        op->run(*this);
    } else {
        // What the device does not do, the action base answers.
        ZTAction::Operacja(record, operation, extra);
    }
    record.Wynik = 0;
}

}  // namespace zt

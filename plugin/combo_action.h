#pragma once
// The register driver's action: one per entry-point call.
#include "plugin/combo_config.h"
#include "plugin/zt_action.h"

namespace zt {

class TZTComboAction : public ZTAction {
public:
    TZTComboAction(TZTLibrary& library, std::int32_t session);
    ~TZTComboAction() override;

    std::string NazwaZasobu() override;
    bool JakSzukacParagonu(std::int32_t* printout, std::int32_t* second, std::int32_t* receipt) override;
    void Operacja(HQORDLLSRODOWISKO& record, int operation, int extra) override;
    std::string WlasciwoscUrzadzenia(int property) override;
    int LiczbaStawek() override { return 7; }
    std::string PlikLogu() override { return KatalogRoboczy() + "import.log"; }

    const ComboConfig& Config() const { return config_; }

private:
    ComboConfig config_;
};

}  // namespace zt

#pragma once
// The register driver's action: one per entry-point call.
#include <functional>
#include <memory>
#include <span>

#include "action/zt_action.h"
#include "drivers/combo/combo_config.h"

namespace zt {

class TComboLink;
class LinkFactory;
class TZTComboAction;

// One operation or window number and the driver that runs it.
struct ComboOperation {
    int number;
    void (*run)(TZTComboAction& action);
};
// What the plug-in offers: operations (-1, -2, ...) and windows (-8 with the window number).
struct ComboOperations {
    std::span<const ComboOperation> operations;
    std::span<const ComboOperation> windows;
};

class TZTComboAction : public ZTAction {
public:
    // Without a table the action runs only what the action base does.
    TZTComboAction(TZTLibrary& library, std::int32_t session, std::shared_ptr<LinkFactory> factory = nullptr,
                   const ComboOperations* operations = nullptr);
    ~TZTComboAction() override;

    std::string NazwaZasobu() override;
    bool JakSzukacParagonu(std::int32_t* printout, std::int32_t* second, std::int32_t* receipt) override;
    void Operacja(HQORDLLSRODOWISKO& record, int operation, int extra) override;
    std::string WlasciwoscUrzadzenia(int property) override;
    int LiczbaStawek() override { return 7; }
    std::string PlikLogu() override { return KatalogRoboczy() + "import.log"; }

    // Reads the configuration and sets up the link and its log (the first step of every operation).
    void WczytajKonfiguracje();
    const ComboConfig& Config() const { return config_; }
    // The register link; exists once the configuration is read.
    TComboLink& Link();

private:
    // The link's settings as last loaded.
    std::function<LinkConfig()> linkConfig() const;

    ComboConfig config_;
    std::shared_ptr<LinkFactory> factory_;
    const ComboOperations* operations_;
    std::unique_ptr<TComboLink> link_;
};

}  // namespace zt

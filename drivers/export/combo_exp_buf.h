#pragma once
// The export buffer of the Combo driver: how the register's list entries are
// read and how a record's status follows from what the register holds.
#include <array>
#include <functional>
#include <string>

#include "drivers/export/combo_tow.h"
#include "drivers/export/exp_buf.h"
#include "tools/api.h"

namespace zt {

// What the comparison needs to know of the register and the configuration.
struct ZT_API ZTComboUstawienia {
    int poziomCen = 0;  // PoziomCen: the price the register gets
    int rodzina = 0;    // deviceFamily: name length and barcode form
    int flagaProduktu = 0;  // ComboProductFlag: the discount flag sent
    // Rate (hundredths of a percent) held by each VAT slot; -999 for none.
    std::array<int, 10> stawkiSlotow{-999, -999, -999, -999, -999, -999, -999, -999, -999, -999};
    // The group number PLUINS sends for a host group (ComboOneAsortOnly and
    // the group map as they will be when the goods are sent); none gives 1.
    std::function<int(int nrAsort)> grupaKasy;
};

class ZT_API TZTComboExpBuf : public ZTExpBuf {
public:
    explicit TZTComboExpBuf(ZTComboUstawienia ustawienia, ZTExpPostep* postep = nullptr);

    void DodInfo2TowRec(const std::string& dodinfo, ZTTowRec& rec) override;
    void ModifyPLUStatus(ZTTowRec& exported, ZTTowRec& fromRegister) override;
    // The barcode as it is sent, leading zeros removed (the register's key
    // loses them as well).
    std::string KluczIndeksu(const ZTTowRec& rec) override;

    // Adds one entry the register reported; returns its entry text (for the
    // snapshot).
    std::string DodajZKasy(const ZTTowarKasy& t);

    const ZTComboUstawienia& Ustawienia() const noexcept { return cfg_; }
    // Set before the comparison: the register's family is known once the link is open.
    ZTComboUstawienia& Ustawienia() noexcept { return cfg_; }
    int GrupaKasy(int nrAsort) const { return cfg_.grupaKasy ? cfg_.grupaKasy(nrAsort) : 1; }

private:
    ZTComboUstawienia cfg_;
};

}  // namespace zt

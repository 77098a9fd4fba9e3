#include "drivers/export/combo_exp_buf.h"

#include "drivers/export/plu_fields.h"
#include "platform/text.h"

namespace zt {

TZTComboExpBuf::TZTComboExpBuf(ZTComboUstawienia ustawienia, ZTExpPostep* postep)
    : ZTExpBuf(postep), cfg_(std::move(ustawienia)) {}

std::string TZTComboExpBuf::DodajZKasy(const ZTTowarKasy& t) {
    std::string wpis = WpisKasy(t);
    AddInPlu(KluczWpisu(wpis), wpis);
    return wpis;
}

std::string TZTComboExpBuf::KluczIndeksu(const ZTTowRec& rec) {
    // Packages go out with their kod as it is; goods with the sent barcode.
    return BezZerWiodacych(rec.opakowanie ? rec.kod : KodDlaKasy(rec.kod, cfg_.rodzina));
}

void TZTComboExpBuf::DodInfo2TowRec(const std::string& dodinfo, ZTTowRec& rec) {
    WpisDoRekordu(dodinfo, cfg_.stawkiSlotow, rec);
}

void TZTComboExpBuf::ModifyPLUStatus(ZTTowRec& a, ZTTowRec& b) {
    ZTExpBuf::ModifyPLUStatus(a, b);
    // A deletion the register can carry out stays a deletion.
    if (a.status == stUsu) return;
    if (a.opakowanie != b.opakowanie) return;
    // The price as it is sent: a fraction of a grosz never reaches the register.
    std::int64_t cena = 0;
    const bool samePrice = CenaDlaKasy(a.CenaAkt(cfg_.poziomCen), cena) &&
                           PorownajKwoty(TxfTools::FromParts(cena, 0), b.cena) == 0;
    const bool sameName = TxTools::Trim(NazwaDlaKasy(a.nazwa, cfg_.rodzina)) == b.nazwa;
    const bool sameFixed = FlagaCenySztywnej(a) == FlagaCenySztywnej(b);
    bool same;
    if (!b.opakowanie) {
        // Everything PLUINS programs besides the price, each as it is sent.
        same = sameName && a.plu == b.plu && a.stawka_prec == b.stawka_prec && sameFixed && b.jedn >= 0 &&
               a.jedn == b.jedn && NrOpakowaniaTowaru(a) == TxTools::StrToIntDef(b.kod_opakowania, -1) &&
               GrupaKasy(a.nr_asort) == b.nr_asort && a.precyzja == b.precyzja &&
               FlagaRabatu(a, cfg_.flagaProduktu) == b.zezwol_rabat && b.nr_rabatu == 0 && b.min_stan == 0;
    } else {
        same = sameName && sameFixed && b.min_stan == 0;
    }
    if (!same) return;
    if (samePrice) {
        a.status = stBrak;
        a.tr_ok = true;
    } else {
        a.status = stCen;
    }
}

}  // namespace zt

#include "drivers/export/combo_exp_buf.h"

#include <charconv>

#include "drivers/export/plu_fields.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

using expfield::Int;

// A 64-bit integer (register amounts exceed 32 bits); false when malformed.
bool TryInt64(const std::string& s, std::int64_t& v) {
    const std::string t = TxTools::Trim(s);
    const char* b = t.data();
    const char* e = b + t.size();
    const auto r = std::from_chars(b, e, v);
    return r.ec == std::errc() && r.ptr == e && !t.empty();
}

std::int64_t Int64(const std::string& s) {
    std::int64_t v;
    if (!TryInt64(s, v)) throw EMException(0, "'" + s + "' is not a valid integer value", "");
    return v;
}

}  // namespace

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
    const std::vector<std::string> f = expfield::Split(dodinfo);
    auto at = [&f](std::size_t i) { return i < f.size() ? TxTools::Trim(f[i]) : std::string(); };
    const std::string type = at(0);
    if (type == "TOW" || type == "ZES") {
        rec.kod = at(3);
        rec.plu = Int(at(1));
        rec.nazwa = at(2);
        std::int64_t price;
        rec.cena = TxfTools::FromParts(TryInt64(at(7), price) ? price : 0, 0);
        rec.opakowanie = false;
        const int slot = Int(at(6));
        rec.stawka_prec = (slot >= 0 && slot < 10) ? cfg_.stawkiSlotow[static_cast<std::size_t>(slot)] : -999;
        if (type == "TOW") {
            rec.kod_opakowania = at(8);
            rec.jedn = TxTools::StrToIntDef(at(9), -1);
            rec.cena_otwarta = at(11) != "1";
            rec.nr_asort = TxTools::StrToIntDef(at(13), -1);
        } else {
            // A set has no unit, group or package of its own: goods sent in
            // its place always differ from it.
            rec.kod_opakowania.clear();
            rec.jedn = -1;
            rec.nr_asort = -1;
        }
    } else if (type == "OPA") {
        rec.kod = at(1);
        rec.plu = 0;
        rec.nazwa = at(2);
        rec.cena = TxfTools::FromParts(Int64(at(4)), 0);
        rec.opakowanie = true;
        rec.cena_otwarta = at(6) != "1";
    }
}

void TZTComboExpBuf::ModifyPLUStatus(ZTTowRec& a, ZTTowRec& b) {
    ZTExpBuf::ModifyPLUStatus(a, b);
    // A deletion the register can carry out stays a deletion.
    if (a.status == stUsu) return;
    if (a.opakowanie != b.opakowanie) return;
    const bool samePrice = PorownajKwoty(a.CenaAkt(cfg_.poziomCen), b.cena) == 0;
    const bool sameName = TxTools::Trim(NazwaDlaKasy(a.nazwa, cfg_.rodzina)) == b.nazwa;
    const bool sameFixed = FlagaCenySztywnej(a) == FlagaCenySztywnej(b);
    bool same;
    if (!b.opakowanie) {
        // Everything PLUINS programs besides the price.
        same = sameName && a.plu == b.plu && a.stawka_prec == b.stawka_prec && sameFixed && b.jedn >= 0 &&
               a.jedn == b.jedn && NrOpakowaniaTowaru(a) == TxTools::StrToIntDef(b.kod_opakowania, -1) &&
               GrupaKasy(a.nr_asort) == b.nr_asort;
    } else {
        same = sameName && sameFixed;
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

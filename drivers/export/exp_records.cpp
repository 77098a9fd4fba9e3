#include "drivers/export/exp_records.h"

namespace zt {

const char* StatusTekst(stTow s) noexcept {
    switch (s) {
        case stDod: return "DOD";
        case stAkt: return "AKT";
        case stCen: return "CEN";
        case stUsu: return "USU";
        default: return "";
    }
}

int PorownajKwoty(const TxfTools& a, const TxfTools& b) noexcept {
    // Bring both to the larger scale; when that would overflow, the one whose
    // scaling overflows is the one of larger magnitude.
    std::int64_t ma = a.Mantissa(), mb = b.Mantissa();
    int sa = a.Scale(), sb = b.Scale();
    auto up = [](std::int64_t& m, int k) {
        for (; k > 0; --k)
            if (__builtin_mul_overflow(m, 10, &m)) return false;
        return true;
    };
    if (sa < sb) {
        std::int64_t m = ma;
        if (!up(m, sb - sa)) return ma < 0 ? -1 : 1;
        ma = m;
    } else if (sb < sa) {
        std::int64_t m = mb;
        if (!up(m, sa - sb)) return mb < 0 ? 1 : -1;
        mb = m;
    }
    return ma < mb ? -1 : ma > mb ? 1 : 0;
}

// ---- ZTTowRec ----

std::string* ZTTowRec::Teksty(int i) {
    std::string* const all[kTekstow] = {&kod,   &nazwa, &kod_opakowania, &plu_rec, &org_barcode, &opis1, &opis2,
                                        &PKWiU, &SWW,   &opis3,          &opis4,   &nazwa_pelna};
    return (i >= 0 && i < kTekstow) ? all[i] : nullptr;
}

void ZTTowRec::Clear() { *this = ZTTowRec(); }

const TxfTools& ZTTowRec::CenaAkt(int poziom) const {
    switch (poziom) {
        case 1: return cena_hurt;
        case 2: return cena_noc;
        case 3: return cena_dod;
        default: return cena;
    }
}

// ---- ZTKontrRec, ZTAsort ----

void ZTKontrRec::Clear() { *this = ZTKontrRec(); }

void ZTAsort::Clear() { *this = ZTAsort(); }

}  // namespace zt

#include "drivers/export/plu_fields.h"

#include "drivers/export/exp_records.h"
#include "platform/text.h"
#include "tools/ltools.h"

namespace zt {

std::string NazwaDlaKasy(std::string_view nazwa, int rodzina) {
    const int limit = rodzina >= 8 ? 40 : (rodzina == 1 || rodzina == 3) ? 16 : 24;
    // A NUL would end the protocol's text field early and shift the rest.
    return TLTools::StrMax(TxTools::DelChars(nazwa, '\0'), limit, false);
}

std::string KodDlaKasy(std::string_view kod, int rodzina) {
    if (kod.find('?') == std::string_view::npos) return std::string(kod);
    std::string s = TxTools::DelChars(kod, '?');
    if (rodzina == 5) s = BezZerWiodacych(s.size() > 2 ? std::string_view(s).substr(2) : std::string_view());
    return s;
}

std::string BezZerWiodacych(std::string_view kod) {
    const std::size_t nz = kod.find_first_not_of('0');
    return nz == std::string_view::npos ? std::string() : std::string(kod.substr(nz));
}

int NrOpakowaniaTowaru(const ZTTowRec& rec) {
    if (rec.kod_opakowania.empty()) return 0;
    const int n = TxTools::StrToIntDef(rec.kod_opakowania, 0);
    return n > 65 ? 0 : n;
}

int NrOpakowania(const ZTTowRec& rec) { return TxTools::StrToIntDef(rec.kod, 99); }

int FlagaCenySztywnej(const ZTTowRec& rec) { return rec.cena_otwarta ? 0 : 1; }

int FlagaRabatu(const ZTTowRec& rec, int flagaProduktu) {
    return flagaProduktu == 0 && rec.fd_dod_rabat_tow.Mantissa() == 0 ? 1 : 0;
}

bool CenaDlaKasy(const TxfTools& v, std::int64_t& out) {
    std::int64_t m = v.Mantissa();
    for (int k = v.Scale(); k > 0; --k) m /= 10;
    for (int k = v.Scale(); k < 0; ++k)
        if (__builtin_mul_overflow(m, 10, &m)) return false;
    out = m;
    return true;
}

}  // namespace zt

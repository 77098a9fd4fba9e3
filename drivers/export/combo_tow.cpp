#include "drivers/export/combo_tow.h"

#include <charconv>

#include "action/module.h"
#include "drivers/export/exp_records.h"
#include "drivers/export/kasa_exp.h"
#include "platform/exception.h"
#include "platform/text.h"
#include "platform/whole_file.h"

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

std::string Czysty(std::string_view s) { return TxTools::DelAnyChar(s, ";\r\n"); }

std::string Naglowek() {
    return "#\r\n" + trc("TZTComboSetTowFi_buffer", "# Format pliku nie jest zgodny z KASA.EXP!\r\n");
}

}  // namespace

std::string WpisKasy(const ZTTowarKasy& t) {
    const std::string nazwa = Czysty(t.nazwa), kod = Czysty(t.kod);
    switch (t.rodzaj) {
        case ZTTowarKasy::Zestaw:
            return format("ZES;%d;%s;%s;%lld;%d;%d; ; ; ; ; ;%d; ;%d;%d", t.numer, nazwa.c_str(), kod.c_str(),
                          static_cast<long long>(t.minStan), t.zestaw, t.stawka, t.rabat, t.zezwolRabat, t.kodow);
        case ZTTowarKasy::Opakowanie:
            return format("OPA;%d;%s;%s;%lld;%lld;%d", t.numer, nazwa.c_str(), kod.c_str(),
                          static_cast<long long>(t.cena), static_cast<long long>(t.minStan), t.cenaSztywna);
        default:
            return format("TOW;%d;%s;%s;%lld;%d;%d;%lld;%d;%d;%d;%d;%d;%d;%d;%d", t.numer, nazwa.c_str(), kod.c_str(),
                          static_cast<long long>(t.minStan), t.zestaw, t.stawka, static_cast<long long>(t.cena),
                          t.opakowanie, t.jednostka, t.formatIlosci, t.cenaSztywna, t.rabat, t.grupa, t.zezwolRabat,
                          t.kodow);
    }
}

void WpisDoRekordu(const std::string& wpis, const std::array<int, 10>& stawkiSlotow, ZTTowRec& rec) {
    const std::vector<std::string> f = expfield::Split(wpis);
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
        rec.stawka_prec = (slot >= 0 && slot < 10) ? stawkiSlotow[static_cast<std::size_t>(slot)] : -999;
        if (!TryInt64(at(4), rec.min_stan)) rec.min_stan = -1;
        if (type == "TOW") {
            rec.kod_opakowania = at(8);
            rec.jedn = TxTools::StrToIntDef(at(9), -1);
            rec.precyzja = TxTools::StrToIntDef(at(10), -1);
            rec.cena_otwarta = at(11) != "1";
            rec.nr_rabatu = TxTools::StrToIntDef(at(12), -1);
            rec.nr_asort = TxTools::StrToIntDef(at(13), -1);
            rec.zezwol_rabat = TxTools::StrToIntDef(at(14), -1);
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
        if (!TryInt64(at(5), rec.min_stan)) rec.min_stan = -1;
        rec.opakowanie = true;
        rec.cena_otwarta = at(6) != "1";
    }
}

std::string KluczWpisu(const std::string& wpis) { return TxTools::Trim(TxTools::SelectWordEx(wpis, 3, ";", true)); }

ZTComboTowPlik::ZTComboTowPlik()
    : text_(Naglowek() +
            "# TOW;<plu>;<nazwa>;<kod_kresk_gl>;<min_stan_mag>;<czy_zestaw>;<vat>;<cena>;<nr_opak>;<nr_jm>;"
            "<format_il>;<flaga_c_sztyw>;<nr_rabatu>;<nr_grupy_tow>;<flaga_zezw_rab>;<il_kod_kresk>\r\n"
            "# ZES;<plu>;<nazwa>;<kod_kresk_gl>;<min_stan_mag>;<czy_zestaw>;<vat>;      ;         ;       ;"
            "           ;               ;<nr_rabatu>;              ;<flaga_zezw_rab>;<il_kod_kresk>\r\n"
            "# OPA;<nr_opak>;<nazwa>;<kod_kresk>;<cena>;<min_stan_mag>;<flaga_c_sztywnej>\r\n"
            "#\r\n") {}

void ZTComboTowPlik::Dodaj(const std::string& wpis) {
    text_ += wpis;
    text_ += "\r\n";
}

void ZTComboTowPlik::Zapisz(const std::string& path) const { writeFileWhole(path, text_, path + ".tmp"); }

}  // namespace zt

#include "drivers/export/register_goods.h"

#include "action/module.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace zt {
namespace {

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

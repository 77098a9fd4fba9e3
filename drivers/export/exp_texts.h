#pragma once
// User-visible texts of the export buffer (module "zttools_ZTExpBuf"), looked
// up in one place so that the translation source can be changed here alone.
#include <string>
#include <string_view>

namespace zt {

enum class ExpTekst {
    FormatPliku,       // a PLU line that cannot be read
    FlagaTowaru,       // a PLU flag other than T/t/F/f
    FlagaKontrahenta,  // KartaAktywna other than T/t/F/f
    KasjerNumer,
    KasjerNazwisko,
    KasjerPoziom,
    KasjerIdentyfikator,
    KasjerKodKarty,
    NumerKasjera,  // cashier index out of range
    WalutaKod,
    WalutaNazwa,
    WalutaKurs,
    WalutaDomyslna,
    WalutaReszta,
    NumerWaluty,  // currency index out of range
    JednostkaId,
    JednostkaPrec,
    JednostkaNazwa,
    BrakStawki,          // "%s": a whole-percent rate no VAT line holds
    BrakStawkiPrec,      // "%s": a hundredths rate no VAT line holds
    StawkaKontrahentow,  // contractors to goods without any VAT line
    WczytywanieListy,
    AnalizaListy,
    ZapisWyniku,
    KartyKlienta,
    DebugKart,
    DebugKartItd,
};

std::string expTekst(ExpTekst t);
// A text with one "%s" filled in (a translation that changes the conversions
// falls back to the default).
std::string expTekst(ExpTekst t, std::string_view arg);
// Raises zt::Exception with the text.
[[noreturn]] void expBlad(ExpTekst t);

}  // namespace zt

#include "drivers/export/exp_texts.h"

#include "action/module.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace zt {
namespace {

constexpr std::string_view kModule = "zttools_ZTExpBuf";

struct Entry {
    const char* key;
    const char* text;  // UTF-8 default
};

constexpr const char* kFormat = "Nieprawidłowy format pliku eksportowego";
constexpr const char* kJm = "Indeks jednostki miary poza zakresem";

// In the order of ExpTekst.
constexpr Entry kTexts[] = {
    {"ZTTowRecFromLineExceptio", kFormat},
    {"ZTTowRecBoolExceptio", kFormat},
    {"ZTKontrRBoolExceptio", kFormat},
    {"ZTKasjerGetNumerExceptio", "Błąd odczytu numeru kasjera"},
    {"ZTKasjerGetNazwiExceptio", "Błąd odczytu nazwiska kasjera"},
    {"ZTKasjerGetPozioExceptio", "Błąd odczytu poziomu uprawnień kasjera"},
    {"ZTKasjerGetIdentExceptio", "Błąd odczytu identyfikatora kasjera"},
    {"ZTKasjerGetKodKaExceptio", "Błąd odczytu kodu karty kasjera"},
    {"ZTExpBufGetKasjeExceptio", "Nieprawidłowy numer kasjera"},
    {"ZTWalutaGetKodExceptio", "Błąd odczytu kodu waluty"},
    {"ZTWalutaGetNazwaExceptio", "Błąd odczytu nazwy waluty"},
    {"ZTWalutaGetKursExceptio", "Błąd odczytu kursu waluty"},
    {"ZTWalutaGetCzyDoExceptio", "Błąd odczytu statusu \"domyślna\" waluty"},
    {"ZTWalutaGetCzyMoExceptio", "Błąd odczytu statusu \"czy można wydawać resztę\" waluty"},
    {"ZTExpBufGetWalutExceptio", "Nieprawidłowy numer waluty"},
    {"ZTExpBufIdxJednIExceptio", kJm},
    {"ZTExpBufIdxJednPExceptio", kJm},
    {"ZTExpBufIdxJednNExceptio", kJm},
    {"ZTExpBufNumerStawkiExceptio", "Stawka VAT %s nie występuje na liście stawek pliku eksportowego"},
    {"ZTExpBufNumerStawkiPrecExceptio", "Stawka VAT %s nie występuje na liście stawek pliku eksportowego"},
    {"ZTExpBufUtworzToExceptio", "Konwersja kontrahentów na towary - błąd stawki VAT"},
    {"ufReadFromztactionMsgAdd", "Wczytywanie listy towarów"},
    {"ufReadFromztactionMsgAdd_00001", "Analiza listy towarów"},
    {"ufZapiszWyztactionMsgAdd", "Zapis wyniku eksportu:"},
    {"ufUtworzToztactionMsgAdd", "Przygotowanie kart stałego klienta..."},
    {"ZTExpBufUtworzTo_debug",
     "----------- [DEBUG KONWERSJI DANYCH KONTRAHENTA NA KOD KARTY RABATOWEJ] ------------\r\n"},
    {"ZTExpBufUtworzTo_debug_00001", "itd...\r\n"},
};
static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == static_cast<int>(ExpTekst::DebugKartItd) + 1);

}  // namespace

std::string expTekst(ExpTekst t) {
    const Entry& e = kTexts[static_cast<int>(t)];
    return trm(kModule, e.key, pl(e.text));
}

std::string expTekst(ExpTekst t, std::string_view arg) {
    const Entry& e = kTexts[static_cast<int>(t)];
    const std::string def = pl(e.text);
    const std::string tpl = formatTemplate(trm(kModule, e.key, def), def);
    return format(tpl.c_str(), std::string(arg).c_str());
}

void expBlad(ExpTekst t) { throw Exception(expTekst(t)); }

}  // namespace zt

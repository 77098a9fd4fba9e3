#include "plugin/parameters.h"

#include <vector>

#include "action/module.h"
#include "drivers/import/save_journal.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

// Where a declared default comes from.
enum class DefaultFrom {
    Text,        // the text as it stands
    Translated,  // looked up under defaultKey, the text being the fallback
    ProgramDir,  // the host's program folder followed by the text
};

struct DeclRow {
    int group;
    int index;
    int type;
    int flags;
    std::string_view key;
    DefaultFrom defaultFrom;
    std::string defaultValue;  // Windows-1250
    std::string_view defaultKey;
    std::string_view minimum;
    std::string_view maximum;
    std::string description;   // Windows-1250; empty: no description
    std::string_view descKey;  // empty: the description is shown as it stands
};

// Short name for the common case, to keep the rows on one or two lines.
constexpr auto T = DefaultFrom::Text;

// The host asks group by group with rising indexes; the rows keep that order.
const std::vector<DeclRow>& declarations() {
    static const std::vector<DeclRow> rows = {
        // Link and general settings, with the plug-in's own stored values.
        {101, 0, ptTextList, 0, "ComboPort", DefaultFrom::Translated, "PLIK", "TZTLibraParametrAWartDom", "", "",
         pl("Złącze"), "TZTLibraParametrAOpis"},
        {101, 1, ptChoice, 0, "ComboKanMul", T, "0", "", "", "", pl("Kanał multipleksera"),
         "TZTLibraParametrAOpis_00001"},
        {101, 2, ptChoice, 0, "ComboSpeed", T, "3", "", "", "", pl("Modem, RS-232 - prędkość transmisji"),
         "TZTLibraParametrAOpis_00002"},
        {101, 3, ptText, 0, "ComboModemPhone", T, "", "", "", "", pl("Modem - Numer telefonu"),
         "TZTLibraParametrAOpis_00003"},
        {101, 4, ptInteger, 0, "ComboModemTimeout", T, "60", "", "1", "255", pl("Modem - timeout połączenia (sek.)"),
         "TZTLibraParametrAOpis_00004"},
        {101, 5, ptText, 0, "ComboIpAddress", T, "192.168.0.12", "", "", "", pl("TCP/IP - adres IP kasy"),
         "TZTLibraParametrAOpis_00005"},
        {101, 6, ptInteger, 0, "ComboIpPort", T, "1000", "", "1", "65000", pl("TCP/IP - port IP kasy"),
         "TZTLibraParametrAOpis_00006"},
        {101, 7, ptChoice, 0, "ComboProgressTow", T, "0", "", "", "", pl("Pokazuj wysyłane rekordy"),
         "TZTLibraParametrAOpis_00007"},
        {101, 8, ptChoice, 0, "PoziomCen", T, "0", "", "", "", pl("Poziom cen"), "TZTLibraParametrAOpis_00008"},
        {101, 9, ptChoice, 0, "ComboOneAsortOnly", T, "1", "", "", "", pl("Eksport towarów do jednej, wspólnej grupy"),
         "TZTLibraParametrAOpis_00009"},
        {101, 10, ptText, 0, "ComboOrdersMagNo", T, "", "", "", "",
         pl("Nazwa magazynu wpisywana do dokumentu zamówienia"), "TZTLibraParametrAOpis_00010"},
        {101, 11, ptText, kParamInternal, "ZT_Combo_PosortowaneStawkiVat", T, "", "", "", "", "", ""},
        {101, 12, ptText, kParamInternal, "ZT_Combo_PosortowaneStawkiVatPrec", T, "", "", "", "", "", ""},
        {101, 13, ptText, kParamInternal, "ZT_Combo_ComboAsort1", T, "", "", "", "", "", ""},
        {101, 14, ptText, kParamInternal, "ZT_Combo_ComboAsort2", T, "", "", "", "", "", ""},
        {101, 15, ptText, kParamInternal, "ZT_Combo_ComboAsort3", T, "", "", "", "", "", ""},
        {101, 16, ptText, kParamInternal, "ZT_Combo_ComboAsort4", T, "", "", "", "", "", ""},
        {101, 17, ptText, kParamInternal, "ZT_Combo_ComboAsort5", T, "", "", "", "", "", ""},
        {101, 18, ptText, kParamInternal, "ZT_Combo_ComboAsort6", T, "", "", "", "", "", ""},
        {101, 19, ptInteger, 0, "ComboLastReceipt", T, "0", "", "0", "", pl("Ostatnio wczytany wydruk"),
         "TZTLibraParametrAOpis_00011"},
        {101, 20, ptText, kParamInternal, "ComboImportOverWrite", T, "FALSE", "", "", "", "", ""},
        {101, 21, ptText, kParamInternal, "ComboImportLogSave", T, "TRUE", "", "", "", "", ""},
        {101, 22, ptChoice, 0, "ComboProductFlag", T, "0", "", "", "", pl("Ustawienia flag towarów"), ""},
        // The group map's last piece: it is read and written in seven.
        {101, 23, ptText, kParamInternal, "ZT_Combo_ComboAsort7", T, "", "", "", "", "", ""},
        // The token of the last import buffer the host stored, kept with it.
        {101, 24, ptText, kParamInternal, kLastSaveParameter, T, "", "", "", "", "", ""},

        // Settings of the Posnet registers.
        {102, 0, ptChoice, 0, "ComboResztaZInnychFP", T, "0", "", "", "",
         pl("COMBO/NEO - Wydawanie reszty z innych form płatności"), "TZTLibraParametrAOpis_00012"},
        {102, 1, ptChoice, 0, "ComboResztaWInnychFP", T, "0", "", "", "",
         pl("COMBO/NEO - Wydawanie reszty w innych formach płatności"), "TZTLibraParametrAOpis_00013"},
        {102, 2, ptChoice, 0, "ComboCardFormatFull", T, "0", "", "", "",
         pl("COMBO/NEO - W Ambrel, kody kart zapisane jako"), "TZTLibraParametrAOpis_00014"},
        {102, 3, ptInteger, 0, "ComboComplexOrdTimeout", T, "60", "", "5", "6000",
         pl("COMBO/NEO - Max. czas oczekiwania na sekwencję ZŁOŻONĄ (np. raport tow. usuniętych) (sek.)"),
         "TZTLibraParametrAOpis_00015"},
        {102, 4, ptInteger, 0, "ComboKwKodPocz", T, "0", "", "0", "99999",
         pl("COMBO/NEO - kody ważone: Kod początkowy"), "TZTLibraParametrAOpis_00016"},
        {102, 5, ptInteger, 0, "ComboKwKodKonc", T, "0", "", "0", "99999", pl("COMBO/NEO - kody ważone: Kod końcowy"),
         "TZTLibraParametrAOpis_00017"},
        {102, 6, ptInteger, 0, "ComboKwPrzedr", T, "28", "", "21", "29",
         pl("COMBO/NEO - kody ważone: Przedrostek kodu"), "TZTLibraParametrAOpis_00018"},
        {102, 7, ptChoice, 0, "ComboSkpUse", T, "0", "", "", "",
         pl("COMBO/NEO - SKP: Współpraca z Serwerem Kasowym Posnet (sk.exe)"), "TZTLibraParametrAOpis_00019"},
        {102, 8, ptText, 0, "ComboSkpPatterns", T, "0012345678901/0/5.00", "", "", "",
         pl("COMBO/NEO - SKP: Wzorce kart (rozdzielone przecinkami)"), "TZTLibraParametrAOpis_00020"},
        {102, 9, ptText, 0, "ComboSkpIp", T, "127.0.0.1", "", "", "", pl("COMBO/NEO - SKP: Adres IP serwera"),
         "TZTLibraParametrAOpis_00021"},
        {102, 10, ptInteger, 0, "ComboSkpPort", T, "25370", "", "1", "65535", pl("COMBO/NEO - SKP: Port IP serwera"),
         "TZTLibraParametrAOpis_00022"},
        {102, 11, ptDirectory, 0, "ComboSkpDane", DefaultFrom::ProgramDir, "Posnet\\skp\\dane", "", "", "",
         pl("COMBO/NEO - SKP: Położenie katalogu \\dane"), "TZTLibraParametrAOpis_00023"},
        {102, 12, ptChoice, 0, "ComboSkpAddToReb", T, "0", "", "", "",
         pl("COMBO/NEO - SKP: Czy rabaty z kart mogą być łączone z rabatami towarów?"), "TZTLibraParametrAOpis_00024"},
        {102, 13, ptChoice, 0, "ComboSkpAddToAddon", T, "0", "", "", "",
         pl("COMBO/NEO - SKP: Czy rabaty z kart mogą być łączone z narzutami towarów?"), "TZTLibraParametrAOpis_00025"},
        {102, 14, ptDirectory, 0, "ComboEdiFolder", DefaultFrom::ProgramDir, "EDI", "", "", "",
         pl("COMBO/NEO - Katalog EDI, w którym będą umieszczane zamówienia z kas"), "TZTLibraParametrAOpis_00026"},
        {102, 15, ptChoice, 0, "ComboOrdersAs", T, "1", "", "", "", pl("COMBO/NEO - Zamówienia zapisywać jako"),
         "TZTLibraParametrAOpis_00027"},
        {102, 16, ptChoice, 0, "ComboDedbug", T, "1", "", "", "",
         pl("COMBO/NEO - Log komunikacji do pliku log\\NEO_LOG..."), "TZTLibraParametrAOpis_00028"},

        // Export options.
        {103, 0, ptChoice, 1, "ComboKasTowMax", T, "1", "", "", "",
         pl("COMBO/NEO - Podczas zmiany listy towarów kasuj towary"), "TZTLibraParametrAOpis_00029"},
        {103, 1, ptChoice, 0, "ComboExpCashier", T, "0", "", "", "", pl("COMBO/NEO - Zaprogramuj kasjerów"),
         "TZTLibraParametrAOpis_00030"},
        {103, 2, ptChoice, 1, "ComboExpFPlatn", T, "1", "", "", "",
         pl("COMBO/NEO - Zaprogramuj/zweryfikuj formy płatności"), "TZTLibraParametrAOpis_00031"},
        {103, 3, ptChoice, 1, "ComboGroupOverwrite", T, "1", "", "", "", pl("COMBO/NEO - Nadpisywać grupy towarowe"),
         ""},

        // Import options with the import date.
        {104, 0, ptDate, 0, "DataImportu", T, "", "", "", "", pl("Data importu"), "TZTLibraParametrAOpis_00032"},
        {104, 1, ptChoice, 1, "ComboImpReceipts", T, "0", "", "", "", pl("COMBO/NEO - Import szczegółowy paragonów"),
         "TZTLibraParametrAOpis_00033"},
        {104, 2, ptChoice, 1, "ComboImpMode", T, "0", "", "", "",
         pl("COMBO/NEO - Import sprzedaży przez bufor paragonów"), "TZTLibraParametrAOpis_00034"},
        {104, 3, ptChoice, 1, "ComboTowIdParag", T, "0", "", "", "",
         pl("COMBO/NEO - Identyfikacja towarów przy imporcie przez bufor"), "TZTLibraParametrAOpis_00035"},
        {104, 4, ptChoice, 1, "ComboDokPlu", T, "0", "", "", "",
         pl("COMBO/NEO - Doklej dane do ostatniego paragonu z dnia importu"), "TZTLibraParametrAOpis_00036"},
        {104, 5, ptChoice, 1, "ComboFiscalReport", T, "0", "", "", "", pl("COMBO/NEO - Wykonaj raport dobowy fiskalny"),
         ""},

        // The two receipt-number fields.
        {105, 0, ptInteger, 1, "ComboNrParag", T, "0", "", "", "",
         pl("Nr paragonu (Posnet Combo - w lewym dolnym rogu par.)"), "TZTLibraParametrAOpis_00040"},
        {105, 1, ptInteger, 1, "ComboNrWydr", T, "0", "", "", "",
         pl("Nr wydruku (Posnet NEO - w prawym, górnym rogu par.)"), "TZTLibraParametrAOpis_00041"},

        // Import options without a date; the keys are those of group 104.
        {107, 0, ptChoice, 1, "ComboImpReceipts", T, "0", "", "", "", pl("COMBO/NEO - Import szczegółowy paragonów"),
         "TZTLibraParametrAOpis_00037"},
        {107, 1, ptChoice, 1, "ComboImpMode", T, "0", "", "", "",
         pl("COMBO/NEO - Import sprzedaży przez bufor paragonów"), "TZTLibraParametrAOpis_00038"},
        {107, 2, ptChoice, 1, "ComboTowIdParag", T, "0", "", "", "",
         pl("COMBO/NEO - Identyfikacja towarów przy imporcie przez bufor"), "TZTLibraParametrAOpis_00039"},
        {107, 3, ptChoice, 1, "ComboDokPlu", T, "1", "", "", "",
         pl("COMBO/NEO - Doklej dane do ostatniego paragonu z dnia importu"), "TZTLibraParametrAOpis_00036"},
        {107, 4, ptChoice, 1, "ComboFiscalReport", T, "0", "", "", "", pl("COMBO/NEO - Wykonaj raport dobowy fiskalny"),
         ""},
    };
    return rows;
}

struct ListText {
    std::string text;          // Windows-1250
    std::string_view textKey;  // empty: shown as it stands
};

// One set of choice texts and the list parameters that share it.
struct ListDef {
    std::vector<std::string_view> keys;
    std::vector<ListText> texts;  // by index
};

const std::vector<ListDef>& lists() {
    static const std::vector<ListDef> defs = {
        {{"ComboPort"},
         {{"PLIK", "TZTLibraTekstLisreturn"},
          {"COM1", ""},
          {"COM2", ""},
          {"COM3", ""},
          {"COM4", ""},
          {"COM5", ""},
          {"COM6", ""},
          {"COM7", ""},
          {"COM8", ""},
          {"COM9", ""},
          {"TCP/IP", ""}}},
        {{"ComboKanMul"},
         {{"Brak", "TZTLibraTekstLisreturn_00001"},
          {pl("4xRS232 - Kanał 1"), "TZTLibraTekstLisreturn_00002"},
          {pl("4xRS232 - Kanał 2"), "TZTLibraTekstLisreturn_00003"},
          {pl("4xRS232 - Kanał 3"), "TZTLibraTekstLisreturn_00004"},
          {pl("4xRS232 - Kanał 4"), "TZTLibraTekstLisreturn_00005"},
          {pl("8xRS232 - Kanał 1"), "TZTLibraTekstLisreturn_00006"},
          {pl("8xRS232 - Kanał 2"), "TZTLibraTekstLisreturn_00007"},
          {pl("8xRS232 - Kanał 3"), "TZTLibraTekstLisreturn_00008"},
          {pl("8xRS232 - Kanał 4"), "TZTLibraTekstLisreturn_00009"},
          {pl("8xRS232 - Kanał 5"), "TZTLibraTekstLisreturn_00010"},
          {pl("8xRS232 - Kanał 6"), "TZTLibraTekstLisreturn_00011"},
          {pl("8xRS232 - Kanał 7"), "TZTLibraTekstLisreturn_00012"},
          {pl("8xRS232 - Kanał 8"), "TZTLibraTekstLisreturn_00013"}}},
        {{"ComboSpeed"},
         {{"1200", ""},
          {"2400", ""},
          {"4800", ""},
          {"9600", ""},
          {"19200", ""},
          {"38400", ""},
          {"57600", ""},
          {"115200", ""}}},
        {{"ComboProgressTow", "ComboDokPlu", "ComboZerujStanyMag", "ComboResztaZInnychFP", "ComboResztaWInnychFP",
          "ComboImpReceipts", "ComboImpMode", "ComboImpTow", "ComboOneAsortOnly", "ComboGroupOverwrite"},
         {{"Nie", "TZTLibraTekstLisreturn_00014"}, {"Tak", "TZTLibraTekstLisreturn_00015"}}},
        {{"ComboTowIdParag"},
         {{"po PLU", "TZTLibraTekstLisreturn_00016"}, {"po kodzie kreskowym", "TZTLibraTekstLisreturn_00017"}}},
        {{"PoziomCen"},
         {{"detaliczna", "TZTLibraTekstLisreturn_00018"},
          {"hurtowa", "TZTLibraTekstLisreturn_00019"},
          {"nocna", "TZTLibraTekstLisreturn_00020"},
          {"dodatkowa", "TZTLibraTekstLisreturn_00021"}}},
        {{"ComboKasTowMax"},
         {{pl("przez porównanie list"), "TZTLibraTekstLisreturn_00022"},
          {pl("wszystkie na początku transmisji"), "TZTLibraTekstLisreturn_00023"}}},
        {{"ComboCardFormatFull"},
         {{pl("pełny kod (np. 72232315302)"), "TZTLibraTekstLisreturn_00024"},
          {pl("tylko fragment \"NNN...\" z kodu karty (np. 232)"), "TZTLibraTekstLisreturn_00025"}}},
        {{"ComboSkpUse"},
         {{pl("nie obsługiwana"), "TZTLibraTekstLisreturn_00026"},
          {pl("programuj tylko wzorce kart i kody nieaktywne"), "TZTLibraTekstLisreturn_00027"},
          {pl("programuj kody oraz wzorce kart"), "TZTLibraTekstLisreturn_00028"}}},
        {{"ComboExpCashier"},
         {{"Nie", "TZTLibraTekstLisreturn_00029"},
          {pl("Tak (zaprogramowani kasjerzy będa mieli max. uprawnienia)"), "TZTLibraTekstLisreturn_00030"}}},
        {{"ComboExpFPlatn", "ComboSkpAddToReb", "ComboSkpAddToAddon", "ComboDedbug", "ComboFiscalReport"},
         {{"Nie", "TZTLibraTekstLisreturn_00031"}, {"Tak", "TZTLibraTekstLisreturn_00032"}}},
        {{"ComboOrdersAs"},
         {{pl("Zamówienie do dostawcy (ZAM)"), "TZTLibraTekstLisreturn_00033"},
          {pl("Zamówienie od odbiorcy (ZAM_ODB)"), "TZTLibraTekstLisreturn_00034"}}},
        {{"ComboProductFlag"},
         {{pl("cena otw/zam - czy można zmieniać cenę | dod. rabat - czy towar rabatowany"), ""},
          {pl("cena otw/zam - czy można zmieniać cenę | towar rabatowany"), ""}}},
    };
    return defs;
}

// The keys are ASCII, so folding ASCII letters is enough.
bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string programFolder(const std::string& programDir) {
    std::string dir = programDir.empty() ? std::string("c:\\Ambrel\\") : programDir;
    // The folder tool already ends it with a backslash; a caller's own path may not.
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
    return dir;
}

}  // namespace

ParamDecl declareParameter(int group, int index, const std::string& programDir) {
    ParamDecl d;
    for (const DeclRow& r : declarations()) {
        if (r.group != group || r.index != index) continue;
        d.type = r.type;
        d.flags = r.flags;
        d.key = r.key;
        if (!r.description.empty()) d.description = r.descKey.empty() ? r.description : trc(r.descKey, r.description);
        switch (r.defaultFrom) {
            case DefaultFrom::Text: d.defaultValue = r.defaultValue; break;
            case DefaultFrom::Translated: d.defaultValue = trc(r.defaultKey, r.defaultValue); break;
            case DefaultFrom::ProgramDir: d.defaultValue = programFolder(programDir) + r.defaultValue; break;
        }
        d.minimum = r.minimum;
        d.maximum = r.maximum;
        break;
    }
    return d;
}

std::string parameterListText(std::string_view key, int index) {
    if (index < 0) return {};
    for (const ListDef& l : lists()) {
        bool named = false;
        for (std::string_view k : l.keys) named = named || equalsIgnoreCase(k, key);
        if (!named) continue;
        if (static_cast<std::size_t>(index) >= l.texts.size()) return {};
        const ListText& t = l.texts[static_cast<std::size_t>(index)];
        return t.textKey.empty() ? t.text : trc(t.textKey, t.text);
    }
    return {};
}

}  // namespace zt

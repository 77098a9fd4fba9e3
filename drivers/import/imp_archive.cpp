#include "drivers/import/imp_archive.h"

#include "platform/cp1250.h"
#include "platform/datetime.h"
#include "platform/fs.h"
#include "platform/translation.h"
#include "platform/whole_file.h"

namespace zt {

std::string ComboArchiveHeader() {
    static const char* const kLines[] = {
        "#",
        "# SPT;<plu>;<wart_sprzed>;<il_sprzed>;<stan_mag>;<data_ost_sprz>",
        "# SPO;<nr_opak>;<il_sprzed>;<il_zwrot>;<wart_sprzed>;<wart_zwrot>;<stan_mag>",
        "# KAS;0 - jesli nikt nie jest zalogowany",
        "# KAS;<nr_kasjera>;<nazwisko>;<kw_rabatow>;<kw_narzutow>;<czas_zalogow>;<czas_biez>;<opak_sprz>;<opak_zwr>;"
        "<wplaty>;<wyplaty>;<sprzedaz>;<paragonow>;<il_par_anul>;<wart_par_anul>;<il_storno>;<wart_storno>",
        "# KPL;<nr_form_pl>;<nazwa>;<stan>;<kurs>",
        "# P_PLU;<vat>;<nr_plu>;<kod_kresk>;<nazwa>;<ilość>;<wartość_po_rab>;<storno>",
        "# P_OPA;<zwrot>;<nr_opak>;<kod_kresk>;<ilosc>;<wartosc>",
        "# P_TRN;<nr_par>;<data>;<nr_kasy>;<nazwa_kasjera>;<nr_kasjera>;<wart_fisk>;<wart_total>;<nr_wydruku>",
        "# P_ANU;<data>;<nr_kasy>;<nazwa_kasjera>;<nr_kasjera>;<nr_kasjera_autor>;<wart_fisk>;<wart_total>",
        "# P_PLA;<typ_oper>;<nr_fplatn>;<nazwa_fplatn>;<typ_fplatn>;<wart_fplatn>;<opis_wyplaty>;<numer_kasy>;"
        "<nazwa_kasjera>;<numer_kasjera>",
        "# P_WAL;<typ_oper>;<nr_rekordu>;<nazwa_wal>;<wart_PLN>;<wart_wal>;<kurs>",
        "# P_FSK;<data>;<nr_rapf>;<tot_A>;<tot_B>;<tot_C>;<tot_D>;<tot_E>;<tot_F>;<tot_G>",
        "# P_RAB;<typ_oper>;<nazwa_rab>;<typ_rab>;<nr_rab>;<wart_rab>;<kod_karty>",
        "# P_ZAM;<typ_oper>;<plu>;<kod>;<ilosc>;<opis>",
        "#",
    };
    std::string s;
    for (const char* l : kLines) s += pl(l) + "\r\n";
    return s;
}

void ArchiveImportFile(const std::string& source, const std::string& archive, const TMLgExtTools* t) {
    if (!fileExists(source)) return;
    const std::string text = readFileWhole(source);
    std::string out =
        translate(t, "zttools_LTools", "oolsArchiveFlineAnsiStri_00001", "\r\n------------ [IMPORT WYKONANY DNIA: ") +
        TdtTools::Now().ToString(TdtTools::kDateTime) + "] ------------\r\n";
    out.reserve(out.size() + text.size() + 64);
    // Line by line, each ended by CR LF, a last line without its end included.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        const bool last = lf == std::string::npos;
        if (last) lf = text.size();
        std::size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        out.append(text, start, end - start);
        out += "\r\n";
        start = lf + 1;
    }
    appendFileNoFollow(archive, out);
}

void ArchiveComboImp(const std::string& dir, const TMLgExtTools* t) {
    const std::string arch = dir + "arch.imp";
    if (!fileExists(dir + "combo.imp")) return;
    if (!fileExists(arch)) appendFileNoFollow(arch, ComboArchiveHeader());
    ArchiveImportFile(dir + "combo.imp", arch, t);
}

void ArchiveKasaImp(const std::string& dir, const TMLgExtTools* t) {
    ArchiveImportFile(dir + "kasa.imp", dir + "arch1.imp", t);
}

void ArchiveReceiptTmp(const std::string& dir, const TMLgExtTools* t) {
    ArchiveImportFile(dir + "receipt.tmp", dir + "arch2.imp", t);
}

}  // namespace zt

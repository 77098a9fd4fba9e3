#pragma once
// Records of the export file "kasa.exp": goods and packages, contractors,
// assortment groups, cashiers and currencies. Texts are Windows-1250. Their
// lines are parsed in kasa_exp.cpp.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/decimal.h"
#include "tools/api.h"

namespace zt {

// What has to be sent for a goods record.
enum stTow : int { stDod = 0, stAkt = 1, stCen = 2, stUsu = 3, stBrak = 4 };

// "DOD", "AKT", "CEN", "USU"; empty for stBrak.
ZT_API const char* StatusTekst(stTow s) noexcept;
// Decimal values compared as numbers (12.50 equals 12.5).
ZT_API int PorownajKwoty(const TxfTools& a, const TxfTools& b) noexcept;

// Numbers and flags of a goods record (the texts are in ZTTowRec), kept apart
// so that the goods table can store them without the texts.
struct ZT_API ZTTowDane {
    std::int32_t plu = 0;
    std::int32_t koldod = 0;
    TxfTools cena, cena_hurt, cena_noc, cena_dod;
    std::int32_t stawka = 0;
    std::int32_t stawka_prec = 0;
    std::int32_t jedn = 0;
    bool czy_wazony = false;
    std::int32_t precyzja = 0;
    bool wagowo_ilosciowy = false;
    bool opakowanie = false;
    bool cena_otwarta = true;
    std::int32_t plu_opakowania = 0;
    std::int32_t nr_asort = 0;
    stTow status = stBrak;
    std::int32_t nr_buf = -1;
    bool tr_ok = false;
    bool flag = false;
    bool add_rec = false;
    stTow org_status = stBrak;
    std::int32_t TerminW = 0;
    std::int32_t fd_nr_src_buf = 0;
    bool fd_from_ecr = false;
    bool fd_tow_z_kontr = false;
    std::int32_t poziom_cen = 0;
    std::int32_t ile_w_kodzie = 0;
    TxfTools fd_dod_rabat_tow;
    std::int32_t ile_jedn = 0;
    // Reported by the register for an entry of its list, so that every field
    // programmed is compared: the discount-allowed flag (-1 unknown), the
    // discount number and the minimum stock.
    std::int32_t zezwol_rabat = -1;
    std::int32_t nr_rabatu = 0;
    std::int64_t min_stan = 0;
};

// One goods or package record.
struct ZT_API ZTTowRec : ZTTowDane {
    std::string kod;
    std::string nazwa;
    std::string kod_opakowania = "0";
    std::string plu_rec;
    std::string org_barcode;
    std::string opis1, opis2, PKWiU, SWW, opis3, opis4;
    std::string nazwa_pelna;

    static constexpr int kTekstow = 12;
    // The texts in a fixed order (for compact storage).
    std::string* Teksty(int i);
    const std::string* Teksty(int i) const { return const_cast<ZTTowRec*>(this)->Teksty(i); }

    // Every number 0 and every text empty, except cena_otwarta true,
    // kod_opakowania "0", both statuses stBrak and nr_buf -1.
    void Clear();
    // Parses the fields of a "PLU" line (field 0 is the kind); raises the
    // buffer's texts for a line that cannot be read.
    void FromLine(const std::vector<std::string>& f);
    void FromLine(std::string_view line);
    // The price for a price level: 1 wholesale, 2 night, 3 additional, else retail.
    const TxfTools& CenaAkt(int poziom) const;
};

// One contractor with its loyalty card.
struct ZT_API ZTKontrRec {
    std::int32_t KontrId = 0;
    std::string Nazwa, Skrot, Ulica, Kod, Miasto, Telefon, NIP, KodKarty;
    double TermWaznKarty = 0;  // date-time day count; 0 when the line gives none
    bool KartaAktywna = false;
    TxfTools RabatOdbiorcy;
    std::int32_t PoziomRabatu = 0;
    std::int32_t NrBuf = -1;
    std::int32_t IloscPunktow = 0;

    void Clear();
    void FromLine(const std::vector<std::string>& f);
    void FromLine(std::string_view line);
};

// One assortment group.
struct ZT_API ZTAsort {
    std::int32_t numer = 0;
    std::string nazwa;

    void Clear();
    void FromLine(const std::vector<std::string>& f);
    void FromLine(std::string_view line);
};

// A cashier, kept as its five ";"-separated fields and decoded on request.
class ZT_API ZTKasjer {
public:
    explicit ZTKasjer(std::string line) : line_(std::move(line)) {}
    ZTKasjer(int numer, std::string_view nazwisko, int poziom, std::string_view identyfikator,
             std::string_view kodKarty);
    const std::string& Linia() const noexcept { return line_; }

    int GetNumer() const;
    std::string GetNazwisko() const;
    int GetPoziomUprawnien() const;
    std::string GetIdentyfikator() const;
    std::string GetKodKarty() const;

private:
    std::string line_;
};

// A currency, kept as its five ";"-separated fields.
class ZT_API ZTWaluta {
public:
    explicit ZTWaluta(std::string line) : line_(std::move(line)) {}
    const std::string& Linia() const noexcept { return line_; }

    std::string GetKod() const;
    std::string GetNazwa() const;
    int GetKurs() const;
    bool GetCzyDomyslna() const;
    bool GetCzyMoznaWydawacReszte() const;

private:
    std::string line_;
};

}  // namespace zt

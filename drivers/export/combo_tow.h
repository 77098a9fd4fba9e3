#pragma once
// The register's goods list as the comparison consumes it: one record per
// PLU or package the register reports (filled from the PLUREAD/PACKREAD
// answers), its entry text for the buffer and the snapshot file "combo.tow",
// and the entry read back into an export record.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/api.h"

namespace zt {

struct ZTTowRec;

// What the register reports for one goods, set of goods or package.
struct ZT_API ZTTowarKasy {
    enum Rodzaj { Towar, Zestaw, Opakowanie };
    Rodzaj rodzaj = Towar;
    int numer = 0;  // PLU number, or the package number
    std::string nazwa;
    std::string kod;           // main barcode
    std::int64_t minStan = 0;  // minimum stock
    int zestaw = 0;            // set flag
    int stawka = 0;            // VAT slot
    std::int64_t cena = 0;     // grosze
    int opakowanie = 0;        // package number tied to the goods
    int jednostka = 0;
    int formatIlosci = 0;
    int cenaSztywna = 0;  // fixed-price flag
    int rabat = 0;        // discount number
    int grupa = 0;        // goods group number
    int zezwolRabat = 0;  // discount-allowed flag
    int kodow = 0;        // number of barcodes
};

// The entry text ("TOW;...", "ZES;...", "OPA;..."), without a line end. The
// register's texts lose ";", CR and LF so that they never break the line.
ZT_API std::string WpisKasy(const ZTTowarKasy& t);
// The key the entry is searched by: its barcode field, trimmed.
ZT_API std::string KluczWpisu(const std::string& wpis);
// The fields of an entry into rec (the rest of rec stays); the VAT slot
// becomes the rate the slot holds (-999 for none).
ZT_API void WpisDoRekordu(const std::string& wpis, const std::array<int, 10>& stawkiSlotow, ZTTowRec& rec);

// The snapshot of the register's list: a fixed header, then one entry line
// (CR LF) per entry in reading order.
class ZT_API ZTComboTowPlik {
public:
    ZTComboTowPlik();
    void Dodaj(const std::string& wpis);
    const std::string& Tekst() const noexcept { return text_; }
    // Written whole, then renamed over an older file.
    void Zapisz(const std::string& path) const;

private:
    std::string text_;
};

}  // namespace zt

#pragma once
// In-store barcodes of weighed goods. The host keeps such goods under a code
// whose variable part (weight or price) is written as "?"; the register reports
// the code it sold. These tools turn one form into the other.
//
// A format is 13 characters, its first two the barcode prefix:
//   x prefix section, S constant section (the goods' own number, mandatory),
//   ? variable section (mandatory), G number section, K check-digit position,
//   a digit stands for itself.
#include <string>
#include <string_view>
#include <vector>

namespace zt {

class TKodWazony {
public:
    // The host's format list; not owned, may be null (the normalisations then fail).
    explicit TKodWazony(const std::vector<std::string>* formaty = nullptr) : formaty_(formaty) {}

    void Reset();

    // The code completed with "?" to 13 characters when a format of the same
    // prefix has its variable section starting right after the code; else the
    // code as it is.
    std::string NormalizujPoPrzedrostku(std::string_view kod) const;
    // The code with the positions of the variable section and the check digit
    // of the first format of the same length and prefix turned into "?".
    std::string NormalizujPoDlugosci(std::string_view kod) const;
    // A 13-character code with "?" in the variable section. The same code with
    // "0" there is kept (KodZerowy). Fails for a format that is not 13 of the
    // letters above, lacks "S" or "?", or a number that does not fit "G".
    std::string PoskladajKod(std::string_view format, std::string_view przedrostek, std::string_view stala, int liczba);

    // A code reported by the register turned into the host's form. kodPocz ..
    // kodKonc is the register's range of weighed goods numbers; formatKasy is
    // the host format picked for the register's weighed prefix (empty when none).
    std::string KonwertujKodRaportu(std::string_view kod, int kodPocz, int kodKonc, std::string_view formatKasy);

    // The last composed code with every "?" as "0".
    const std::string& KodZerowy() const noexcept { return kodZerowy_; }
    const std::string& Przedrostek() const noexcept { return przedrostek_; }
    const std::string& Stala() const noexcept { return stala_; }
    int Liczba() const noexcept { return liczba_; }

private:
    const std::vector<std::string>& formaty(std::string_view key) const;

    const std::vector<std::string>* formaty_;
    std::string kodZerowy_;
    std::string przedrostek_;
    std::string stala_;
    int liczba_ = 0;
};

}  // namespace zt

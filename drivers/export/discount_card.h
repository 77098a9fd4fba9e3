#pragma once
// Discount-card codes built from a card format, for drivers that program a
// contractor's card as a goods barcode.
//
// A format is made of "0"-"9" and "skymdYMDrx". Each run of one letter is a
// section as wide as the run: s prefix, k client code, r discount level,
// y/Y year, m/M month, d/D day of the expiry date; a digit stands for itself;
// x (only at position 13) asks for the EAN-13 check digit.
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace zt {

class TKartaRab {
public:
    int przedrostek = 0;
    TdtTools terminWaznosci;
    int poziomRabatu = 0;
    std::string kodKlienta;

    void Reset();
    // Fails with the text of the first rule the format breaks.
    static void SprawdzPoprawnoscFormatu(std::string_view format);
    // The card code of this card in the format (checked first).
    std::string GenerujKod(std::string_view format) const;
};

// Where the card number sits inside the card codes the register accepts,
// read from the register's discount-card configuration (DISCNTCARDCFGGETEX,
// answer field 3): the 1-based position of the first "N" and the length of the
// run of "N" from there; both 0 when the configuration holds no "N".
struct CardNumberField {
    int position = 0;
    int length = 0;
};
CardNumberField CardNumberFieldOf(std::string_view registerCardFormat);

}  // namespace zt

#pragma once
// What PLUINS and PACKINS program for an export record, written once so that
// the programming and the comparison with the register's list agree.
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/api.h"

namespace zt {

class TxfTools;
struct ZTTowRec;

// The name limited to what the register keeps: 40 characters from family 8
// on, 16 for families 1 and 3, else 24; NUL characters dropped.
ZT_API std::string NazwaDlaKasy(std::string_view nazwa, int rodzina);
// The barcode as sent: every "?" removed; on family 5 also its first two
// characters and then its leading zeros.
ZT_API std::string KodDlaKasy(std::string_view kod, int rodzina);
// The key a barcode is matched by on both sides: leading zeros removed.
ZT_API std::string BezZerWiodacych(std::string_view kod);
// The package number tied to goods: kod_opakowania as an integer (0 when
// empty or not one), 0 above 65.
ZT_API int NrOpakowaniaTowaru(const ZTTowRec& rec);
// The number of a package record: its kod as an integer, 99 when not one.
ZT_API int NrOpakowania(const ZTTowRec& rec);
// 1 when the price is fixed (not an open price).
ZT_API int FlagaCenySztywnej(const ZTTowRec& rec);
// The discount-allowed flag: 1 when ComboProductFlag is 0 and the goods carry
// no discount of their own.
ZT_API int FlagaRabatu(const ZTTowRec& rec, int flagaProduktu);
// The price in whole grosze, the fraction cut off; false beyond 64 bits.
ZT_API bool CenaDlaKasy(const TxfTools& cena, std::int64_t& grosze);

}  // namespace zt

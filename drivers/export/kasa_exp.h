#pragma once
// The export file "kasa.exp": ";"-separated lines, the first field naming the
// record kind. The field parsers shared by the record lines (kasa_exp.cpp)
// and by the steps that reread a stored line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/decimal.h"
#include "tools/api.h"

namespace zt {

namespace expfield {
// A strict 32-bit integer; raises the platform's integer-conversion error.
ZT_API std::int32_t Int(const std::string& s);
// The longest leading decimal number ("." as the point); 0 when none; a value
// beyond the decimal range rejects the file.
ZT_API TxfTools Dec(std::string_view s);
// "T"/"t" true, "F"/"f" false; anything else raises the given text.
ZT_API bool Flag(const std::string& s, bool contractor);
// The line split at every ";" (a final separator adds no field).
ZT_API std::vector<std::string> Split(std::string_view line);
}  // namespace expfield

}  // namespace zt

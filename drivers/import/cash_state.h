#pragma once
// The cash drawer as "combo.imp" lines: "KAS" with the logged-in cashier and
// his statistics, and one "KPL" per payment form he took money in.
#include <cstdint>
#include <string>

namespace zt {

class TZTComboAction;
struct ImportRun;

void ReadCashState(TZTComboAction& action, const ImportRun& run);

// The cashier's log-in time: seconds since 2000-01-01 00:00:00 as a compact time stamp.
std::string LoginTimeText(std::uint32_t secondsSince2000);

}  // namespace zt

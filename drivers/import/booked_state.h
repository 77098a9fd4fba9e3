#pragma once
// The register's state the host already holds: the goods and package
// counters and the cash state of a reading it stored. The counters are
// running totals, so a reading after that one books only what was sold since;
// a counter lower than the one held was cleared in between and counts as it
// stands. The cash state is a snapshot: one the host holds is not booked again.
//
// It travels in "combo.imp" as "# BOOKED" comment lines, so that it survives
// a reading that breaks off or a host that refuses the save.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/import/combo_imp_lines.h"
#include "tools/api.h"

namespace zt {

class ZT_API ZTBookedState {
public:
    // What the "# BOOKED" lines of a "combo.imp" text say.
    static ZTBookedState Booked(std::string_view comboImp);
    // The state lines (SPT, SPO, KAS, KPL) of a "combo.imp" text, as the host
    // holds them once it stored that file.
    static ZTBookedState Read(std::string_view comboImp);

    bool Empty() const { return goods_.empty() && packages_.empty() && cash_.empty(); }
    // The "# BOOKED" lines, each ended by CR LF.
    std::string Lines() const;
    // The cash state (KAS and KPL lines) equals the one held.
    bool SameCash(const ZTBookedState& other) const { return !cash_.empty() && cash_ == other.cash_; }

    // What a counter books: its values less the held ones.
    struct Goods {
        std::int64_t value, quantity;
    };
    struct Packages {
        std::int64_t sold, returned, valueSold, valueReturned;
    };
    Goods Settle(const SptLine& line) const;
    Packages Settle(const SpoLine& line) const;

private:
    void add(std::string_view line);

    std::map<std::string, std::string> goods_, packages_;  // by PLU or package number: the line
    std::vector<std::string> cash_;
};

// The "combo.imp" at path (when there is one) holds counters the host has
// not settled: clearing the register's counters now would lose or double
// sales at the next import.
ZT_API bool HoldsUnsettledCounters(const std::string& comboImpPath);

}  // namespace zt

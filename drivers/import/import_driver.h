#pragma once
// The import from the register (operations -3 and -6): what a previous import
// left in "combo.imp" is handed to the host first, then the register is read
// into "combo.imp" (sales counters, receipt buffer, cash state) and that is
// handed to the host.
namespace zt {

class TZTComboAction;

void Import(TZTComboAction& action);
// Before the register's sales counters are cleared: refused while a leftover
// "combo.imp" holds counters the next import has yet to settle with the host.
void RefuseClearingWithUnsettledCounters(TZTComboAction& action);
// Operation -4: the detailed parameters come with the normal import; refused with a hint.
void RefuseImportParameters(TZTComboAction& action);

}  // namespace zt

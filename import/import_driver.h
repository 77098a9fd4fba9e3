#pragma once
// The import from the register (operations -3 and -6): what a previous import
// left in "combo.imp" is handed to the host first, then the register is read
// into "combo.imp" (sales counters, receipt buffer, cash state) and that is
// handed to the host.
namespace zt {

class TZTComboAction;

void Import(TZTComboAction& action);

}  // namespace zt

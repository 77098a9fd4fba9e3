#pragma once
// The register's receipt buffer read record by record (SALERECGET) into
// "combo.imp" as "P_" lines. A record leaves the register only when the next
// request confirms it, so a reading broken off loses nothing there.
#include <string>

namespace zt {

class TZTComboAction;
struct ImportRun;

// Reads the whole buffer; the lines of the receipt being read are kept in
// run.unfinished until its closing record.
void ReadReceiptBuffer(TZTComboAction& action, ImportRun& run);

}  // namespace zt

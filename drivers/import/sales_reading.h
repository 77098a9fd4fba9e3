#pragma once
// The register's sales counters as "combo.imp" lines: per PLU ("SPT") and per
// package ("SPO"), and the fiscal daily report that may run before them.
namespace zt {

class TZTComboAction;
struct ImportRun;

enum class SalesKind { Goods = 0, Packages = 1 };

// Reads every counter of the kind (an unknown kind raises) into "combo.imp".
void ReadPluSale(TZTComboAction& action, const ImportRun& run, int kind);

// The fiscal daily report, unless the totalizers are zero (a warning then; the
// import goes on). The report gets the register's own date and time back.
void FiscalDailyReport(TZTComboAction& action);

// Where the card number sits in a card code, from the register's card format
// (registers of family 5 on, with ComboCardFormatFull set).
void ReadCardFormat(TZTComboAction& action, ImportRun& run);

}  // namespace zt

#pragma once
// The register's goods base taken into the host's catalogue: VAT rates,
// groups, units, packages and goods read from the register, every package and
// goods record handed to the host, the counts shown, and "import.log".
namespace zt {

class TZTActionBase;
class TZTComboAction;

// The two options, stored by the host under their plain keys as "TRUE" or "FALSE".
struct GoodsImportOptions {
    bool overwrite = false;  // ComboImportOverWrite: the host may overwrite goods of the same code
    bool log = true;         // ComboImportLogSave: write "import.log"
};
GoodsImportOptions ReadGoodsImportOptions(TZTActionBase& action);
void StoreGoodsImportOptions(TZTActionBase& action, const GoodsImportOptions& options);

// The window operation: opens the link, imports, closes the link (also on failure).
void ImportTowarowDoHosta(TZTComboAction& action);

}  // namespace zt

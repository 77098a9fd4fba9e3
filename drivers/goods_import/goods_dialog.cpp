#include "drivers/goods_import/goods_dialog.h"

#include "action/action_base.h"
#include "action/library.h"
#include "drivers/goods_import/goods_import.h"
#include "platform/cp1250.h"
#include "platform/translation.h"

namespace zt {

Tfrm_import::Tfrm_import(TZTActionBase& action) : action_(action) {
    const TMLgExtTools* t = action.Tlumacz();
    auto text = [t](const char* key, const char* utf8) { return translate(t, "ztcombo_fImportCombo", key, pl(utf8)); };
    model_.caption = text("Caption", "Import towarów z kasy");
    model_.continueText = text("MStatusBButtons0Text", "Kontynuuj");
    model_.continueKey = "F2";
    model_.cancelText = text("MStatusBButtons1Text", "Rezygnuj");
    model_.cancelKey = text("MStatusBButtons1ShortCut", "Esc");
    model_.overwriteText = text("OverwritCaption", "Nadpisywać towary o takim samym kodzie");
    model_.logText = text("LogFileCCaption", "Tworzyć plik logu - 'import.log'");
    const GoodsImportOptions options = ReadGoodsImportOptions(action);
    model_.overwrite = options.overwrite;
    model_.log = options.log;
}

bool Tfrm_import::Pokaz(GoodsDialogView* view) {
    std::unique_ptr<GoodsDialogView> own;
    if (!view) {
        own = createGoodsDialogView();
        view = own.get();
    }
    if (!view->Show(model_, action_.Library().OknoHosta())) return false;
    GoodsImportOptions options;
    options.overwrite = model_.overwrite;
    options.log = model_.log;
    StoreGoodsImportOptions(action_, options);
    return true;
}

}  // namespace zt

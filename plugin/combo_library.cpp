#include "plugin/combo_library.h"

#include "drivers/combo/combo_action.h"
#include "drivers/goods_import/goods_dialog.h"
#include "plugin/host_windows.h"
#include "plugin/operation_table.h"

namespace zt {

std::unique_ptr<TZTActionBase> TZTComboLibrary::UtworzAkcje(std::int32_t session) {
    return std::make_unique<TZTComboAction>(*this, session, linkFactory_, &ComboOperationTable());
}

int TZTComboLibrary::PokazOkno(TZTActionBase& action, int window, bool editable, std::int32_t* operation,
                               const NazwaOperacji& setName) {
    if (window == 0) {
        action.PokazStawki("A", editable, "");
        return 0;
    }
    if (window < 1 || window > 6) return 0;
    if (operation) *operation = window;
    setName(windowOperationName(window));
    // The goods import asks for its options first; the out-arguments stand either way.
    if (window == 6) return Tfrm_import(action).Pokaz() ? 1 : 0;
    return 1;
}

}  // namespace zt

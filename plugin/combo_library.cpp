#include "plugin/combo_action.h"
#include "plugin/library.h"

namespace zt {

std::unique_ptr<TZTActionBase> TZTComboLibrary::UtworzAkcje(std::int32_t session) {
    return std::make_unique<TZTComboAction>(*this, session);
}

int TZTComboLibrary::PokazOkno(TZTActionBase& action, int window, bool editable, std::int32_t*, char*) {
    if (window == 0) {
        action.PokazStawki("A", editable, "");
        return 0;
    }
    return 0;
}

}  // namespace zt

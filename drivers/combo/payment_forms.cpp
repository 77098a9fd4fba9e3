#include "drivers/combo/payment_forms.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "proto/commands.h"

namespace zt {
namespace {

struct FormRule {
    int type;
    const char* key;
    const char* warning;
};
constexpr FormRule kRules[5] = {
    {2, "TZTComboVerifyFPmsg", "Forma płatności nr 2 powinna być typu \"Karta\""},
    {1, "TZTComboVerifyFPmsg_00001", "Forma płatności nr 3 powinna być walutą euro"},
    {4, "TZTComboVerifyFPmsg_00002", "Forma płatności nr 4 powinna być typu \"Bon\""},
    {3, "TZTComboVerifyFPmsg_00003", "Forma płatności nr 5 powinna być typu \"Czek\""},
    {6, "TZTComboVerifyFPmsg_00004", "Forma płatności nr 6 powinna być typu \"Inne\""},
};

}  // namespace

int RequiredPaymentFormType(int form) { return (form >= 2 && form <= 6) ? kRules[form - 2].type : -1; }

void VerifyPaymentForms(TZTComboAction& a) {
    TComboLink& link = a.Link();
    a.Postep(trc("TZTComboVerifyFPMsgAdd", pl("Weryfikacja zaprogramowanych form płatności")), 5);
    bool warned = false;
    for (int form = 2; form <= 6; ++form) {
        link.SendCommand(cmdPAYFORMREAD, {link.EncodeV(static_cast<std::uint16_t>(form))});
        const int type = link.answer.Count() == 6 ? link.answer[2].AsB() : -1;
        const FormRule& rule = kRules[form - 2];
        if (type != rule.type) {
            a.Komunikat(kWarning, trc(rule.key, pl(rule.warning)));
            warned = true;
        }
    }
    if (warned)
        throw Exception(
            trc("TZTComboVerifyFPExceptio", pl("Kasa jest w trybie fiskalnym. Formy płatności należy zaprogramować "
                                               "ręcznie zgodnie z powyższymi zaleceniami.")));
    a.PostepTryb(0);  // the step closes its own line; a mismatch leaves it to the caller's failure path
}

}  // namespace zt

#include "action/vat/vat_dialog.h"

#include "action/action_base.h"
#include "action/library.h"
#include "action/vat/vat_slots.h"
#include "platform/cp1250.h"
#include "platform/intset.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace zt {

TFrmStawki::TFrmStawki(TZTActionBase& action, TZTStawkiKolejne& table, const std::string& firstLabel, bool editable,
                       const std::string& specialLabel)
    : action_(action), table_(table) {
    const TMLgExtTools* t = action.Tlumacz();
    constexpr bool kHundredths = true;  // the dialog always works in hundredths of a percent
    model_.caption = translate(t, "zttools_fstavat", "TFrmStawkiCaption", pl("Stawki VAT na kasie"));
    model_.okText = translate(t, "zttools_fstavat", "TFrmStawkiOK", "OK");
    model_.cancelText = translate(t, "zttools_fstavat", "TFrmStawkiAnuluj", "Anuluj");
    model_.editable = editable;

    model_.items.push_back(translate(t, "zttools_fstavat", "TFrmStawSetStawkstr", "<pusta>"));
    auto& rates = action.StawkiHosta();
    for (int i = 0; i < rates.GetCount(); ++i)
        model_.items.push_back(StawkaNaTekst(rates.GetValues(i), kHundredths, t));

    const int shown = action.LiczbaStawek();
    const int numeric = TxTools::StrToIntDef(firstLabel, -1);
    for (int i = 0; i < 10; ++i) {
        auto& row = model_.rows[i];
        const std::string want = StawkaNaTekst(table.Get(i), kHundredths, t);
        row.selected = 0;
        for (std::size_t k = 0; k < model_.items.size(); ++k)
            if (model_.items[k] == want) {
                row.selected = static_cast<int>(k);
                break;
            }
        row.visible = i < shown;
        if (numeric >= 0)
            row.label = std::to_string(static_cast<long long>(numeric) + i) + ":";
        else
            row.label = std::string(1, static_cast<char>((firstLabel.empty() ? 'A' : firstLabel[0]) + i)) + ":";
    }
    if (!specialLabel.empty()) {
        model_.specialVisible = true;
        model_.specialLabel = specialLabel;
        model_.specialValue = StawkaNaTekst(-1, kHundredths, t);
    }
}

bool TFrmStawki::Pokaz(VatDialogView* view) {
    std::unique_ptr<VatDialogView> own;
    if (!view) {
        own = createVatDialogView();
        view = own.get();
    }
    return view->Show(model_, action_.Library().OknoHosta());
}

void TFrmStawki::Zatwierdz() {
    for (int i = 0; i < 10; ++i) {
        const int sel = model_.rows[i].selected;
        if (sel > 0 && sel < static_cast<int>(model_.items.size()))
            table_.Set(i, TekstNaStawke(model_.items[sel], true));
        else
            table_.Set(i, TZTStawkiKolejne::kUndefined);
    }
}

}  // namespace zt

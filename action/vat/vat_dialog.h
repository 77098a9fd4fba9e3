#pragma once
// The dialog "Stawki VAT na kasie": the user puts the host's VAT rates into the
// register's slots. TFrmStawki holds what the dialog shows and the rules applied
// on OK; a presentation (a Win32 dialog, or a terminal/scripted one elsewhere)
// only shows the model and lets the user change the selections.
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zt {

class TZTActionBase;
class TZTStawkiKolejne;

struct VatDialogModel {
    struct Row {
        std::string label;  // "A:", "B:", ... or "0:", "1:", ...
        int selected = 0;   // index into items
        bool visible = true;
    };
    std::string caption, okText, cancelText;
    std::vector<std::string> items;  // "<pusta>" first, then the host's rates
    std::array<Row, 10> rows;
    bool editable = false;
    bool specialVisible = false;
    std::string specialLabel, specialValue;
};

// Shows the model modally; true when closed with OK. May change rows[i].selected.
class VatDialogView {
public:
    virtual ~VatDialogView() = default;
    virtual bool Show(VatDialogModel& model, void* ownerWindow) = 0;
};

// The presentation of this platform (Win32 dialog, or terminal/scripted).
std::unique_ptr<VatDialogView> createVatDialogView();

class TFrmStawki {
public:
    TFrmStawki(TZTActionBase& action, TZTStawkiKolejne& table, const std::string& firstLabel, bool editable,
               const std::string& specialLabel);
    // Shows the dialog through the platform presentation (or the one given).
    bool Pokaz(VatDialogView* view = nullptr);
    // Applies the selections to the table (the rule of OK).
    void Zatwierdz();
    VatDialogModel& Model() { return model_; }

private:
    TZTActionBase& action_;
    TZTStawkiKolejne& table_;
    VatDialogModel model_;
};

}  // namespace zt

#pragma once
// The dialog "Import towarów z kasy" of the goods import: the two options asked
// before the host runs the import. Tfrm_import holds what the dialog shows and
// stores the options on "Kontynuuj"; a presentation (a Win32 dialog, or a
// terminal/scripted one elsewhere) shows the model and lets the user tick the boxes.
#include <memory>
#include <string>

namespace zt {

class TZTActionBase;

struct GoodsDialogModel {
    std::string caption;
    std::string continueText, continueKey;  // "Kontynuuj", "F2"
    std::string cancelText, cancelKey;      // "Rezygnuj", "Esc"
    std::string overwriteText, logText;
    bool overwrite = false;
    bool log = true;
};

// Shows the model modally; true when closed with "Kontynuuj". May change the two flags.
class GoodsDialogView {
public:
    virtual ~GoodsDialogView() = default;
    virtual bool Show(GoodsDialogModel& model, void* ownerWindow) = 0;
};

// The presentation of this platform (Win32 dialog, or terminal/scripted).
std::unique_ptr<GoodsDialogView> createGoodsDialogView();

class Tfrm_import {
public:
    // Texts through the action's translation object, boxes from the stored options.
    explicit Tfrm_import(TZTActionBase& action);
    // Shows the dialog (through the platform presentation or the one given); on
    // "Kontynuuj" stores both options and answers true.
    bool Pokaz(GoodsDialogView* view = nullptr);
    GoodsDialogModel& Model() { return model_; }

private:
    TZTActionBase& action_;
    GoodsDialogModel model_;
};

}  // namespace zt

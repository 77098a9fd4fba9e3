// The goods-import dialog's model: the boxes come from the stored options, the
// texts from the host's translations, and only "Kontynuuj" stores anything.
#include <gtest/gtest.h>

#include <filesystem>

#include "action/library.h"
#include "drivers/combo/combo_action.h"
#include "drivers/goods_import/goods_dialog.h"
#include "platform/cp1250.h"
#include "plugin/combo_library.h"
#include "plugin/operation_table.h"
#include "plugin/parameters.h"
#include "tests/support/host_state.h"

using namespace zt;
using ztest::HostState;

namespace {

// Answers as the user would, after noting what it was shown.
class ScriptedView : public GoodsDialogView {
public:
    bool confirm = true;
    bool overwrite = false, log = false;
    bool changeBoxes = false;
    GoodsDialogModel shown;
    void* owner = nullptr;
    bool Show(GoodsDialogModel& m, void* ownerWindow) override {
        shown = m;
        owner = ownerWindow;
        if (changeBoxes) m.overwrite = overwrite, m.log = log;
        return confirm;
    }
};

class GoodsDialog : public ::testing::Test {
protected:
    HostState host;
    TZTComboLibrary lib{77};
    std::filesystem::path dir;

    void SetUp() override {
        char tmpl[] = "/tmp/zt-gdlg-XXXXXX";
        dir = mkdtemp(tmpl);
        host.workDir = dir.string() + "/";
        host.registerAll([this](void* p, int k) { lib.RejestrujCallback(p, k); }, true, true);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::unique_ptr<TZTComboAction> action() { return std::make_unique<TZTComboAction>(lib, 3, nullptr, &ComboOperationTable()); }
};

}  // namespace

TEST_F(GoodsDialog, TheBoxesShowTheStoredOptions) {
    struct Case {
        const char* overwrite;  // nullptr: the host holds the declared default
        const char* log;
        bool wantOverwrite, wantLog;
    } cases[] = {
        {nullptr, nullptr, false, true},
        {"", "", false, false},  // set to nothing is not set
        {"TRUE", "FALSE", true, false},  {" TRUE\r\n", " FALSE ", true, false},
        {"true", "1", false, false},  // only "TRUE" counts as set
        {"FALSE", "TRUE", false, true},
    };
    for (const auto& c : cases) {
        host.params.erase("ComboImportOverWrite");
        host.params.erase("ComboImportLogSave");
        host.params["ComboImportOverWrite"] = c.overwrite ? c.overwrite : declareParameter(101, 20, "").defaultValue;
        host.params["ComboImportLogSave"] = c.log ? c.log : declareParameter(101, 21, "").defaultValue;
        auto a = action();
        Tfrm_import dialog(*a);
        EXPECT_EQ(dialog.Model().overwrite, c.wantOverwrite) << (c.overwrite ? c.overwrite : "-");
        EXPECT_EQ(dialog.Model().log, c.wantLog) << (c.log ? c.log : "-");
    }
}

TEST_F(GoodsDialog, TextsComeFromTheDialogsModule) {
    host.translations[{"ztcombo_fImportCombo", "Caption"}] = "Goods import";
    host.translations[{"ztcombo_fImportCombo", "MStatusBButtons1ShortCut"}] = "Escape";
    auto a = action();
    Tfrm_import dialog(*a);
    const auto& m = dialog.Model();
    EXPECT_EQ(m.caption, "Goods import");
    EXPECT_EQ(m.cancelKey, "Escape");
    EXPECT_EQ(m.continueText, "Kontynuuj");
    EXPECT_EQ(m.continueKey, "F2");
    EXPECT_EQ(m.cancelText, "Rezygnuj");
    EXPECT_EQ(m.overwriteText, pl("Nadpisywać towary o takim samym kodzie"));
    EXPECT_EQ(m.logText, pl("Tworzyć plik logu - 'import.log'"));
}

TEST_F(GoodsDialog, ContinueStoresBothOptionsAndCancelNothing) {
    host.params["ComboImportOverWrite"] = "FALSE";
    host.params["ComboImportLogSave"] = "TRUE";
    auto a = action();
    ScriptedView view;
    view.confirm = false;
    view.changeBoxes = true, view.overwrite = true, view.log = false;
    EXPECT_FALSE(Tfrm_import(*a).Pokaz(&view));
    EXPECT_TRUE(host.written.empty());

    view.confirm = true;
    EXPECT_TRUE(Tfrm_import(*a).Pokaz(&view));
    EXPECT_EQ(host.written["ComboImportOverWrite"], "TRUE");
    EXPECT_EQ(host.written["ComboImportLogSave"], "FALSE");
    // Confirmed unchanged, the options are stored as they were shown.
    host.written.clear();
    view.changeBoxes = false;
    EXPECT_TRUE(Tfrm_import(*a).Pokaz(&view));
    EXPECT_TRUE(view.shown.overwrite);
    EXPECT_EQ(host.written["ComboImportOverWrite"], "TRUE");
    EXPECT_EQ(host.written["ComboImportLogSave"], "FALSE");
}

TEST_F(GoodsDialog, AHostThatRefusesTheStoreIsAnError) {
    host.refuseStores = true;
    auto a = action();
    ScriptedView view;
    EXPECT_THROW(Tfrm_import(*a).Pokaz(&view), std::exception);
}

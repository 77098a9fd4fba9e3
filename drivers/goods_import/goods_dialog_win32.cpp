// The goods-import dialog as a real modal Win32 dialog, built from an
// in-memory template and owned by the host's window: two check boxes and a
// button bar, F2 continues and Esc gives up from whichever control has the focus.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "action/dialog_template_win32.h"
#include "drivers/goods_import/goods_dialog.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

constexpr WORD kIdOverwrite = 1001;
constexpr WORD kIdLog = 1002;
constexpr WORD kIdBar = 1003;
constexpr UINT_PTR kSubclassId = 1;

using dialog::Template;
using dialog::wide;

// F2 reaches the control with the focus (the dialog manager has no use for
// it): every control hands it to the dialog as "Kontynuuj".
LRESULT CALLBACK controlProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_KEYDOWN && wp == VK_F2) {
        PostMessageW(GetParent(wnd), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, controlProc, kSubclassId);
    return DefSubclassProc(wnd, msg, wp, lp);
}

// For scripts that drive the real dialog: the model as shown, once it is up.
void noteShown(const GoodsDialogModel& m) {
    const char* dump = std::getenv("ZTCOMBO_DIALOG_DUMP");
    if (!dump) return;
    std::ofstream d(dump, std::ios::app);
    d << "== " << toUtf8(m.caption) << " == overwrite " << m.overwrite << " log " << m.log << "\n";
}

INT_PTR CALLBACK proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* model = reinterpret_cast<GoodsDialogModel*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            model = reinterpret_cast<GoodsDialogModel*>(lp);
            SetWindowTextW(dlg, wide(model->caption).c_str());
            SetDlgItemTextW(dlg, kIdOverwrite, wide(model->overwriteText).c_str());
            SetDlgItemTextW(dlg, kIdLog, wide(model->logText).c_str());
            SetDlgItemTextW(dlg, IDOK, wide(model->continueKey + " " + model->continueText).c_str());
            SetDlgItemTextW(dlg, IDCANCEL, wide(model->cancelKey + " " + model->cancelText).c_str());
            CheckDlgButton(dlg, kIdOverwrite, model->overwrite ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(dlg, kIdLog, model->log ? BST_CHECKED : BST_UNCHECKED);
            for (WORD id : {kIdOverwrite, kIdLog, static_cast<WORD>(IDOK), static_cast<WORD>(IDCANCEL)})
                SetWindowSubclass(GetDlgItem(dlg, id), controlProc, kSubclassId, 0);
            noteShown(*model);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK && model) {
                model->overwrite = IsDlgButtonChecked(dlg, kIdOverwrite) == BST_CHECKED;
                model->log = IsDlgButtonChecked(dlg, kIdLog) == BST_CHECKED;
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            break;
        default: break;
    }
    return FALSE;
}

class Win32View : public GoodsDialogView {
public:
    bool Show(GoodsDialogModel& model, void* owner) override {
        Template t;
        const short width = 220, height = 76;
        // Header; the item count is patched in once the items are written.
        t.dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        t.dword(0);
        const std::size_t countAt = t.data().size();
        t.word(0);
        t.word(0);
        t.word(0);
        t.word(static_cast<WORD>(width));
        t.word(static_cast<WORD>(height));
        t.word(0);  // menu
        t.word(0);  // class
        t.text(L"");
        t.word(8);
        t.text(L"MS Shell Dlg");
        t.item(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 200, 12, kIdOverwrite, 0x0080);
        t.item(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 26, 200, 12, kIdLog, 0x0080);
        // The button bar under an etched line.
        t.item(SS_ETCHEDHORZ, 0, 46, width, 1, kIdBar, 0x0082);
        t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 54, 95, 15, IDOK, 0x0080);
        t.item(BS_PUSHBUTTON | WS_TABSTOP, 115, 54, 95, 15, IDCANCEL, 0x0080);
        t.data()[countAt] = t.count();

        INT_PTR r =
            DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data().data()),
                                    static_cast<HWND>(owner), proc, reinterpret_cast<LPARAM>(&model));
        return r == IDOK;
    }
};

}  // namespace

std::unique_ptr<GoodsDialogView> createGoodsDialogView() { return std::make_unique<Win32View>(); }

}  // namespace zt
#endif

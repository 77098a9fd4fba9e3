// The VAT slot dialog as a real modal Win32 dialog, built from an in-memory
// template and owned by the host's window.
#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "action/dialog_template_win32.h"
#include "action/vat/vat_dialog.h"

namespace zt {
namespace {

constexpr int kIdLabel = 1000;  // + row
constexpr int kIdCombo = 1100;  // + row
constexpr int kIdSpecialLabel = 1200;
constexpr int kIdSpecialValue = 1201;
constexpr int kRows = 10;

using dialog::Template;
using dialog::wide;

struct Context {
    VatDialogModel* model;
};

// For scripts that drive the real dialog inside a virtual desktop, where its
// window cannot be found by name: a line once it is up.
void noteShown(const VatDialogModel& m) {
    const char* dump = std::getenv("ZTCOMBO_DIALOG_DUMP");
    if (!dump) return;
    std::ofstream d(dump, std::ios::app);
    d << "== " << m.caption << " ==\n";
}

INT_PTR CALLBACK proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* ctx = reinterpret_cast<Context*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            ctx = reinterpret_cast<Context*>(lp);
            auto& m = *ctx->model;
            SetWindowTextW(dlg, wide(m.caption).c_str());
            SetDlgItemTextW(dlg, IDOK, wide(m.okText).c_str());
            SetDlgItemTextW(dlg, IDCANCEL, wide(m.cancelText).c_str());
            EnableWindow(GetDlgItem(dlg, IDOK), m.editable);
            for (int r = 0; r < kRows; ++r) {
                HWND label = GetDlgItem(dlg, kIdLabel + r);
                HWND combo = GetDlgItem(dlg, kIdCombo + r);
                SetWindowTextW(label, wide(m.rows[r].label).c_str());
                for (const auto& it : m.items)
                    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(it).c_str()));
                SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(m.rows[r].selected), 0);
                EnableWindow(combo, m.editable);
                const int show = m.rows[r].visible ? SW_SHOW : SW_HIDE;
                ShowWindow(label, show);
                ShowWindow(combo, show);
            }
            HWND sl = GetDlgItem(dlg, kIdSpecialLabel);
            HWND sv = GetDlgItem(dlg, kIdSpecialValue);
            SetWindowTextW(sl, wide(m.specialLabel.empty() ? std::string("11:") : m.specialLabel).c_str());
            SendMessageW(sv, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(m.specialValue).c_str()));
            SendMessageW(sv, CB_SETCURSEL, 0, 0);
            EnableWindow(sv, FALSE);
            ShowWindow(sl, m.specialVisible ? SW_SHOW : SW_HIDE);
            ShowWindow(sv, m.specialVisible ? SW_SHOW : SW_HIDE);
            noteShown(m);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK && ctx && ctx->model->editable) {
                for (int r = 0; r < kRows; ++r) {
                    LRESULT sel = SendDlgItemMessageW(dlg, kIdCombo + r, CB_GETCURSEL, 0, 0);
                    ctx->model->rows[r].selected = sel == CB_ERR ? 0 : static_cast<int>(sel);
                }
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

class Win32View : public VatDialogView {
public:
    bool Show(VatDialogModel& model, void* owner) override {
        Template t;
        const short rowH = 16, top = 7, width = 130;
        // Hidden rows take no room: the special row and the buttons follow the last shown row.
        int shown = 0;
        for (const auto& row : model.rows) shown += row.visible ? 1 : 0;
        const int lines = shown + (model.specialVisible ? 1 : 0);
        const short height = static_cast<short>(top + lines * rowH + 28);
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
        for (int r = 0; r < kRows; ++r) {
            const short y = static_cast<short>(top + r * rowH);
            t.item(SS_RIGHT, 7, static_cast<short>(y + 2), 22, 10, static_cast<WORD>(kIdLabel + r), 0x0082);
            t.item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 33, y, 90, 120, static_cast<WORD>(kIdCombo + r), 0x0085);
        }
        const short ys = static_cast<short>(top + shown * rowH);
        t.item(SS_RIGHT, 7, static_cast<short>(ys + 2), 22, 10, kIdSpecialLabel, 0x0082);
        t.item(CBS_DROPDOWNLIST, 33, ys, 90, 40, kIdSpecialValue, 0x0085);
        const short yb = static_cast<short>(height - 21);
        t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 14, yb, 50, 14, IDOK, 0x0080);
        t.item(BS_PUSHBUTTON | WS_TABSTOP, 70, yb, 50, 14, IDCANCEL, 0x0080);
        t.data()[countAt] = t.count();

        Context ctx{&model};
        INT_PTR r =
            DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data().data()),
                                    static_cast<HWND>(owner), proc, reinterpret_cast<LPARAM>(&ctx));
        return r == IDOK;
    }
};

}  // namespace

std::unique_ptr<VatDialogView> createVatDialogView() { return std::make_unique<Win32View>(); }

}  // namespace zt
#endif

// Terminal and scripted presentation of the VAT slot dialog, for systems
// without the Win32 dialog. A script in ZTCOMBO_DIALOG_SCRIPT ("select ROW ITEM",
// "pick ROW TEXT", "ok", "cancel", separated by ';' or new lines) answers the
// dialog without a person; otherwise it is shown on the controlling terminal.
// Without either it cannot be shown and counts as cancelled.
#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "action/vat/vat_dialog.h"
#include "platform/cp1250.h"
#include "platform/text.h"

namespace zt {
namespace {

void render(const VatDialogModel& m, std::ostream& out) {
    out << "== " << toUtf8(m.caption) << (m.editable ? "" : " (tylko odczyt)") << " ==\n";
    for (std::size_t r = 0; r < m.rows.size(); ++r) {
        const auto& row = m.rows[r];
        if (!row.visible) continue;
        out << "  [" << r << "] " << toUtf8(row.label) << " "
            << toUtf8(m.items.at(static_cast<std::size_t>(row.selected))) << "\n";
    }
    if (m.specialVisible) out << "      " << toUtf8(m.specialLabel) << " " << toUtf8(m.specialValue) << "\n";
    out << "  items:";
    for (std::size_t i = 0; i < m.items.size(); ++i) out << " " << i << "=" << toUtf8(m.items[i]);
    out << "\n";
}

// One command; returns 1 for OK, 0 for Cancel, -1 to go on.
int apply(VatDialogModel& m, const std::string& line, std::ostream& err) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd.empty()) return -1;
    if (cmd == "ok") return m.editable ? 1 : -1;  // OK is disabled on a read-only dialog
    if (cmd == "cancel") return 0;
    if ((cmd == "select" || cmd == "pick") && m.editable) {
        long row = -1;
        in >> row;
        std::string arg;
        std::getline(in >> std::ws, arg);
        if (row < 0 || row >= static_cast<long>(m.rows.size()) || !m.rows[static_cast<std::size_t>(row)].visible) {
            err << "no such row: " << row << "\n";
            return -1;
        }
        long item = -1;
        if (cmd == "select") {
            item = TxTools::StrToIntDef(arg, -1);
        } else {
            const std::string want = pl(arg);
            for (std::size_t i = 0; i < m.items.size(); ++i)
                if (m.items[i] == want) item = static_cast<long>(i);
        }
        if (item < 0 || item >= static_cast<long>(m.items.size())) {
            err << "no such item: " << arg << "\n";
            return -1;
        }
        m.rows[static_cast<std::size_t>(row)].selected = static_cast<int>(item);
        return -1;
    }
    err << "unknown command: " << line << "\n";
    return -1;
}

class ConsoleView : public VatDialogView {
public:
    bool Show(VatDialogModel& m, void*) override {
        if (const char* script = std::getenv("ZTCOMBO_DIALOG_SCRIPT")) {
            std::string s(script);
            for (auto& c : s)
                if (c == ';') c = '\n';
            std::istringstream in(s);
            std::string line;
            if (const char* dump = std::getenv("ZTCOMBO_DIALOG_DUMP")) {
                std::ofstream d(dump, std::ios::app);
                render(m, d);
            }
            while (std::getline(in, line)) {
                int r = apply(m, line, std::cerr);
                if (r >= 0) return r == 1;
            }
            return false;
        }
        std::fstream tty("/dev/tty", std::ios::in | std::ios::out);
        if (!tty || !isatty(STDIN_FILENO)) {
            std::cerr << toUtf8(m.caption) << ": no terminal to show the dialog on; cancelled\n";
            return false;
        }
        for (int guard = 0; guard < 1000; ++guard) {
            render(m, tty);
            tty << "select ROW ITEM | ok | cancel > " << std::flush;
            std::string line;
            if (!std::getline(tty, line)) return false;
            int r = apply(m, line, tty);
            if (r >= 0) return r == 1;
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<VatDialogView> createVatDialogView() { return std::make_unique<ConsoleView>(); }

}  // namespace zt
#endif

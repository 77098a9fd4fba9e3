// Terminal and scripted presentation of the goods-import dialog, for systems
// without the Win32 dialog. A script in ZTCOMBO_DIALOG_SCRIPT ("overwrite 0|1",
// "log 0|1", "ok" or "f2", "cancel" or "esc", separated by ';' or new lines)
// answers the dialog without a person; otherwise it is shown on the
// controlling terminal. Without either it cannot be shown and counts as cancelled.
#ifndef _WIN32
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "drivers/goods_import/goods_dialog.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

void render(const GoodsDialogModel& m, std::ostream& out) {
    out << "== " << toUtf8(m.caption) << " ==\n";
    out << "  [" << (m.overwrite ? 'x' : ' ') << "] overwrite: " << toUtf8(m.overwriteText) << "\n";
    out << "  [" << (m.log ? 'x' : ' ') << "] log: " << toUtf8(m.logText) << "\n";
    out << "  " << toUtf8(m.continueKey) << " " << toUtf8(m.continueText) << "   " << toUtf8(m.cancelKey) << " "
        << toUtf8(m.cancelText) << "\n";
}

// One command; returns 1 for "Kontynuuj", 0 for "Rezygnuj", -1 to go on.
int apply(GoodsDialogModel& m, const std::string& line, std::ostream& err) {
    std::istringstream in(line);
    std::string cmd, arg;
    in >> cmd >> arg;
    if (cmd.empty()) return -1;
    if (cmd == "ok" || cmd == "f2") return 1;
    if (cmd == "cancel" || cmd == "esc") return 0;
    if ((cmd == "overwrite" || cmd == "log") && (arg == "0" || arg == "1")) {
        (cmd == "overwrite" ? m.overwrite : m.log) = arg == "1";
        return -1;
    }
    err << "unknown command: " << line << "\n";
    return -1;
}

class ConsoleView : public GoodsDialogView {
public:
    bool Show(GoodsDialogModel& m, void*) override {
        if (const char* script = std::getenv("ZTCOMBO_DIALOG_SCRIPT")) {
            std::string s(script);
            for (auto& c : s)
                if (c == ';') c = '\n';
            if (const char* dump = std::getenv("ZTCOMBO_DIALOG_DUMP")) {
                std::ofstream d(dump, std::ios::app);
                render(m, d);
            }
            std::istringstream in(s);
            std::string line;
            while (std::getline(in, line)) {
                const int r = apply(m, line, std::cerr);
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
            tty << "overwrite 0|1 | log 0|1 | ok | cancel > " << std::flush;
            std::string line;
            if (!std::getline(tty, line)) return false;
            const int r = apply(m, line, tty);
            if (r >= 0) return r == 1;
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<GoodsDialogView> createGoodsDialogView() { return std::make_unique<ConsoleView>(); }

}  // namespace zt
#endif

#include "drivers/service/service_windows.h"

#include "action/module.h"
#include "drivers/combo/combo_action.h"
#include "link/combo_link.h"
#include "platform/cp1250.h"
#include "platform/exception.h"
#include "proto/commands.h"

namespace zt {
namespace {

std::string T(const char* key, const char* utf8) { return trc(key, pl(utf8)); }

void requirePort(TZTComboAction& a, const char* key) {
    if (a.Config().transport == TransportKind::File) throw Exception(T(key, "Ustaw port komunikacyjny"));
}

// Runs body on an open link (opened here when ownLink); a failure, of the
// opening too, marks the current line failed and closes the link, so the card
// server gets the register back at once.
template <typename F>
void onLink(TZTComboAction& a, bool ownLink, F&& body) {
    TComboLink& link = a.Link();
    try {
        if (ownLink) link.OpenLink();
        body(link);
    } catch (...) {
        link.CloseLinkAfterFailure();
        throw;
    }
    if (ownLink) link.CloseLink();
}

}  // namespace

void ResetSal(TZTComboAction& a) {
    requirePort(a, "TZTComboResetSalExceptio");
    onLink(a, true, [&a](TComboLink& link) {
        a.Postep(T("TZTComboResetSalMsgAdd", "Zerowanie sprzedaży towarów na kasie..."), 5);
        link.SendCommand(cmdPLUSTATCLEARALL, {link.EncodeB(1), link.EncodeB(1)});
        a.PostepTryb(0);
        a.Postep(T("TZTComboResetSalMsgAdd_00001", "Zerowanie sprzedaży opakowań na kasie..."), 5);
        link.SendCommand(cmdPACKSTATCLEARALL, {link.EncodeB(1)});
        a.PostepTryb(0);
    });
}

void ResetAll(TZTComboAction& a, bool ownLink) {
    if (ownLink) requirePort(a, "TZTComboResetAllExceptio");
    onLink(a, ownLink, [&a](TComboLink& link) {
        link.ThrowIfAborted();
        const std::pair<int, const char*> steps[] = {{cmdPLUDELALL, "Czyszczenie bazy towarów..."},
                                                     {cmdPACKDELALL, "Czyszczenie bazy opakowań..."}};
        const char* keys[] = {"TZTComboResetAllMsgAdd", "TZTComboResetAllMsgAdd_00001"};
        for (int i = 0; i < 2; ++i) {
            a.Postep(T(keys[i], steps[i].second), 5);
            link.SendCommand(static_cast<std::uint16_t>(steps[i].first), {link.EncodeB(0)});
            if (link.statusW != 0) throw Exception(link.FormatErrorW(link.statusW));
            a.PostepTryb(0);
        }
    });
}

void CommunicationReport(TZTComboAction& a) {
    requirePort(a, "TZTComboRepCommFExceptio");
    onLink(a, true, [&a](TComboLink& link) {
        a.Postep(T("TZTComboRepCommFMsgAdd", "Czekaj na wykonanie raportu na kasie..."), 4);
        link.SendCommand(cmdREPCOMM, {});
        a.PostepTryb(0);
    });
}

}  // namespace zt

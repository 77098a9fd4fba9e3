#include "link/card_server.h"

#include "link/poll_wait.h"
#include "platform/cp1250.h"
#include "platform/tcp.h"
#include "platform/text.h"
#include "plugin/action_base.h"
#include "plugin/module.h"

namespace zt {

void TCardServerLock::LockSKP() {
    action_.Postep(trc("TZTComboLockSKPMsgAdd", "Zdalne zablokowanie serwera Posnet (SKP)"), 5, 100);
    locked_ = true;
    SendToCardServer(format("DISABLE %d\r\n", action_.NumerKasy() - 1));
}

void TCardServerLock::UnlockSKP() {
    action_.Postep(trc("TZTComboUnlockSKMsgAdd", "Zdalne odblokowanie serwera Posnet (SKP)"), 5, 100);
    locked_ = false;
    SendToCardServer(format("ENABLE %d\r\n", action_.NumerKasy() - 1));
}

void TCardServerLock::SendToCardServer(const std::string& text) {
    if (action_.ParametrInt("ComboSkpUse") == 0) return;
    bool ok = false;
    try {
        std::string host = action_.Parametr("ComboSkpIp");
        if (host.empty()) host = "127.0.0.1";
        const std::string portText = action_.Parametr("ComboSkpPort");
        const int port = portText.empty() ? 25370 : TxTools::StrToIntDef(portText, 0);
        if (port >= 1 && port <= 65535) {
            TcpClient client;  // released on every path with the scope
            client.connect(host, static_cast<std::uint16_t>(port), kTimeoutMs);
            client.sendAll(text, kTimeoutMs);
            // Up to 10 bytes of answer within the bound; their content does not matter.
            char buf[kAnswerMax];
            std::size_t got = 0;
            pollUntil(kTimeoutMs, 50, [&](std::uint32_t sliceMs) {
                got += client.receiveSome(buf + got, sizeof buf - got, sliceMs);
                return got > 0 || client.peerClosed();
            });
            client.close();
            ok = got > 0;
        }
    } catch (...) {
        ok = false;
    }
    if (ok)
        action_.PostepTryb(0);
    else
        action_.Komunikat(kWarning, trc("SendCmdTDodajKomQORDLL_Z", "Serwer Kart Posnet (sk.exe) nie odpowiada."));
}

}  // namespace zt

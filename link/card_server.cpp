#include "link/card_server.h"

#include "link/poll_wait.h"
#include "platform/cp1250.h"
#include "platform/tcp.h"
#include "platform/text.h"

namespace zt {

void TCardServerLock::LockSKP(const CardServerSettings& s) {
    host_.Postep(host_.Tr("TZTComboLockSKPMsgAdd", "Zdalne zablokowanie serwera Posnet (SKP)"), 5, 100);
    locked_ = true;
    SendToCardServer(s, format("DISABLE %d\r\n", host_.NumerKasy() - 1));
}

void TCardServerLock::UnlockSKP(const CardServerSettings& s) {
    host_.Postep(host_.Tr("TZTComboUnlockSKMsgAdd", "Zdalne odblokowanie serwera Posnet (SKP)"), 5, 100);
    locked_ = false;
    SendToCardServer(s, format("ENABLE %d\r\n", host_.NumerKasy() - 1));
}

void TCardServerLock::SendToCardServer(const CardServerSettings& s, const std::string& text) {
    if (!s.use) return;
    bool ok = false;
    try {
        const std::string host = s.host.empty() ? std::string("127.0.0.1") : s.host;
        const std::string& portText = s.port;
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
        host_.PostepTryb(0);
    else
        host_.Komunikat(kWarning, host_.Tr("SendCmdTDodajKomQORDLL_Z", "Serwer Kart Posnet (sk.exe) nie odpowiada."));
}

}  // namespace zt

// Opening and closing the link: serial settings, multiplexer channel
// selection, identification of the register, and the release of every port
// and socket on every failure path.
#include "action/module.h"
#include "platform/translation.h"
#include "tests/support/link_support.h"

namespace ztlink {
namespace {

using zt::pl;
using F = zt::TComboFraming;
const std::string OK = std::string(1, zt::kProgressSep) + "OK";

class OpenLinkTest : public LinkTest {
protected:
    // The recording fake as the line; the register answers CASHREGSTATUSGET by script.
    zt::TComboLink& fakeLink(zt::LinkConfig c, Script script = {}) {
        factory->useFake = true;
        factory->prepare = [script](zt::FakeTransport& t) {
            if (script) playOn(t, script);
        };
        return link(std::move(c));
    }
    static Script registerType(std::uint8_t type, std::uint8_t mode = 1) {
        return [type, mode](const std::string& req, int) { return statusGetFrame(req, type, mode); };
    }
};

TEST_F(OpenLinkTest, SerialSettingsAndBaudRates) {
    EXPECT_EQ(zt::TComboLink::BaudRateCode(0), 1200);
    EXPECT_EQ(zt::TComboLink::BaudRateCode(3), 9600);
    EXPECT_EQ(zt::TComboLink::BaudRateCode(7), 115200);
    EXPECT_EQ(zt::TComboLink::BaudRateCode(9), 9600);
    EXPECT_EQ(zt::TComboLink::BaudRateCode(-1), 9600);

    host.params["ComboSpeed"] = "6";
    auto& l = fakeLink(serialConfig("COM3"));
    l.OpenSerial();
    ASSERT_EQ(factory->serial.size(), 1u);
    const auto& s = factory->serial[0];
    EXPECT_EQ(s.portName, "COM3");
    EXPECT_EQ(s.baudRate, 57600);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.stopBits, 0);
    EXPECT_EQ(s.byteSize, 3);
    EXPECT_EQ(std::vector<std::uint32_t>(s.timeouts, s.timeouts + 5),
              (std::vector<std::uint32_t>{50, 50, 5000, 50, 5000}));
    // Without a multiplexer the modem lines stay as the port opened them.
    EXPECT_EQ(factory->fake->eventTexts(), std::vector<std::string>{"open"});
    EXPECT_EQ(host.list(), std::vector<std::string>{"Otwieranie portu komunikacyjnego COM3 ..."});
    EXPECT_EQ(host.statusLines(), std::vector<std::string>{"Otwieranie portu komunikacyjnego COM3 ..." + OK});
    l.OpenSerial();  // open already: nothing more
    EXPECT_EQ(factory->serial.size(), 1u);
}

TEST_F(OpenLinkTest, FourChannelMultiplexerSetsTheLinesAndWaits) {
    const char* expected[][2] = {{"RTS 1", "DTR 0"}, {"RTS 1", "DTR 1"}, {"RTS 0", "DTR 0"}, {"RTS 0", "DTR 1"}};
    for (int ch = 1; ch <= 4; ++ch) {
        auto& l = fakeLink(serialConfig("COM1", ch));
        const std::uint32_t start = zt::tickCount();
        l.OpenSerial();
        EXPECT_EQ(factory->fake->eventTexts(),
                  (std::vector<std::string>{"open", expected[ch - 1][0], expected[ch - 1][1]}))
            << "channel " << ch;
        EXPECT_EQ(zt::tickCount() - start, 300u);
        EXPECT_TRUE(factory->fake->sent().empty());
        l.CloseSerial();
    }
}

TEST_F(OpenLinkTest, EightChannelMultiplexerPulsesAndSelects) {
    auto& l = fakeLink(serialConfig("COM1", 7));
    const std::uint32_t start = zt::tickCount();
    l.OpenSerial();
    std::vector<std::string> what;
    std::vector<std::uint32_t> at;
    for (const auto& e : factory->fake->events()) {
        what.push_back(e.what);
        at.push_back(e.tick - start);
    }
    EXPECT_EQ(what,
              (std::vector<std::string>{"open", "RTS 0", "DTR 0", "RTS 1", "DTR 1", "send FE", "send 03", "RTS 0"}));
    EXPECT_EQ(at, (std::vector<std::uint32_t>{0, 0, 0, 500, 500, 1000, 1000, 1500}));
    EXPECT_EQ(factory->fake->sent(), std::string("\xFE\x03", 2));
    EXPECT_TRUE(factory->fake->dtr());
    EXPECT_FALSE(factory->fake->rts());
}

TEST_F(OpenLinkTest, IdentifiesTheRegister) {
    auto& l = fakeLink(serialConfig("COM1"), registerType(7, 0));
    l.OpenLink();
    EXPECT_EQ(l.deviceName, "NEO 1.03");
    EXPECT_EQ(l.deviceFamily, 7);
    EXPECT_EQ(l.workMode, 0);
    EXPECT_TRUE(l.linkOk);
    EXPECT_EQ(host.list(), (std::vector<std::string>{"Zdalne zablokowanie serwera Posnet (SKP)",
                                                     "Otwieranie portu komunikacyjnego COM1 ...",
                                                     pl("Nawiązano połączenie z kasą NEO 1.03")}));
    host.messages.clear();
    l.CloseLink();
    EXPECT_EQ(host.list(), (std::vector<std::string>{"Zamykanie portu komunikacyjnego ...",
                                                     "Zdalne odblokowanie serwera Posnet (SKP)"}));
    EXPECT_FALSE(l.IsOpen());
}

TEST_F(OpenLinkTest, RegisterWithoutReceiptBuffer) {
    zt::LinkConfig c = serialConfig("COM1");
    c.impMode = true;
    auto& l = fakeLink(c, registerType(10));
    EXPECT_TRUE(l.receiptBufferMode);
    l.OpenLink();
    EXPECT_FALSE(l.receiptBufferMode);
    EXPECT_EQ(l.deviceFamily, 1);
    EXPECT_EQ(l.workMode, 1);
    EXPECT_EQ(host.list(zt::kWarning), std::vector<std::string>{pl("Kasa nie posiada bufora paragonów!")});
}

TEST_F(OpenLinkTest, UnknownTypeKeepsTheFamilyAndWarns) {
    auto& l = fakeLink(serialConfig("COM1"), registerType(32, 2));
    l.deviceFamily = 6;  // from an earlier identification
    l.OpenLink();
    EXPECT_EQ(l.deviceName, "<nieznana o kodzie 32>");
    EXPECT_EQ(l.deviceFamily, 6);
    EXPECT_EQ(l.workMode, 2);
    EXPECT_TRUE(host.has(pl("Nawiązano połączenie z kasą <nieznana o kodzie 32>"), zt::kInfo));
    EXPECT_EQ(host.list(zt::kWarning),
              std::vector<std::string>{pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo")});

    auto& l0 = fakeLink(serialConfig("COM1"), registerType(0));
    l0.deviceFamily = 6;
    l0.OpenLink();
    EXPECT_EQ(l0.deviceName, "<niezidentyfikowany>");
    EXPECT_EQ(l0.deviceFamily, 0);
}

TEST_F(OpenLinkTest, SilentRegisterDoesNotEndTheOperation) {
    auto& l = fakeLink(serialConfig("COM1"), [](const std::string&, int) { return std::string(); });
    EXPECT_NO_THROW(l.OpenLink());
    EXPECT_FALSE(l.linkOk);
    EXPECT_EQ(l.deviceFamily, 0);
    EXPECT_EQ(factory->fake->sends().size(), 3u);
    EXPECT_EQ(host.list(zt::kWarning),
              std::vector<std::string>{pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo")});
    EXPECT_TRUE(l.IsOpen());
}

TEST_F(OpenLinkTest, FileTransportHasNoLink) {
    zt::LinkConfig c;
    c.port = "PLIK";
    auto& l = link(c);
    EXPECT_EQ(raised([&] { l.OpenLink(); }), "Ustaw port komunikacyjny");
    EXPECT_NO_THROW(l.CloseLink());
    EXPECT_TRUE(host.messages.empty());
}

// ---- real lines: nothing stays open after a failure ----

TEST_F(OpenLinkTest, SerialPortIsReleasedAfterEveryFailure) {
    host.params["ComboSpeed"] = "3";
    const int fds = openDescriptors();
    {
        auto& l = link(serialConfig("/nonexistent/tty"));
        EXPECT_THROW(l.OpenLink(), zt::Exception);
        EXPECT_FALSE(l.IsOpen());
        EXPECT_EQ(host.statusLines().back(), "Zdalne odblokowanie serwera Posnet (SKP)");  // closed with error
        EXPECT_EQ(openDescriptors(), fds);
    }
    PtyPeer peer([](const std::string& req, int n) { return n <= 3 ? std::string() : statusGetFrame(req, 7); });
    const int withPeer = openDescriptors();
    auto& l = link(serialConfig(peer.path()));
    l.OpenLink();  // silent: the warning only
    EXPECT_FALSE(l.linkOk);
    l.CloseLink();
    EXPECT_EQ(openDescriptors(), withPeer);
    // The same path opens again at once and the register answers now.
    auto& again = link(serialConfig(peer.path()));
    again.OpenLink();
    EXPECT_TRUE(again.linkOk);
    EXPECT_EQ(again.deviceName, "NEO 1.03");
    link_.reset();  // the destructor closes
    EXPECT_EQ(openDescriptors(), withPeer);
}

TEST_F(OpenLinkTest, TcpSocketIsReleasedAfterEveryFailure) {
    const int fds = openDescriptors();
    std::uint16_t refused = 0;
    {
        zt::TcpListener gone;
        refused = gone.port();
    }
    auto& l = link(tcpConfig(refused));
    EXPECT_THROW(l.OpenLink(), zt::EMException);
    EXPECT_EQ(host.statusLines().back(), pl("Nawiązywanie połączenia TCP/IP..."));  // closed with error
    EXPECT_EQ(host.messages.back().kind, zt::kError);
    EXPECT_EQ(openDescriptors(), fds);
    host.messages.clear();
    l.CloseLink();  // after a failed OpenTcp: the unlock only
    EXPECT_EQ(host.list(), std::vector<std::string>{"Zdalne odblokowanie serwera Posnet (SKP)"});

    TcpPeer peer([](const std::string& req, int) {
        return zt::frameCommand(req) == zt::cmdCASHREGSTATUSGET ? statusGetFrame(req, 30) : std::string();
    });
    const int withPeer = openDescriptors();
    auto& silent = link(tcpConfig(peer.port()));
    silent.OpenTcp();
    EXPECT_THROW(silent.SendCommand(zt::cmdTIMEGET, {}), zt::Exception);  // never answered
    silent.CloseLink();
    EXPECT_TRUE(peer.waitClosed(1));
    EXPECT_EQ(openDescriptors(), withPeer);

    auto& again = link(tcpConfig(peer.port()));
    again.OpenLink();
    EXPECT_EQ(again.deviceName, "REVO 1.01");
    EXPECT_EQ(again.deviceFamily, 11);
    link_.reset();
    EXPECT_TRUE(peer.waitClosed(2));
    EXPECT_EQ(openDescriptors(), withPeer);
    ASSERT_EQ(factory->tcp.size(), 3u);
    EXPECT_EQ(factory->tcp[0].byteTimeoutMs, 30000u);  // as asked for; the test factory shortens it
}

// A host translation whose template reads another conversion than the
// default's must not decide how the port name is read.
std::int32_t ZT_HOST_STDCALL numberTemplate(char* out, std::int32_t size, const char*, const char* key) {
    if (std::string(key) != "SComboOpenRS23msgsprintf") return 0;
    std::snprintf(out, static_cast<std::size_t>(size), "%s", "Port %d ...");
    return 1;
}

TEST_F(OpenLinkTest, TranslatedPortTemplateMustKeepItsConversion) {
    zt::TMLgExtTools translation(numberTemplate);
    zt::setModuleTranslation(&translation);
    struct Restore {
        ~Restore() { zt::setModuleTranslation(nullptr); }
    } restore;
    factory->useFake = true;
    auto& l = link(serialConfig("COM4"));
    l.OpenSerial();
    EXPECT_EQ(host.list(), std::vector<std::string>{"Otwieranie portu komunikacyjnego COM4 ..."});
    l.CloseLink();
}

}  // namespace
}  // namespace ztlink

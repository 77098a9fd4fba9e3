// Modem control: result parsing, the dialogue against a scripted modem on a
// pseudo-terminal (dialling inside the link, configuration, hang-up), and the
// silent and carrier cases on the recording fake.
#include <chrono>

#include "link/modem.h"
#include "link_support.h"

namespace ztlink {
namespace {

using zt::pl;
using zt::TModemPort;
const std::string OK = "\r\nOK\r\n";

TEST(ModemAnswer, LastCompleteLineCounts) {
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nOK\r\n"), 0);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nCONNECT 9600\r\n"), 1);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nCONNECT 19200\r\n"), 1);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\n3\r\n"), 3);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\n12\r\n"), 12);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nHELLO\r\n"), -1);
    EXPECT_EQ(TModemPort::ParseAnswer("ATE0\r\r\nOK\r\n"), 0);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nRING\r\n\r\nNO CARRIER\r\n"), 3);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nBUSY\r\n"), 7);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nERROR\r\n"), 4);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nNO DIALTONE\r\n"), 6);
    EXPECT_EQ(TModemPort::ParseAnswer("\r\nNO ANSWER\r\n"), 8);
    EXPECT_EQ(TModemPort::ParseAnswer("OK"), -1);  // no complete line
    EXPECT_EQ(TModemPort::ParseAnswer(""), -1);
}

// A modem that answers OK to everything, with exceptions by command prefix.
AtScript modem(std::map<std::string, std::string> special = {}) {
    return [special](const std::string& command) {
        for (const auto& [prefix, answer] : special)
            if (command.rfind(prefix, 0) == 0) return answer;
        return OK;
    };
}

class ModemTest : public LinkTest {
protected:
    ModemTest() {
        host.params["ComboSpeed"] = "3";
        host.params["ComboModemTimeout"] = "60";
    }
};

TEST_F(ModemTest, DialsWhenTheLinkOpensAndHangsUpWhenItCloses) {
    PtyPeer peer([](const std::string& req, int) { return statusGetFrame(req, 24); },
                 modem({{"ATDT", "\r\nCONNECT 9600\r\n"}}));
    factory->carrierOnPty = true;
    host.params["ComboModemPhone"] = "0221234567";
    const int fds = openDescriptors();
    auto& l = link(serialConfig(peer.path()));
    l.OpenLink();
    EXPECT_EQ(l.deviceName, "NEO XL EJ 2.01");
    EXPECT_EQ(l.deviceFamily, 8);
    EXPECT_EQ(peer.commands(), (std::vector<std::string>{"AT&F", "ATE0", "ATX2", "ATV1", "ATDT0221234567"}));
    ASSERT_EQ(factory->serial.size(), 1u);
    EXPECT_EQ(factory->serial[0].parity, 0);
    EXPECT_EQ(factory->serial[0].byteSize, 3);
    EXPECT_EQ(factory->serial[0].inBuffer, 2048u);
    EXPECT_TRUE(host.has("Otwieranie portu komunikacyjnego " + peer.path() + " ..."));
    EXPECT_TRUE(host.has(pl("Nawiązywanie połączenia modemowego ...")));

    l.CloseLink();
    EXPECT_EQ(peer.commands().back(), "ATH");
    EXPECT_TRUE(host.has(pl("Zamykanie połączenia modemowego ...")));
    EXPECT_EQ(openDescriptors(), fds);
}

TEST_F(ModemTest, DialWaitOfAnyLengthStillWaitsForTheAnswer) {
    PtyPeer peer([](const std::string& req, int) { return statusGetFrame(req, 24); },
                 modem({{"ATDT", "\r\nCONNECT 9600\r\n"}}));
    factory->carrierOnPty = true;
    host.params["ComboModemPhone"] = "0221234567";
    host.params["ComboModemTimeout"] = "2147483647";
    auto& l = link(serialConfig(peer.path()));
    EXPECT_NO_THROW(l.OpenLink());
    EXPECT_EQ(l.deviceName, "NEO XL EJ 2.01");
    l.CloseLink();
}

TEST_F(ModemTest, DialFailuresCloseTheLink) {
    const struct {
        std::string answer;
        std::string text;
    } cases[] = {
        {"\r\nBUSY\r\n", pl("Błąd ! Druga strona zajęta.")},
        {"\r\nNO CARRIER\r\n", pl("Błąd ! Brak nośnej - brak modemu po drugiej stronie?")},
        {"\r\nNO DIALTONE\r\n", pl("Błąd ! Brak sygnału - czy modem podłączony do linii?")},
        {"\r\nNO ANSWER\r\n", pl("Błąd ! Modem kasy nie odpowiada.")},
        {"\r\nERROR\r\n", pl("Błąd inicjalizacji modemu! (4)")},
        {"\r\nCONNECT\r\n", pl("Błąd ! Brak nośnej!")},  // a pseudo-terminal has no carrier
    };
    host.params["ComboModemPhone"] = "1";
    for (const auto& c : cases) {
        PtyPeer peer({}, modem({{"ATDT", c.answer}}));
        const int fds = openDescriptors();
        host.messages.clear();
        EXPECT_EQ(raised([&] { link(serialConfig(peer.path())).OpenLink(); }), c.text);
        EXPECT_FALSE(link_->IsOpen());
        EXPECT_EQ(openDescriptors(), fds) << c.text;
        EXPECT_TRUE(host.has("Zdalne odblokowanie serwera Posnet (SKP)"));
    }
    PtyPeer refusing({}, modem({{"ATX2", "\r\nERROR\r\n"}}));
    EXPECT_EQ(raised([&] { link(serialConfig(refusing.path())).OpenLink(); }), pl("Błąd inicjalizacji modemu! (4)"));
    EXPECT_EQ(refusing.commands().size(), 3u);
}

TEST_F(ModemTest, ConfigurationStopsAtAnUnsupportedSpeed) {
    PtyPeer peer({}, modem());
    host.params["ComboSpeed"] = "6";  // 57600
    auto& l = link(serialConfig(peer.path()));
    const int fds = openDescriptors();
    EXPECT_EQ(raised([&] { l.ConfigureRegisterModem(); }), pl("Zmień prędkość komunikacji!"));
    EXPECT_EQ(peer.commands(),
              (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=60", "AT&C1", "AT&D2", "AT&H1", "ATY0"}));
    EXPECT_EQ(openDescriptors(), fds);
}

TEST_F(ModemTest, ConfigurationGoesOnPastRefusals) {
    PtyPeer peer({}, modem({{"AT&N", "\r\nERROR\r\n"}, {"AT&H1", "\r\nERROR\r\n"}, {"ATS37", "\r\nERROR\r\n"},
                            {"AT&C1", "\r\nERROR\r\n"}}));
    host.params["ComboModemTimeout"] = "30";
    auto& l = link(serialConfig(peer.path()));
    const auto real = std::chrono::steady_clock::now();
    l.ConfigureRegisterModem();
    EXPECT_LT(std::chrono::steady_clock::now() - real, std::chrono::seconds(10));
    EXPECT_EQ(peer.commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=30", "AT&C1", "AT&D2", "AT&H1", "ATY0",
                                                         "AT&N6", "ATS37=9", "ATS0=1", "ATE0", "ATQ1", "AT&W1",
                                                         "AT&W0"}));
    ASSERT_EQ(factory->serial.size(), 1u);
    EXPECT_EQ(factory->serial[0].parity, 1);
    EXPECT_EQ(factory->serial[0].byteSize, 2);
    EXPECT_EQ(factory->serial[0].baudRate, 9600);
    EXPECT_TRUE(host.has(pl("Błąd inicjalizacji modemu! (4)")));
    EXPECT_TRUE(host.has(pl("Błąd nr 4")));
    EXPECT_TRUE(host.has(pl("To może, lecz nie musi uniemożliwić korzystanie z modemu jako kasowego.")));
    EXPECT_TRUE(host.has(pl("Nie udaje się wymusić odpowiedniej prędkości")));
    EXPECT_TRUE(host.has("Zamykanie portu komunikacyjnego"));
}

TEST_F(ModemTest, StandAloneOperationsNeedASerialPort) {
    auto& l = link(tcpConfig(1000));
    EXPECT_EQ(raised([&] { l.ConfigureRegisterModem(); }), pl("Ustaw złącze na COMx"));
    EXPECT_EQ(raised([&] { l.ModemHangUp(); }), pl("Ustaw złącze na COMx"));
}

// ---- on the recording fake ----

// The fake answers each command line through the script.
void answerAt(zt::FakeTransport& t, AtScript script) {
    t.setResponder([script](zt::FakeTransport& line, const std::string& sent) {
        if (!sent.empty() && sent.back() == '\r') line.feed(script(sent.substr(0, sent.size() - 1)));
    });
}

TEST_F(ModemTest, SilentModemTimesOutOnTheClock) {
    factory->useFake = true;
    TModemPort m(action(), factory);
    m.OpenModemPort("COM2", 9600, 0, 0, 3);
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(m.SendAt("AT", 2000), -1);
    const std::uint32_t waited = zt::tickCount() - start;
    EXPECT_GE(waited, 300u + 20000u);
    EXPECT_LE(waited, 300u + 20100u);
    EXPECT_EQ(m.SendAt("ATQ1", 0), 0);
    EXPECT_EQ(raised([&] { m.Dial("1", 60); }), pl("Brak odpowiedzi modemu!"));
    EXPECT_EQ(factory->fake->sent(), "AT\rATQ1\rAT&F\r");
}

TEST_F(ModemTest, StandAloneHangUpReleasesThePortWhenTheModemIsSilent) {
    PtyPeer peer({}, [](const std::string&) { return std::string(); });
    const int fds = openDescriptors();
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { link(serialConfig(peer.path())).ModemHangUp(); }), pl("Brak odpowiedzi modemu!"));
    EXPECT_GE(zt::tickCount() - start, 80000u);
    EXPECT_EQ(peer.commands(), std::vector<std::string>{"ATH"});
    EXPECT_EQ(openDescriptors(), fds);
}

TEST_F(ModemTest, HangUpEscapesOnlyWithCarrier) {
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) { answerAt(t, modem()); };
    {
        TModemPort m(action(), factory);
        m.OpenModemPort("COM2", 9600, 1, 0, 2);
        factory->fake->clearRecord();
        m.HangUp();
        EXPECT_EQ(factory->fake->sent(), "ATH\r");
        EXPECT_FALSE(m.connected());
    }
    TModemPort m(action(), factory);
    m.OpenModemPort("COM2", 9600, 1, 0, 2);
    factory->fake->setCarrier(true);
    factory->fake->clearRecord();
    const std::uint32_t start = zt::tickCount();
    m.HangUp();
    std::vector<std::pair<std::string, std::uint32_t>> seen;
    for (const auto& e : factory->fake->events()) seen.emplace_back(e.what, e.tick - start);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::uint32_t>>{
                        {"RTS 0", 0}, {"send 2B 2B 2B", 4500}, {"send 41 54 48 0D", 6300}}));
    m.CloseModemPort();
    EXPECT_FALSE(factory->fake->isOpen());
    EXPECT_FALSE(factory->fake->rts());
    EXPECT_FALSE(factory->fake->dtr());
}

TEST_F(ModemTest, HangUpRefused) {
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) { answerAt(t, modem({{"ATH", "\r\nERROR\r\n"}})); };
    TModemPort m(action(), factory);
    m.OpenModemPort("COM2", 9600, 1, 0, 2);
    EXPECT_EQ(raised([&] { m.HangUp(); }),
              pl("Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!"));
    TModemPort closed(action(), factory);
    EXPECT_EQ(raised([&] { closed.Dial("1", 1); }), pl("Otwórz port komunikacyjny!"));
    EXPECT_NO_THROW(closed.HangUp());
}

}  // namespace
}  // namespace ztlink

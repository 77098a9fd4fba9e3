// The command exchange against a register peer on a pseudo-terminal and on
// TCP/IP, and on the recording fake where time matters: retries, status
// answers, report sequences, abort, and the communication log.
#include <fstream>
#include <sstream>

#include "link/comm_log.h"
#include "link_support.h"

namespace ztlink {
namespace {

using zt::pl;
using F = zt::TComboFraming;

enum class Kind { Pty, Tcp };

std::string echo(const std::string& req) { return answerFrame(req, zt::frameCommand(req), {F::EncodeB(7)}); }

class ExchangeTest : public LinkTest, public ::testing::WithParamInterface<Kind> {
protected:
    // A peer of the parameter's kind playing the script, and the link opened to it.
    zt::TComboLink& openTo(Script script) {
        host.params["ComboSpeed"] = "3";
        if (GetParam() == Kind::Pty) {
            pty_ = std::make_unique<PtyPeer>(std::move(script));
            auto& l = link(serialConfig(pty_->path()));
            l.OpenSerial();
            return l;
        }
        tcp_ = std::make_unique<TcpPeer>(std::move(script));
        auto& l = link(tcpConfig(tcp_->port()));
        l.OpenTcp();
        return l;
    }
    std::vector<std::string> requests() const { return pty_ ? pty_->requests() : tcp_->requests(); }

    std::unique_ptr<PtyPeer> pty_;
    std::unique_ptr<TcpPeer> tcp_;
};

TEST_P(ExchangeTest, LostOrForeignAnswerIsAskedForAgainWithTheRepeatBit) {
    auto& l = openTo([](const std::string& req, int n) {
        if (n == 1) return std::string();                                    // lost
        if (n == 2) return answerFrame(req, zt::frameCommand(req), {}, 1);  // another sequence number
        return echo(req);
    });
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_TRUE(l.linkOk);
    EXPECT_EQ(l.answer[0].AsB(), 7);
    const auto r = requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(zt::frameFlags(r[0]), 0);
    EXPECT_EQ(zt::frameFlags(r[1]), 0x10);
    EXPECT_EQ(zt::frameFlags(r[2]), 0x10);
    EXPECT_EQ(zt::frameSequence(r[1]), zt::frameSequence(r[0]));
    EXPECT_EQ(zt::frameSequence(r[2]), zt::frameSequence(r[0]));
    EXPECT_TRUE(zt::checkCrc(r[1]));
}

TEST_P(ExchangeTest, TransmissionStatusResendsTheSameFrame) {
    auto& l = openTo([](const std::string& req, int n) { return n == 1 ? statusFrame(req, 5, 0) : echo(req); });
    l.SendCommand(zt::cmdDATEGET);
    const auto r = requests();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1], r[0]);
    EXPECT_EQ(l.statusT, 0);
}

TEST_P(ExchangeTest, ThreeFailedSendsGiveUpTheLink) {
    auto& l = openTo([](const std::string& req, int) { return statusFrame(req, 2, 0); });
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdVATGET); }), pl("Błąd komunikacji z kasą"));
    EXPECT_FALSE(l.linkOk);
    EXPECT_EQ(requests().size(), 3u);
}

TEST_P(ExchangeTest, ExecutionStatusIsAcceptedOrRaised) {
    auto& l = openTo([](const std::string& req, int n) {
        switch (n) {
            case 1: return statusFrame(req, 0, 903);
            case 2: return statusFrame(req, 0, 904);
            default: return statusFrame(req, 0, 0);
        }
    });
    l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)});
    EXPECT_EQ(l.statusW, 903);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)}); }),
              pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)}); }),
              pl("Kasa zgłosiła błąd wykonania: [W0] - nieznany błąd przesłany przez kasę"));
    EXPECT_EQ(requests().size(), 3u);  // refusals are not resent
    EXPECT_TRUE(l.linkOk);
}

TEST_P(ExchangeTest, ReportRunsAsComplexSequence) {
    auto& l = openTo([](const std::string& req, int n) {
        if (n == 1) return answerFrame(req, 1, {}) + echo(req);  // started, then done
        if (n == 2) return answerFrame(req, 1000, {});           // neither
        return answerFrame(req, 1, {});                          // started, never done
    });
    l.SendCommand(zt::cmdREPCOMM);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }), pl("Błąd komunikacji z kasą"));
    EXPECT_EQ(requests().size(), 2u);  // the odd answer ends it after one send

    host.params["ComboComplexOrdTimeout"] = "0";
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
}

INSTANTIATE_TEST_SUITE_P(Lines, ExchangeTest, ::testing::Values(Kind::Pty, Kind::Tcp),
                         [](const auto& info) { return info.param == Kind::Pty ? "Pty" : "Tcp"; });

// ---- on the recording fake: time and progress ----

class FakeExchangeTest : public LinkTest {
protected:
    zt::TComboLink& openFake(Script script, zt::LinkConfig c = serialConfig("COM1")) {
        factory->useFake = true;
        factory->prepare = [script](zt::FakeTransport& t) { playOn(t, script); };
        auto& l = link(c);
        if (c.transport == zt::LinkConfig::Tcp)
            l.OpenTcp();
        else
            l.OpenSerial();
        return l;
    }
};

TEST_F(FakeExchangeTest, ReportProgressAdvancesByFivePerReceiveAttempt) {
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, 1, {}); });
    // The final answer comes 12 s after the report started: two empty waits of 5050 ms first.
    factory->fake->setResponder([](zt::FakeTransport& t, const std::string& sent) {
        const std::string req = zt::unstuff(sent);
        t.feed(answerFrame(req, 1, {}));
        t.feed(echo(req), 12000);
    });
    action().Postep("raport", 4, 100);
    host.messages.clear();
    const std::uint32_t start = zt::tickCount();
    l.SendCommand(zt::cmdREPFSKDAILY, {F::EncodeB(0), F::EncodeB(0), F::EncodeB(0), F::EncodeB(0), F::EncodeB(0)});
    EXPECT_GE(zt::tickCount() - start, 12000u);
    const std::string label = std::string("raport:") + zt::kProgressSep;
    EXPECT_EQ(host.statusLines(), (std::vector<std::string>{label + "5", label + "10", label + "15"}));
}

TEST_F(FakeExchangeTest, ReportTimeOutCountsOnTheClock) {
    host.params["ComboComplexOrdTimeout"] = "12";
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, 1, {}); });
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
    const std::uint32_t waited = zt::tickCount() - start;
    EXPECT_GE(waited, 12000u);
    EXPECT_LT(waited, 12000u + 5050u + 1000u);
    EXPECT_EQ(factory->fake->sends().size(), 1u);
}

TEST_F(FakeExchangeTest, ReportOverClosedTcpStillEndsByTheClock) {
    // A silent TCP line waits 30 s per byte; a closed one at once, but the
    // report wait still counts the full wait per attempt.
    host.params["ComboComplexOrdTimeout"] = "60";
    zt::LinkConfig c = tcpConfig(1);
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, 1, {}); }, c);
    factory->fake->setOwnTimeout(0);
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
    EXPECT_GE(zt::tickCount() - start, 60000u);
    EXPECT_LE(zt::tickCount() - start, 90000u);  // at most one 30 s wait past the limit
}

TEST_F(FakeExchangeTest, AbortBetweenRecords) {
    host.abortAfter = 2;
    auto& l = openFake([](const std::string& req, int) { return echo(req); });
    int records = 0;
    const std::string text = raised([&] {
        for (int i = 0; i < 10; ++i) {
            l.ThrowIfAborted();
            l.SendCommand(zt::cmdPLUREAD, {F::EncodeV(static_cast<std::uint16_t>(i)), F::EncodeB(0)});
            ++records;
        }
    });
    EXPECT_EQ(text, pl("Operacja przerwana przez użytkownika"));
    EXPECT_EQ(records, 2);
}

TEST_F(FakeExchangeTest, MalformedAnswerFieldEndsTheExchange) {
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, zt::frameCommand(req), {"X1"}); });
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdTIMEGET); }),
              pl("TComboDataSet::ParseFromPacket() - niewłaściwy typ pola DATA"));
    EXPECT_EQ(factory->fake->sends().size(), 1u);
}

TEST_F(FakeExchangeTest, NoLineMeansNoCommunication) {
    auto& l = link(serialConfig("COM1"));
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdTIMEGET); }), pl("Błąd komunikacji z kasą"));
    EXPECT_FALSE(l.linkOk);
}

TEST_F(FakeExchangeTest, ErrorWordingAndNames) {
    auto& l = link(serialConfig("COM1"));
    EXPECT_EQ(l.FormatErrorT(904), pl("[T904] - baza jest pusta"));
    EXPECT_EQ(l.FormatErrorW(12345), pl("[W12345] - nieznany błąd przesłany przez kasę"));
    EXPECT_EQ(zt::TComboLink::CommandName(2181), "PLUPRICEUPDATE");
    EXPECT_EQ(zt::TComboLink::CommandName(2182), "???");
    EXPECT_FALSE(zt::TComboLink::IsSimpleCommand(1168));
    EXPECT_TRUE(zt::TComboLink::IsSimpleCommand(2170));
    EXPECT_NO_THROW(l.CheckExecutionError(2106));
    EXPECT_NO_THROW(l.CheckExecutionError(6666));
    EXPECT_THROW(l.CheckExecutionError(2107), zt::Exception);
    EXPECT_FALSE(l.ThrowIfAborted());
}

// ---- communication log ----

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// ---- hostile registers ----

TEST_F(FakeExchangeTest, TricklingAnswerIsGivenUpAfterTheWholeFrameBound) {
    zt::LinkConfig c = tcpConfig(1);
    c.debug = true;
    // DLE STX, then one byte every 29 s: each byte comes within its own wait.
    auto& l = openFake([](const std::string&, int) { return std::string(); }, c);
    l.InitCommLog();
    factory->fake->setResponder([](zt::FakeTransport& t, const std::string&) {
        t.feed("\x10\x02");
        for (std::uint32_t i = 1; i <= 200; ++i) t.feed("A", i * 29000);
    });
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdTIMEGET); }), pl("Błąd komunikacji z kasą"));
    // Three sends, each given up within the byte wait plus the largest frame's time.
    EXPECT_LT(zt::tickCount() - start, 3u * 90000u);
    EXPECT_NE(readFile(l.CommLogPath()).find(pl(" <- <ramka nie nadeszła w całości w ciągu 41377 ms>\r\n")),
              std::string::npos);
}

TEST_F(FakeExchangeTest, SilentRegisterHearsTheHostsStopWithinAboutASecond) {
    for (auto c : {serialConfig("COM1"), tcpConfig(1)}) {
        auto& l = openFake([](const std::string&, int) { return std::string(); }, c);
        host.abortQueries = 0;
        host.abortAfter = 2;
        const std::uint32_t start = zt::tickCount();
        EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdTIMEGET); }), pl("Operacja przerwana przez użytkownika"));
        const std::uint32_t waited = zt::tickCount() - start;
        EXPECT_GE(waited, 3000u);
        EXPECT_LE(waited, 3200u);
        EXPECT_EQ(host.abortQueries, 3);
        EXPECT_EQ(factory->fake->sends().size(), 1u);
        host.abortAfter = -1;
    }
}

TEST_F(FakeExchangeTest, NoiseBeforeAnAnswerCostsOneRepeat) {
    auto& l = openFake([](const std::string& req, int n) { return n == 1 ? "ABC" + echo(req) : echo(req); });
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(l.answer[0].AsB(), 7);
    ASSERT_EQ(factory->fake->sends().size(), 2u);
    EXPECT_EQ(zt::frameFlags(zt::unstuff(factory->fake->sends()[1])), 0x10);
}

TEST_F(FakeExchangeTest, ReportWaitGoesOnAtOnceAfterABadByte) {
    zt::LinkConfig c = tcpConfig(1);
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, 1, {}); }, c);
    factory->fake->setResponder([](zt::FakeTransport& t, const std::string& sent) {
        const std::string req = zt::unstuff(sent);
        t.feed(answerFrame(req, 1, {}));
        t.feed("ABC" + echo(req), 400);
    });
    action().Postep("raport", 4, 100);
    host.messages.clear();
    const std::uint32_t start = zt::tickCount();
    l.SendCommand(zt::cmdREPCOMM);
    EXPECT_LT(zt::tickCount() - start, 1000u);
    const std::string label = std::string("raport:") + zt::kProgressSep;
    EXPECT_EQ(host.statusLines(), (std::vector<std::string>{label + "5", label + "10", label + "15", label + "20"}));
}

TEST_F(FakeExchangeTest, ReportWaitBeyondTheMillisecondRangeStillWaits) {
    // 4294968 s in milliseconds does not fit 32 bits; the wait must not shrink to 0.7 s.
    host.params["ComboComplexOrdTimeout"] = "4294968";
    auto& l = openFake([](const std::string& req, int) { return answerFrame(req, 1, {}); });
    factory->fake->setResponder([](zt::FakeTransport& t, const std::string& sent) {
        const std::string req = zt::unstuff(sent);
        t.feed(answerFrame(req, 1, {}));
        t.feed(echo(req), 20000);
    });
    EXPECT_NO_THROW(l.SendCommand(zt::cmdREPCOMM));
}

TEST_F(FakeExchangeTest, BrokenLineLeavesTheSystemsReasonInTheLog) {
    zt::LinkConfig c = serialConfig("COM1");
    c.debug = true;
    auto& l = openFake([](const std::string& req, int) { return echo(req); }, c);
    l.InitCommLog();
    factory->fake->failNextSend(pl("Urządzenie nie jest gotowe."));
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdTIMEGET); }), pl("Błąd komunikacji z kasą"));
    EXPECT_FALSE(l.linkOk);
    const std::string log = readFile(l.CommLogPath());
    EXPECT_NE(log.find(pl(" -> <fake: Urządzenie nie jest gotowe.>\r\n")), std::string::npos) << log;
}

TEST(CommLogRender, ControlBytesAreNamed) {
    EXPECT_EQ(zt::TCommLog::Render(std::string("\x10\x02" "a\x00" "b\r\n\t\x18\x16\x10\x03", 12)),
              "<SYN><STX>a.b<CR><LF><TAB><CAN>\x16<SYN><ETX>");
}

TEST(CommLogName, StartTimeInTheName) {
    const double t = 41401.5850694444;  // 2013-05-07 14:02:30
    const std::string name = zt::TCommLog::FileName("/w/", t);
    EXPECT_EQ(name, "/w/log/NEO_LOG 2013.05.07 14.02.30.TXT");
}

TEST_F(FakeExchangeTest, OneLogPerOperationWithFramesRendered) {
    zt::LinkConfig c = serialConfig("COM1");
    c.debug = true;
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) {
        playOn(t, [](const std::string& req, int n) { return n == 1 ? std::string("A") : echo(req); });
    };
    auto& l = link(c);
    l.InitCommLog();
    const std::string first = l.CommLogPath();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(dir()) / "log");
    l.OpenSerial();
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseSerial();

    const std::string log = readFile(first);
    EXPECT_EQ(log.rfind("\r\n--- [KOMUNIKACJA Z DNIA: ", 0), 0u);
    EXPECT_NE(log.find(" Otwieranie portu komunikacyjnego COM1 ... \r\n"), std::string::npos);
    EXPECT_NE(log.find(" -> TIMEGET\r\n"), std::string::npos);
    EXPECT_NE(log.find(" -> <SYN><STX>"), std::string::npos);
    EXPECT_NE(log.find(pl(" <- <nieprawidłowy drugi bajt: 0x41\r\n")), std::string::npos);
    EXPECT_NE(log.find(" <- <STX>"), std::string::npos);
    EXPECT_NE(log.find("<ETX>\r\n"), std::string::npos);
    EXPECT_NE(log.find(" Zamykanie portu komunikacyjnego ... \r\n"), std::string::npos);
    EXPECT_EQ(log.find('\x10'), std::string::npos);
    // The resend after the bad byte carries the repeat bit.
    ASSERT_EQ(factory->fake->sends().size(), 2u);
    EXPECT_EQ(zt::frameFlags(zt::unstuff(factory->fake->sends()[1])), 0x10)
        << ::testing::PrintToString(factory->fake->eventTexts());

    // The next operation starts its own file.
    clock.advance(1000);
    l.InitCommLog();
    EXPECT_NE(l.CommLogPath(), first);
    EXPECT_TRUE(std::filesystem::exists(l.CommLogPath()));
}

TEST_F(FakeExchangeTest, NoLogWhenSwitchedOff) {
    auto& l = link(serialConfig("COM1"));
    l.InitCommLog();
    EXPECT_TRUE(l.CommLogPath().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir()) / "log"));
}

TEST_F(FakeExchangeTest, SilentTcpIsLogged) {
    zt::LinkConfig c = tcpConfig(1);
    c.debug = true;
    auto& l = openFake([](const std::string&, int) { return std::string(); }, c);
    l.InitCommLog();
    EXPECT_THROW(l.SendCommand(zt::cmdTIMEGET), zt::Exception);
    const std::string log = readFile(l.CommLogPath());
    std::size_t n = 0;
    for (auto p = log.find(" <- <kasa nie odpowiada>\r\n"); p != std::string::npos;
         p = log.find(" <- <kasa nie odpowiada>\r\n", p + 1))
        ++n;
    EXPECT_EQ(n, 3u);
}

}  // namespace
}  // namespace ztlink

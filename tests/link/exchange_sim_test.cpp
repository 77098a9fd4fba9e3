// The command exchange against the register simulator on both of its lines
// (TCP/IP and the pseudo-terminal serial line): lost, broken and foreign
// answers, status answers, report sequences, a dropped line, abort, the
// communication log and the card-server lock around a real link. The
// simulator's journal shows what actually went over the wire.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link_support.h"
#include "sim/card_server_stub.h"
#include "sim/register_simulator.h"

namespace ztlink {
namespace {

using zt::pl;
using F = zt::TComboFraming;
using zt::sim::FaultAt;
using zt::sim::Faults;
using zt::sim::JournalEntry;

enum class Line { Pty, Tcp };

const std::string kCommError = "Błąd komunikacji z kasą";

class SimExchangeTest : public LinkTest, public ::testing::WithParamInterface<Line> {
protected:
    // LinkTest installs the virtual clock for the fixture's life and restores it.
    void SetUp() override {
        sim.start();
        host.params["ComboSpeed"] = "3";
    }
    void TearDown() override {
        link_.reset();
        sim.stop();
    }

    zt::LinkConfig config() { return GetParam() == Line::Pty ? serialConfig(sim.ptyPath()) : tcpConfig(sim.port()); }

    // The link opened to the simulator (register identified), journal emptied.
    zt::TComboLink& open() {
        auto& l = link(config());
        l.OpenLink();
        EXPECT_EQ(l.deviceName, "NEO XL 3.01");
        sim.journal().clear();
        return l;
    }
    // The journal once it holds n entries (the simulator writes it on its own thread).
    std::vector<JournalEntry> journal(std::size_t n) {
        EXPECT_TRUE(sim.journal().waitForSize(n, 2000));
        auto e = sim.journal().entries();
        EXPECT_EQ(e.size(), n);
        return e;
    }
    void fault(FaultAt Faults::*which, FaultAt at) {
        Faults f;
        f.*which = at;
        sim.setFaults(f);
    }

    zt::sim::RegisterSimulator sim;
};

TEST_P(SimExchangeTest, LostBrokenOrForeignAnswerIsAskedForAgainAndTheCommandRunsOnce) {
    auto& l = open();
    const struct {
        FaultAt Faults::*fault;
        const char* note;
    } cases[] = {{&Faults::noAnswer, "no answer"}, {&Faults::badCrc, "bad CRC"}, {&Faults::wrongSequence, "wrong sequence"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        sim.journal().clear();
        fault(c.fault, {1, 1});
        l.SendCommand(zt::cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)});
        EXPECT_TRUE(l.linkOk);
        const auto j = journal(2);
        if (j.size() != 2) continue;
        EXPECT_EQ(j[0].code, zt::cmdPLUSTATCLEARALL);
        EXPECT_FALSE(j[0].repeated);
        EXPECT_FALSE(j[0].fromCache);
        EXPECT_EQ(j[0].note, c.note);
        EXPECT_TRUE(j[1].repeated);
        EXPECT_TRUE(j[1].fromCache);  // not run a second time
        EXPECT_EQ(j[1].sequence, j[0].sequence);
        EXPECT_EQ(j[1].answerCode, zt::cmdPLUSTATCLEARALL);
    }
    // Each command went under its own sequence number.
    sim.journal().clear();
    sim.clearFaults();
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(journal(1)[0].repeated, false);
}

TEST_P(SimExchangeTest, TransmissionStatusResendsTheFrameUnchanged) {
    auto& l = open();
    Faults f;
    f.transmissionError = {1, 1};
    f.transmissionStatus = 5;
    sim.setFaults(f);
    l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)});
    EXPECT_EQ(l.statusT, 0);
    EXPECT_TRUE(sim.state().goods.empty());
    const auto j = journal(2);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0].statusT, 5);
    EXPECT_EQ(j[0].answerCode, 0);
    EXPECT_FALSE(j[1].repeated);  // no repeat bit
    EXPECT_FALSE(j[1].fromCache);
    EXPECT_EQ(j[1].sequence, j[0].sequence);
    EXPECT_EQ(j[1].answerCode, zt::cmdPLUDELALL);
}

TEST_P(SimExchangeTest, ThreeLostAnswersGiveUpTheLink) {
    auto& l = open();
    fault(&Faults::noAnswer, {1, 3});
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdVATGET); }), pl(kCommError));
    EXPECT_FALSE(l.linkOk);
    const auto j = journal(3);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_FALSE(j[0].repeated);
    EXPECT_TRUE(j[1].repeated && j[1].fromCache);
    EXPECT_TRUE(j[2].repeated && j[2].fromCache);
    // The line is still there: the next command goes through.
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_TRUE(l.linkOk);
}

TEST_P(SimExchangeTest, ExecutionErrorEndsTheCommandWithoutResending) {
    auto& l = open();
    Faults f;
    f.executionErrors.push_back({zt::cmdPLUDELALL, 904, std::nullopt, 1});
    sim.setFaults(f);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)}); }),
              pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_EQ(l.statusW, 904);
    EXPECT_TRUE(l.linkOk);
    EXPECT_FALSE(sim.state().goods.empty());  // refused, not run
    const auto j = journal(1);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].statusW, 904);
}

TEST_P(SimExchangeTest, StrayBytesBeforeAnAnswer) {
    auto& l = open();
    // One stray byte costs one reception; the answer behind it is still read.
    Faults f;
    f.garbage = {1, 1};
    f.garbageBytes = "\x41";
    sim.setFaults(f);
    l.SendCommand(zt::cmdDATEGET);
    EXPECT_EQ(l.answer[2].AsV(), 2024);
    // The repeat's answer arrives late and is passed over as foreign.
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(l.answer.Count(), 3u);
    l.SendCommand(zt::cmdVATGET);
    EXPECT_TRUE(l.linkOk);
    const auto j = sim.journal().entries();
    ASSERT_GE(j.size(), 4u);
    EXPECT_EQ(j[0].note, "garbage");
    EXPECT_TRUE(j[1].repeated);
    EXPECT_EQ(j[1].code, zt::cmdDATEGET);
}

TEST_P(SimExchangeTest, ReportAnswersStartedThenDone) {
    auto& l = open();
    sim.setComplexDelayMs(150);  // real time on the simulator's side
    action().Postep("raport", 4, 100);
    host.messages.clear();
    l.SendCommand(zt::cmdREPCOMM);
    EXPECT_TRUE(l.linkOk);
    EXPECT_EQ(zt::frameCommand(l.frameIn), zt::cmdREPCOMM);
    const auto j = journal(1);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].answerCode, zt::cmdREPCOMM);
    EXPECT_FALSE(host.statusLines().empty());  // the wait shows its progress
    // The report counts: the next command is answered in turn.
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(journal(2)[1].code, zt::cmdTIMEGET);
}

TEST_P(SimExchangeTest, ReportLongerThanTheTimeOut) {
    auto& l = open();
    host.params["ComboComplexOrdTimeout"] = "5";
    sim.setComplexDelayMs(5000);  // cut short when the simulator stops
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
    EXPECT_GE(zt::tickCount() - start, 5000u);
    EXPECT_EQ(sim.journal().count(zt::cmdREPCOMM), 1u);  // waited for, not resent
}

TEST_P(SimExchangeTest, DroppedLineEndsTheNextCommandAndTheLinkReopensAtOnce) {
    auto& l = open();
    Faults f;
    f.disconnectAfter = 2;
    sim.setFaults(f);
    l.SendCommand(zt::cmdTIMEGET);
    l.SendCommand(zt::cmdDATEGET);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdVATGET); }), pl(kCommError));
    EXPECT_FALSE(l.linkOk);
    l.CloseLink();
    EXPECT_FALSE(l.IsOpen());

    // A new TCP/IP connection is served at once; the serial line stays
    // silent until the register is reset.
    if (GetParam() == Line::Pty) sim.clearFaults();
    host.messages.clear();
    const std::uint32_t start = zt::tickCount();
    l.OpenLink();
    EXPECT_EQ(l.deviceName, "NEO XL 3.01");
    EXPECT_FALSE(host.has(pl("Błąd podczas odczytu typu kasy. Przyjęto domyślnie Combo")));
    l.SendCommand(zt::cmdVATGET);
    EXPECT_TRUE(l.linkOk);
    EXPECT_LT(zt::tickCount() - start, 5000u);  // no byte wait ran out
    l.CloseLink();
}

TEST_P(SimExchangeTest, AbortBetweenRecords) {
    auto& l = open();
    host.abortAfter = 2;
    l.SendCommand(zt::cmdCNTXPLUINIT, {F::EncodeB(0), F::EncodeB(0)});
    int records = 0;
    const std::string text = raised([&] {
        for (int i = 0; i < 10; ++i) {
            l.ThrowIfAborted();
            l.SendCommand(zt::cmdPLUREAD, {F::EncodeV(0), F::EncodeB(1)});
            ++records;
        }
    });
    EXPECT_EQ(text, pl("Operacja przerwana przez użytkownika"));
    EXPECT_EQ(records, 2);
    EXPECT_EQ(sim.journal().count(zt::cmdPLUREAD), 2u);
}

// ---- communication log ----

std::string readFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::filesystem::path> logFiles(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind("NEO_LOG ", 0) == 0) out.push_back(e.path());
    return out;
}

TEST_P(SimExchangeTest, OneLogFilePerOperation) {
    zt::LinkConfig c = config();
    c.debug = true;
    const std::filesystem::path logDir = std::filesystem::path(dir()) / "log";
    auto operation = [&] {
        auto& l = link(c);
        l.InitCommLog();
        l.OpenLink();
        l.SendCommand(zt::cmdTIMEGET);
        l.CloseLink();
        return l.CommLogPath();
    };
    const std::string first = operation();
    auto files = logFiles(logDir);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], std::filesystem::path(first));

    const std::string log = readFile(first);
    EXPECT_EQ(log.rfind("\r\n--- [KOMUNIKACJA Z DNIA: ", 0), 0u);
    EXPECT_NE(log.find(" -> CASHREGSTATUSGET\r\n"), std::string::npos);
    EXPECT_NE(log.find(" -> TIMEGET\r\n"), std::string::npos);
    EXPECT_NE(log.find(" -> <SYN><STX>"), std::string::npos);
    EXPECT_NE(log.find("<SYN><ETX>\r\n"), std::string::npos);
    EXPECT_NE(log.find(" <- <STX>"), std::string::npos);
    EXPECT_EQ(log.find('\x10'), std::string::npos);
    EXPECT_EQ(log.find('\x02'), std::string::npos);

    clock.advance(1000);  // the next operation starts a second later
    const std::string second = operation();
    EXPECT_NE(second, first);
    EXPECT_EQ(logFiles(logDir).size(), 2u);
}

TEST_P(SimExchangeTest, NoLogWhenSwitchedOff) {
    auto& l = link(config());
    l.InitCommLog();
    l.OpenLink();
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseLink();
    EXPECT_TRUE(l.CommLogPath().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir()) / "log"));
}

TEST_P(SimExchangeTest, NoLogThroughALinkedLogFolder) {
    const auto elsewhere = std::filesystem::path(dir()) / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, std::filesystem::path(dir()) / "log");
    auto c = config();
    c.debug = true;
    auto& l = link(c);
    l.InitCommLog();
    l.OpenLink();
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseLink();
    EXPECT_TRUE(l.CommLogPath().empty());
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

// ---- card-server lock around the link ----

TEST_P(SimExchangeTest, CardServerIsToldAroundTheLink) {
    zt::sim::CardServerStub skp;
    skp.start();
    host.registerNo = 3;
    host.params["ComboSkpUse"] = "1";
    host.params["ComboSkpIp"] = "127.0.0.1";
    host.params["ComboSkpPort"] = std::to_string(skp.port());
    auto& l = open();
    EXPECT_TRUE(skp.waitForLines(1, 2000));
    EXPECT_EQ(skp.lines(), std::vector<std::string>{"DISABLE 2"});
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseLink();
    EXPECT_TRUE(skp.waitForLines(2, 2000));
    EXPECT_EQ(skp.lines(), (std::vector<std::string>{"DISABLE 2", "ENABLE 2"}));
    EXPECT_TRUE(host.list(zt::kWarning).empty());
}

TEST_P(SimExchangeTest, SilentCardServerCostsItsBoundAndAWarning) {
    zt::sim::CardServerStub skp;
    skp.setSilent(true);
    skp.start();
    host.params["ComboSkpUse"] = "1";
    host.params["ComboSkpIp"] = "127.0.0.1";
    host.params["ComboSkpPort"] = std::to_string(skp.port());
    auto& l = link(config());
    const std::uint32_t start = zt::tickCount();
    l.OpenLink();
    const std::uint32_t waited = zt::tickCount() - start;
    EXPECT_GE(waited, 2000u);
    EXPECT_LT(waited, 2000u + 1500u);
    EXPECT_EQ(l.deviceName, "NEO XL 3.01");
    EXPECT_EQ(host.list(zt::kWarning), std::vector<std::string>{"Serwer Kart Posnet (sk.exe) nie odpowiada."});
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseLink();
    EXPECT_EQ(host.list(zt::kWarning).size(), 2u);
    EXPECT_TRUE(skp.waitForLines(2, 2000));
    EXPECT_EQ(skp.lines(), (std::vector<std::string>{"DISABLE 0", "ENABLE 0"}));
}

INSTANTIATE_TEST_SUITE_P(Simulator, SimExchangeTest, ::testing::Values(Line::Pty, Line::Tcp),
                         [](const auto& info) { return info.param == Line::Pty ? "Pty" : "Tcp"; });

}  // namespace
}  // namespace ztlink

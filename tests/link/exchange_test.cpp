// The command exchange, one suite over two peers on both real lines (the
// pseudo-terminal serial line and TCP/IP): a peer answering by script, which
// shows the exact frames the plug-in sent, and the register simulator, whose
// journal shows what the register ran. Lost, broken and foreign answers,
// status answers, abort, the communication log and the card-server lock run
// against both; report sequences and a dropped line against the one that can
// play them; time-bound cases on the recording fake.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "link/comm_log.h"
#include "sim/card_server_stub.h"
#include "sim/register_simulator.h"
#include "tests/support/link_support.h"

namespace ztlink {
namespace {

using zt::pl;
using F = zt::TComboFraming;
using zt::sim::FaultAt;
using zt::sim::Faults;
using zt::sim::JournalEntry;

const std::string kCommError = "Błąd komunikacji z kasą";

std::string echo(const std::string& req) { return answerFrame(req, zt::frameCommand(req), {F::EncodeB(7)}); }

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
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

// ---- the peers ----

enum class Peer { Scripted, Simulator };
enum class Line { Pty, Tcp };
struct Seam {
    Peer peer;
    Line line;
};
std::string seamText(const Seam& s) {
    return std::string(s.peer == Peer::Scripted ? "Scripted" : "Simulator") + (s.line == Line::Pty ? "Pty" : "Tcp");
}
std::string seamName(const ::testing::TestParamInfo<Seam>& info) { return seamText(info.param); }
void PrintTo(const Seam& s, std::ostream* os) { *os << seamText(s); }

// How a peer treats one request instead of answering it soundly.
struct Reply {
    enum Kind { Lost, BadCrc, Foreign, Transmission, Refusal } kind;
    std::uint16_t status = 0;  // transmission status or execution code
};

// A request as the peer saw it.
struct Sent {
    std::uint16_t code;
    std::uint32_t sequence;
    bool repeated;
};

class ExchangeTest : public LinkTest, public ::testing::WithParamInterface<Seam> {
protected:
    // LinkTest installs the virtual clock for the fixture's life and restores it.
    void SetUp() override {
        host.params["ComboSpeed"] = "3";
        if (simulated()) {
            sim_ = std::make_unique<zt::sim::RegisterSimulator>();
            sim_->start();
            return;
        }
        Script script = [this](const std::string& req, int n) { return scripted(req, n); };
        if (GetParam().line == Line::Pty)
            pty_ = std::make_unique<PtyPeer>(script);
        else
            tcp_ = std::make_unique<TcpPeer>(script);
    }
    void TearDown() override {
        link_.reset();
        if (sim_) sim_->stop();
        pty_.reset();
        tcp_.reset();
    }

    bool simulated() const { return GetParam().peer == Peer::Simulator; }
    zt::sim::RegisterSimulator& sim() { return *sim_; }

    zt::LinkConfig config() {
        if (sim_) return GetParam().line == Line::Pty ? serialConfig(sim_->ptyPath()) : tcpConfig(sim_->port());
        return pty_ ? serialConfig(pty_->path()) : tcpConfig(tcp_->port());
    }
    // The link opened to the peer (register identified), its requests forgotten.
    zt::TComboLink& open() {
        auto& l = link(config());
        l.OpenLink();
        EXPECT_EQ(l.deviceName, "NEO XL 3.01");
        forget();
        return l;
    }

    // The next requests, from the next one on, are treated as planned; the rest
    // are answered soundly. Refusals are for `command` (the simulator refuses by
    // command, in the order given).
    void answerNext(const std::vector<Reply>& plan, std::uint16_t command = 0) {
        if (sim_) {
            sim_->setFaults(faultsFor(plan, command));
            return;
        }
        const std::size_t from = allFrames().size();  // outside planMutex_: the peer calls in under its own lock
        std::lock_guard<std::mutex> g(planMutex_);
        plan_ = plan;
        planFrom_ = from;
    }
    // The scripted peer answers by `script` from now on (n counted from its next request).
    void play(Script script) {
        const std::size_t from = allFrames().size();
        std::lock_guard<std::mutex> g(planMutex_);
        custom_ = std::move(script);
        planFrom_ = from;
    }

    // Requests before now are no longer shown.
    void forget() {
        if (sim_)
            sim_->journal().clear();
        else
            seenFrom_ = allFrames().size();
    }
    // The requests since forget(), once there are n.
    std::vector<Sent> sent(std::size_t n) {
        std::vector<Sent> out;
        if (sim_) {
            EXPECT_TRUE(sim_->journal().waitForSize(n, 2000));
            for (const auto& e : sim_->journal().entries()) out.push_back({e.code, e.sequence, e.repeated});
        } else {
            for (const auto& f : frames())
                out.push_back({zt::frameCommand(f), zt::frameSequence(f), (zt::frameFlags(f) & 0x10) != 0});
        }
        EXPECT_EQ(out.size(), n);
        return out;
    }
    std::size_t sentCount(std::uint16_t code) {
        if (sim_) return sim_->journal().count(code);
        std::size_t n = 0;
        for (const auto& f : frames()) n += zt::frameCommand(f) == code;
        return n;
    }
    // The scripted peer's view: the logical request frames since forget().
    std::vector<std::string> frames() const {
        auto all = allFrames();
        all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(seenFrom_, all.size())));
        return all;
    }
    // The simulator's journal once it holds n entries (it writes it on its own thread).
    std::vector<JournalEntry> journal(std::size_t n) {
        EXPECT_TRUE(sim_->journal().waitForSize(n, 2000));
        auto e = sim_->journal().entries();
        EXPECT_EQ(e.size(), n);
        return e;
    }

private:
    std::vector<std::string> allFrames() const { return pty_ ? pty_->requests() : tcp_->requests(); }

    // The scripted register: identifies as NEO XL 3.01, echoes every other command.
    std::string scripted(const std::string& req, int n) {
        std::lock_guard<std::mutex> g(planMutex_);
        const std::size_t k = static_cast<std::size_t>(n);  // from 1
        if (custom_) return custom_(req, static_cast<int>(k - planFrom_));
        if (k > planFrom_ && k - planFrom_ <= plan_.size()) return planned(req, plan_[k - planFrom_ - 1]);
        if (zt::frameCommand(req) == zt::cmdCASHREGSTATUSGET) return statusGetFrame(req, 29);
        return echo(req);
    }
    static std::string planned(const std::string& req, const Reply& r) {
        switch (r.kind) {
            case Reply::Lost: return {};
            case Reply::BadCrc: {
                std::string logical = zt::buildFrame(0, zt::frameSequence(req), zt::frameCommand(req), {F::EncodeB(7)});
                logical[logical.size() - 3] = static_cast<char>(logical[logical.size() - 3] ^ 0x5A);
                return zt::stuff(logical);
            }
            case Reply::Foreign: return answerFrame(req, zt::frameCommand(req), {}, 1);
            case Reply::Transmission: return statusFrame(req, r.status, 0);
            case Reply::Refusal: return statusFrame(req, 0, r.status);
        }
        return {};
    }
    // The simulator counts lost answers by request and the other faults by the
    // answer they spoil; a kind planned for consecutive requests is one fault.
    static Faults faultsFor(const std::vector<Reply>& plan, std::uint16_t command) {
        Faults f;
        auto extend = [](FaultAt& at, std::uint32_t n) {
            if (at.at == 0)
                at = {n, 1};
            else
                at.times = n - at.at + 1;
        };
        std::uint32_t answers = 0;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            switch (plan[i].kind) {
                case Reply::Lost: extend(f.noAnswer, static_cast<std::uint32_t>(i + 1)); break;
                case Reply::BadCrc: extend(f.badCrc, ++answers); break;
                case Reply::Foreign: extend(f.wrongSequence, ++answers); break;
                case Reply::Transmission:
                    extend(f.transmissionError, ++answers);
                    f.transmissionStatus = plan[i].status;
                    break;
                case Reply::Refusal:
                    f.executionErrors.push_back({command, plan[i].status, std::nullopt, 1});
                    ++answers;
                    break;
            }
        }
        return f;
    }

    std::unique_ptr<zt::sim::RegisterSimulator> sim_;
    std::mutex planMutex_;
    std::vector<Reply> plan_;
    std::size_t planFrom_ = 0;
    Script custom_;
    std::size_t seenFrom_ = 0;
    std::unique_ptr<PtyPeer> pty_;
    std::unique_ptr<TcpPeer> tcp_;
};

// ---- against both peers ----

TEST_P(ExchangeTest, LostBrokenOrForeignAnswerIsAskedForAgainAndTheCommandRunsOnce) {
    auto& l = open();
    const struct {
        Reply::Kind kind;
        const char* note;
    } cases[] = {{Reply::Lost, "no answer"}, {Reply::BadCrc, "bad CRC"}, {Reply::Foreign, "wrong sequence"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        forget();
        answerNext({{c.kind}});
        l.SendCommand(zt::cmdPLUSTATCLEARALL, {F::EncodeB(1), F::EncodeB(1)});
        EXPECT_TRUE(l.linkOk);
        const auto s = sent(2);
        if (s.size() != 2) continue;
        EXPECT_EQ(s[0].code, zt::cmdPLUSTATCLEARALL);
        EXPECT_EQ(s[1].code, zt::cmdPLUSTATCLEARALL);
        EXPECT_FALSE(s[0].repeated);
        EXPECT_TRUE(s[1].repeated);
        EXPECT_EQ(s[1].sequence, s[0].sequence);
        if (simulated()) {
            const auto j = sim().journal().entries();
            ASSERT_EQ(j.size(), 2u);
            EXPECT_FALSE(j[0].fromCache);
            EXPECT_EQ(j[0].note, c.note);
            EXPECT_TRUE(j[1].fromCache);  // not run a second time
            EXPECT_EQ(j[1].answerCode, zt::cmdPLUSTATCLEARALL);
        } else {
            const auto r = frames();
            ASSERT_EQ(r.size(), 2u);
            EXPECT_EQ(zt::frameFlags(r[0]), 0);
            EXPECT_EQ(zt::frameFlags(r[1]), 0x10);
            EXPECT_TRUE(zt::checkCrc(r[1]));
        }
    }

    // Lost, then foreign: every repeat carries the first send's sequence number.
    forget();
    answerNext({{Reply::Lost}, {Reply::Foreign}});
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_TRUE(l.linkOk);
    const auto s = sent(3);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_FALSE(s[0].repeated);
    EXPECT_TRUE(s[1].repeated);
    EXPECT_TRUE(s[2].repeated);
    EXPECT_EQ(s[1].sequence, s[0].sequence);
    EXPECT_EQ(s[2].sequence, s[0].sequence);
    if (simulated()) {
        const auto j = sim().journal().entries();
        ASSERT_EQ(j.size(), 3u);
        EXPECT_TRUE(j[1].fromCache && j[2].fromCache);
        EXPECT_EQ(l.answer.Count(), 3u);
    } else {
        EXPECT_EQ(l.answer[0].AsB(), 7);
        const auto r = frames();
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(zt::frameFlags(r[0]), 0);
        EXPECT_EQ(zt::frameFlags(r[1]), 0x10);
        EXPECT_EQ(zt::frameFlags(r[2]), 0x10);
        EXPECT_TRUE(zt::checkCrc(r[1]));
    }

    // Each command went under its own sequence number.
    forget();
    answerNext({});
    l.SendCommand(zt::cmdTIMEGET);
    const auto next = sent(1);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_FALSE(next[0].repeated);
    EXPECT_NE(next[0].sequence, s[0].sequence);
}

TEST_P(ExchangeTest, TransmissionStatusResendsTheFrameUnchanged) {
    auto& l = open();
    for (const std::uint16_t code : {zt::cmdDATEGET, zt::cmdPLUDELALL}) {
        SCOPED_TRACE(code);
        forget();
        answerNext({{Reply::Transmission, 5}});
        if (code == zt::cmdPLUDELALL)
            l.SendCommand(code, {F::EncodeB(1)});
        else
            l.SendCommand(code);
        EXPECT_EQ(l.statusT, 0);
        const auto s = sent(2);
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s[0].code, code);
        EXPECT_FALSE(s[1].repeated);  // no repeat bit
        EXPECT_EQ(s[1].sequence, s[0].sequence);
        if (simulated()) {
            const auto j = sim().journal().entries();
            ASSERT_EQ(j.size(), 2u);
            EXPECT_EQ(j[0].statusT, 5);
            EXPECT_EQ(j[0].answerCode, 0);
            EXPECT_FALSE(j[1].fromCache);
            EXPECT_EQ(j[1].answerCode, code);
        } else {
            const auto r = frames();
            ASSERT_EQ(r.size(), 2u);
            EXPECT_EQ(r[1], r[0]);
        }
    }
    if (simulated()) {
        EXPECT_TRUE(sim().state().goods.empty());
    }
}

TEST_P(ExchangeTest, ThreeFailedSendsGiveUpTheLink) {
    auto& l = open();
    const struct {
        Reply reply;
        const char* note;
    } cases[] = {{{Reply::Lost}, "lost answers"}, {{Reply::Transmission, 2}, "transmission status 2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        forget();
        answerNext({c.reply, c.reply, c.reply});
        EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdVATGET); }), pl(kCommError));
        EXPECT_FALSE(l.linkOk);
        const auto s = sent(3);
        ASSERT_EQ(s.size(), 3u);
        EXPECT_FALSE(s[0].repeated);
        if (c.reply.kind == Reply::Lost) {
            EXPECT_TRUE(s[1].repeated && s[2].repeated);
            if (simulated()) {
                const auto j = sim().journal().entries();
                ASSERT_EQ(j.size(), 3u);
                EXPECT_TRUE(j[1].fromCache && j[2].fromCache);
            }
        }
        // The line is still there: the next command goes through.
        answerNext({});
        l.SendCommand(zt::cmdTIMEGET);
        EXPECT_TRUE(l.linkOk);
    }
}

TEST_P(ExchangeTest, ExecutionStatusIsAcceptedOrRaisedAndNotResent) {
    auto& l = open();
    answerNext({{Reply::Refusal, 903}, {Reply::Refusal, 904}, {Reply::Refusal, 0}}, zt::cmdPLUDELALL);
    l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)});
    EXPECT_EQ(l.statusW, 903);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)}); }),
              pl("Kasa zgłosiła błąd wykonania: [W904] - baza jest pusta"));
    EXPECT_EQ(l.statusW, 904);
    EXPECT_TRUE(l.linkOk);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdPLUDELALL, {F::EncodeB(1)}); }),
              pl("Kasa zgłosiła błąd wykonania: [W0] - nieznany błąd przesłany przez kasę"));
    EXPECT_TRUE(l.linkOk);
    const auto s = sent(3);  // refusals are not resent
    ASSERT_EQ(s.size(), 3u);
    for (const auto& r : s) {
        EXPECT_EQ(r.code, zt::cmdPLUDELALL);
        EXPECT_FALSE(r.repeated);
    }
    if (simulated()) {
        EXPECT_FALSE(sim().state().goods.empty());  // refused, not run
        const auto j = sim().journal().entries();
        ASSERT_EQ(j.size(), 3u);
        EXPECT_EQ(j[0].statusW, 903);
        EXPECT_EQ(j[1].statusW, 904);
    }
}

TEST_P(ExchangeTest, AbortBetweenRecords) {
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
    EXPECT_EQ(sentCount(zt::cmdPLUREAD), 2u);
}

// ---- communication log ----

TEST_P(ExchangeTest, OneLogFilePerOperation) {
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

TEST_P(ExchangeTest, NoLogWhenSwitchedOff) {
    auto& l = link(config());
    l.InitCommLog();
    l.OpenLink();
    l.SendCommand(zt::cmdTIMEGET);
    l.CloseLink();
    EXPECT_TRUE(l.CommLogPath().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir()) / "log"));
}

TEST_P(ExchangeTest, NoLogThroughALinkedLogFolder) {
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

TEST_P(ExchangeTest, CardServerIsToldAroundTheLink) {
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

TEST_P(ExchangeTest, SilentCardServerCostsItsBoundAndAWarning) {
    zt::sim::CardServerStub skp;
    skp.setSilent(true);
    skp.start();
    host.params["ComboSkpUse"] = "1";
    host.params["ComboSkpIp"] = "127.0.0.1";
    host.params["ComboSkpPort"] = std::to_string(skp.port());
    auto& l = link(config());
    // Timed to the warning, so a register slow to answer on a loaded machine
    // (each empty probe is a slice of the virtual clock) does not count.
    std::uint32_t warned = 0;
    host.onMessage = [&] {
        if (warned == 0 && !host.list(zt::kWarning).empty()) warned = zt::tickCount();
    };
    const std::uint32_t start = zt::tickCount();
    l.OpenLink();
    host.onMessage = nullptr;
    const std::uint32_t waited = warned - start;
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

INSTANTIATE_TEST_SUITE_P(Peers, ExchangeTest,
                         ::testing::Values(Seam{Peer::Scripted, Line::Pty}, Seam{Peer::Scripted, Line::Tcp},
                                           Seam{Peer::Simulator, Line::Pty}, Seam{Peer::Simulator, Line::Tcp}),
                         seamName);

// ---- against the scripted peer only: answers no register gives ----

class ScriptedExchangeTest : public ExchangeTest {};

TEST_P(ScriptedExchangeTest, ReportRunsAsComplexSequence) {
    auto& l = open();
    play([](const std::string& req, int n) {
        if (n == 1) return answerFrame(req, 1, {}) + echo(req);  // started, then done
        if (n == 2) return answerFrame(req, 1000, {});           // neither
        return answerFrame(req, 1, {});                          // started, never done
    });
    l.SendCommand(zt::cmdREPCOMM);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }), pl(kCommError));
    EXPECT_EQ(frames().size(), 2u);  // the odd answer ends it after one send

    host.params["ComboComplexOrdTimeout"] = "0";
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
}

// An answer written in one piece with the first bytes of noise behind it: the
// answer is read, and the noise meets the next command as it always did.
TEST_P(ScriptedExchangeTest, AnswerInOnePieceWithNoiseBehindIt) {
    auto& l = open();
    play([](const std::string& req, int n) { return n == 1 ? echo(req) + "AB" : echo(req); });
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(l.answer[0].AsB(), 7);
    l.SendCommand(zt::cmdDATEGET);
    EXPECT_TRUE(l.linkOk);
    // The repeat may be answered before the peer has noted it.
    for (int i = 0; i < 200 && frames().size() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto r = frames();
    ASSERT_EQ(r.size(), 3u);  // the noise cost the second command one repeat
    EXPECT_EQ(zt::frameFlags(r[1]), 0);
    EXPECT_EQ(zt::frameFlags(r[2]), 0x10);
    EXPECT_EQ(zt::frameCommand(r[2]), zt::cmdDATEGET);
}

INSTANTIATE_TEST_SUITE_P(Peers, ScriptedExchangeTest,
                         ::testing::Values(Seam{Peer::Scripted, Line::Pty}, Seam{Peer::Scripted, Line::Tcp}), seamName);

// ---- against the simulator only: stray bytes, report timing, a dropped line ----

class SimExchangeTest : public ExchangeTest {};

TEST_P(SimExchangeTest, StrayBytesBeforeAnAnswer) {
    auto& l = open();
    // One stray byte costs one reception; the answer behind it is still read.
    Faults f;
    f.garbage = {1, 1};
    f.garbageBytes = "\x41";
    sim().setFaults(f);
    l.SendCommand(zt::cmdDATEGET);
    EXPECT_EQ(l.answer[2].AsV(), 2024);
    // The repeat's answer arrives late and is passed over as foreign.
    l.SendCommand(zt::cmdTIMEGET);
    EXPECT_EQ(l.answer.Count(), 3u);
    l.SendCommand(zt::cmdVATGET);
    EXPECT_TRUE(l.linkOk);
    const auto j = sim().journal().entries();
    ASSERT_GE(j.size(), 4u);
    EXPECT_EQ(j[0].note, "garbage");
    EXPECT_TRUE(j[1].repeated);
    EXPECT_EQ(j[1].code, zt::cmdDATEGET);
}

TEST_P(SimExchangeTest, ReportAnswersStartedThenDone) {
    auto& l = open();
    sim().setComplexDelayMs(150);  // real time on the simulator's side
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
    sim().setComplexDelayMs(5000);  // cut short when the simulator stops
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdREPCOMM); }),
              pl("Kasa nie wyrobiła się w czasie. Zwiększ timeout wykonania sekw. ZŁOŻONEJ"));
    EXPECT_GE(zt::tickCount() - start, 5000u);
    EXPECT_EQ(sim().journal().count(zt::cmdREPCOMM), 1u);  // waited for, not resent
}

TEST_P(SimExchangeTest, DroppedLineEndsTheNextCommandAndTheLinkReopensAtOnce) {
    auto& l = open();
    Faults f;
    f.disconnectAfter = 2;
    sim().setFaults(f);
    l.SendCommand(zt::cmdTIMEGET);
    l.SendCommand(zt::cmdDATEGET);
    EXPECT_EQ(raised([&] { l.SendCommand(zt::cmdVATGET); }), pl(kCommError));
    EXPECT_FALSE(l.linkOk);
    l.CloseLink();
    EXPECT_FALSE(l.IsOpen());

    // A new TCP/IP connection is served at once; the serial line stays
    // silent until the register is reset.
    if (GetParam().line == Line::Pty) sim().clearFaults();
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

INSTANTIATE_TEST_SUITE_P(Peers, SimExchangeTest,
                         ::testing::Values(Seam{Peer::Simulator, Line::Pty}, Seam{Peer::Simulator, Line::Tcp}),
                         seamName);

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

// A context reading: the initialisation, then reads until 975 or an extra end
// code; the hook runs before every read, the record step for records only (a
// harmless code that does not end the reading included).
TEST_F(FakeExchangeTest, ContextIsReadUntilItsEndCode) {
    const struct {
        std::vector<std::uint16_t> alsoEnd;
        std::uint16_t fifth;  // the answer to the fourth read
        int records;
    } cases[] = {{{}, 975, 3}, {{903}, 903, 3}, {{}, 903, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        auto& l = openFake([&c](const std::string& req, int n) {
            if (n <= 4) return echo(req);  // the initialisation and three records
            return statusFrame(req, 0, n == 5 ? c.fifth : 975);
        });
        std::string calls;
        l.ReadContext(
            zt::cmdCNTXPACKINIT, {F::EncodeB(0), F::EncodeB(0)}, zt::cmdPACKREAD, {F::EncodeV(0)},
            [&] { calls += 'r'; }, c.alsoEnd, [&] { calls += 'q'; });
        std::string want;
        for (int i = 0; i < c.records; ++i) want += "qr";
        EXPECT_EQ(calls, want + "q");
        const auto& sends = factory->fake->sends();
        ASSERT_EQ(sends.size(), static_cast<std::size_t>(c.records) + 2);
        EXPECT_EQ(zt::frameCommand(zt::unstuff(sends[0])), zt::cmdCNTXPACKINIT);
        for (std::size_t i = 1; i < sends.size(); ++i)
            EXPECT_EQ(zt::frameCommand(zt::unstuff(sends[i])), zt::cmdPACKREAD);
    }
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

// The line's bytes are read in chunks: noise that came with an answer is
// neither lost nor read twice, and a repeat drops it with the rest.
TEST_F(FakeExchangeTest, NoiseBehindAnAnswerCostsTheNextCommandOneRepeat) {
    for (auto c : {serialConfig("COM1"), tcpConfig(1)}) {
        auto& l = openFake([](const std::string& req, int n) { return n == 1 ? echo(req) + "AB" : echo(req); }, c);
        l.SendCommand(zt::cmdTIMEGET);
        EXPECT_EQ(l.answer[0].AsB(), 7);
        EXPECT_EQ(factory->fake->sends().size(), 1u);
        l.SendCommand(zt::cmdDATEGET);
        const auto& sends = factory->fake->sends();
        ASSERT_EQ(sends.size(), 3u);
        EXPECT_EQ(zt::frameFlags(zt::unstuff(sends[1])), 0);
        EXPECT_EQ(zt::frameFlags(zt::unstuff(sends[2])), 0x10);
        EXPECT_EQ(factory->fake->unread(), 0u);
    }
}

// An answer trickling in a byte at a time is still waited for byte by byte.
TEST_F(FakeExchangeTest, AnswerArrivingAByteAtATime) {
    std::size_t bytes = 0;
    for (auto c : {serialConfig("COM1"), tcpConfig(1)}) {
        auto& l = openFake([](const std::string&, int) { return std::string(); }, c);
        factory->fake->setResponder([&bytes](zt::FakeTransport& t, const std::string& sent) {
            const std::string answer = echo(zt::unstuff(sent));
            bytes = answer.size();
            for (std::size_t i = 0; i < answer.size(); ++i)
                t.feed(answer.substr(i, 1), static_cast<std::uint32_t>(i) * 100);
        });
        const std::uint32_t start = zt::tickCount();
        l.SendCommand(zt::cmdTIMEGET);
        const std::uint32_t took = zt::tickCount() - start;
        EXPECT_EQ(l.answer[0].AsB(), 7);
        EXPECT_EQ(factory->fake->sends().size(), 1u);
        EXPECT_GE(took, (bytes - 1) * 100);
        EXPECT_LT(took, bytes * 100);
    }
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
    EXPECT_EQ(zt::TCommLog::Render(std::string("\x10\x02"
                                               "a\x00"
                                               "b\r\n\t\x18\x16\x10\x03",
                                               12)),
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

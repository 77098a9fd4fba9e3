// Modem control, one suite over two modems on a pseudo-terminal: one answering
// AT commands by script (with a register answering frames behind it), and the
// Hayes modem emulator wired to the register simulator's TCP/IP line. Both
// play the dialogue inside the link (dialling, dial failures, configuration,
// hang-up); the emulator also carries whole operations as the host runs them
// (the connection test through the modem, the stand-alone configuration and
// hang-up). Result parsing and the silent and carrier cases run on the
// recording fake.
#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>

#include "action/action_base.h"
#include "link/modem.h"
#include "plugin/combo_library.h"
#include "sim/modem_emulator.h"
#include "sim/register_simulator.h"
#include "tests/support/link_support.h"

namespace ztlink {
namespace {

using zt::pl;
using zt::TModemPort;
using zt::sim::ModemEmulator;
namespace modem = zt::sim::modem;
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
AtScript modemScript(std::map<std::string, std::string> special = {}) {
    return [special](const std::string& command) {
        for (const auto& [prefix, answer] : special)
            if (command.rfind(prefix, 0) == 0) return answer;
        return OK;
    };
}

// ---- the modems ----

// Quiet time the emulator wants around "+++"; the driver's own pauses run on
// the virtual clock, so the line gives the emulator this much real time.
constexpr std::uint32_t kEscapeGuardMs = 20;

// A serial line to the emulator's pseudo-terminal. A pseudo-terminal has no
// carrier-detect line: the emulator's carrier state stands in for it.
class ModemLine : public zt::Transport {
public:
    ModemLine(std::unique_ptr<zt::Transport> line, const ModemEmulator& modem)
        : line_(std::move(line)), modem_(modem) {}
    Kind kind() const override { return line_->kind(); }
    void open() override { line_->open(); }
    void close() noexcept override { line_->close(); }
    bool isOpen() const override { return line_->isOpen(); }
    void send(const std::uint8_t* data, std::size_t len) override {
        line_->send(data, len);
        if (std::string(reinterpret_cast<const char*>(data), len) == "+++")
            std::this_thread::sleep_for(std::chrono::milliseconds(3 * kEscapeGuardMs));
    }
    using zt::Transport::send;
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override { return line_->receiveByte(out, timeoutMs); }
    std::size_t available() override { return line_->available(); }
    void purgeInput() override { line_->purgeInput(); }
    void setRTS(bool on) override { line_->setRTS(on); }
    void setDTR(bool on) override { line_->setDTR(on); }
    bool carrierDetect() override { return modem_.carrier(); }
    std::string describe() const override { return line_->describe(); }

private:
    std::unique_ptr<zt::Transport> line_;
    const ModemEmulator& modem_;
};

enum class Modem { Scripted, Emulator };

// Dial results and the words a modem answers them with.
struct DialResult {
    int code;
    const char* word;
};

class ModemTest : public LinkTest, public ::testing::WithParamInterface<Modem> {
protected:
    ModemTest() {
        host.params["ComboSpeed"] = "3";
        host.params["ComboModemTimeout"] = "60";
    }
    void SetUp() override {
        if (GetParam() == Modem::Scripted) {
            peer_ = std::make_unique<PtyPeer>([](const std::string& req, int) { return statusGetFrame(req, 24); },
                                              [this](const std::string& command) { return scripted(command); });
            return;
        }
        sim_ = std::make_unique<zt::sim::RegisterSimulator>();
        sim_->start();
        emulator_ =
            std::make_unique<ModemEmulator>(zt::sim::ModemOptions{sim_->port(), "CONNECT 9600", kEscapeGuardMs});
        emulator_->start();
        factory->wrapSerial = [this](std::unique_ptr<zt::Transport> t) -> std::unique_ptr<zt::Transport> {
            return std::make_unique<ModemLine>(std::move(t), *emulator_);
        };
    }
    void TearDown() override {
        link_.reset();
        if (emulator_) emulator_->stop();
        if (sim_) sim_->stop();
        peer_.reset();
    }

    bool emulated() const { return GetParam() == Modem::Emulator; }
    std::string path() const { return peer_ ? peer_->path() : emulator_->ptyPath(); }
    zt::TComboLink& modemLink() { return link(serialConfig(path())); }

    // What the register behind the modem identifies as.
    std::string deviceName() const { return emulated() ? "NEO XL 3.01" : "NEO XL EJ 2.01"; }
    int deviceFamily() const { return emulated() ? 10 : 8; }

    // The answer to the next dials (modem::kConnect by default).
    void dialResult(const DialResult& r) {
        if (emulator_) return emulator_->setDialResult(r.code);
        std::lock_guard<std::mutex> g(m_);
        dial_ = std::string("\r\n") + r.word + "\r\n";
    }
    // Commands beginning with "AT" + prefix are answered ERROR.
    void refuse(const std::string& prefix) {
        if (emulator_) return emulator_->refuse(prefix);
        std::lock_guard<std::mutex> g(m_);
        refused_.push_back("AT" + prefix);
    }
    void silence() {
        if (emulator_) return emulator_->setSilent(true);
        std::lock_guard<std::mutex> g(m_);
        silent_ = true;
    }
    // The command lines the modem got since forgetCommands().
    std::vector<std::string> commands() const {
        auto all = peer_ ? peer_->commands() : emulator_->commands();
        all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(commandsFrom_, all.size())));
        return all;
    }
    void forgetCommands() { commandsFrom_ = (peer_ ? peer_->commands() : emulator_->commands()).size(); }

    ModemEmulator& emulator() { return *emulator_; }
    zt::sim::RegisterSimulator& sim() { return *sim_; }

private:
    std::string scripted(const std::string& command) {
        std::lock_guard<std::mutex> g(m_);
        if (silent_) return {};
        if (command.rfind("ATDT", 0) == 0) return dial_;
        for (const auto& prefix : refused_)
            if (command.rfind(prefix, 0) == 0) return "\r\nERROR\r\n";
        return OK;
    }

    mutable std::mutex m_;
    std::string dial_ = "\r\nCONNECT 9600\r\n";
    std::vector<std::string> refused_;
    bool silent_ = false;
    std::size_t commandsFrom_ = 0;
    std::unique_ptr<zt::sim::RegisterSimulator> sim_;
    std::unique_ptr<ModemEmulator> emulator_;
    std::unique_ptr<PtyPeer> peer_;
};

std::string modemName(const ::testing::TestParamInfo<Modem>& info) {
    return info.param == Modem::Scripted ? "Scripted" : "Emulator";
}
void PrintTo(Modem m, std::ostream* os) { *os << (m == Modem::Scripted ? "Scripted" : "Emulator"); }

// ---- the dialogue inside the link, against both modems ----

TEST_P(ModemTest, DialsWhenTheLinkOpensAndHangsUpWhenItCloses) {
    factory->carrierOnPty = true;
    host.params["ComboModemPhone"] = "0221234567";
    const int fds = openDescriptors();
    auto& l = modemLink();
    l.OpenLink();
    EXPECT_EQ(l.deviceName, deviceName());
    EXPECT_EQ(l.deviceFamily, deviceFamily());
    EXPECT_EQ(commands(), (std::vector<std::string>{"AT&F", "ATE0", "ATX2", "ATV1", "ATDT0221234567"}));
    ASSERT_EQ(factory->serial.size(), 1u);
    EXPECT_EQ(factory->serial[0].parity, 0);
    EXPECT_EQ(factory->serial[0].byteSize, 3);
    EXPECT_EQ(factory->serial[0].inBuffer, 2048u);
    EXPECT_TRUE(host.has("Otwieranie portu komunikacyjnego " + path() + " ..."));
    EXPECT_TRUE(host.has(pl("Nawiązywanie połączenia modemowego ...")));
    if (emulated()) {
        EXPECT_EQ(emulator().dialledNumber(), "0221234567");
    }

    l.CloseLink();
    EXPECT_EQ(commands().back(), "ATH");
    EXPECT_TRUE(host.has(pl("Zamykanie połączenia modemowego ...")));
    EXPECT_EQ(openDescriptors(), fds);
    if (emulated()) {
        // The driver may take the escape's OK for the hang-up's: the modem
        // drops the line just after.
        for (int i = 0; i < 200 && emulator().carrier(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(emulator().carrier());
    }
}

TEST_P(ModemTest, DialWaitOfAnyLengthStillWaitsForTheAnswer) {
    factory->carrierOnPty = true;
    host.params["ComboModemPhone"] = "0221234567";
    host.params["ComboModemTimeout"] = "2147483647";
    auto& l = modemLink();
    EXPECT_NO_THROW(l.OpenLink());
    EXPECT_EQ(l.deviceName, deviceName());
    l.CloseLink();
}

TEST_P(ModemTest, DialFailuresCloseTheLink) {
    const struct {
        DialResult result;
        std::string text;
        bool scriptedOnly;
    } cases[] = {
        {{modem::kBusy, "BUSY"}, pl("Błąd ! Druga strona zajęta."), false},
        {{modem::kNoCarrier, "NO CARRIER"}, pl("Błąd ! Brak nośnej - brak modemu po drugiej stronie?"), false},
        {{modem::kNoDialtone, "NO DIALTONE"}, pl("Błąd ! Brak sygnału - czy modem podłączony do linii?"), false},
        {{modem::kNoAnswer, "NO ANSWER"}, pl("Błąd ! Modem kasy nie odpowiada."), false},
        {{modem::kError, "ERROR"}, pl("Błąd inicjalizacji modemu! (4)"), false},
        // A pseudo-terminal has no carrier; the emulator raises its own on CONNECT.
        {{modem::kConnect, "CONNECT"}, pl("Błąd ! Brak nośnej!"), true},
    };
    host.params["ComboModemPhone"] = "1";
    for (const auto& c : cases) {
        if (c.scriptedOnly && emulated()) continue;
        SCOPED_TRACE(c.result.word);
        dialResult(c.result);
        forgetCommands();
        const int fds = openDescriptors();
        host.messages.clear();
        EXPECT_EQ(raised([&] { modemLink().OpenLink(); }), c.text);
        EXPECT_FALSE(link_->IsOpen());
        EXPECT_EQ(openDescriptors(), fds) << c.text;
        EXPECT_TRUE(host.has("Zdalne odblokowanie serwera Posnet (SKP)"));
        EXPECT_EQ(commands().back(), "ATDT1");
        if (emulated()) {
            EXPECT_EQ(sim().journal().size(), 0u);
        }
    }

    // The port was released: the next attempt gets through.
    factory->carrierOnPty = true;
    dialResult({modem::kConnect, "CONNECT 9600"});
    auto& l = modemLink();
    EXPECT_NO_THROW(l.OpenLink());
    EXPECT_EQ(l.deviceName, deviceName());
    l.CloseLink();

    refuse("X2");
    forgetCommands();
    EXPECT_EQ(raised([&] { modemLink().OpenLink(); }), pl("Błąd inicjalizacji modemu! (4)"));
    EXPECT_EQ(commands().size(), 3u);
}

TEST_P(ModemTest, ConfigurationStopsAtAnUnsupportedSpeed) {
    host.params["ComboSpeed"] = "6";  // 57600
    auto& l = modemLink();
    const int fds = openDescriptors();
    EXPECT_EQ(raised([&] { l.ConfigureRegisterModem(); }), pl("Zmień prędkość komunikacji!"));
    EXPECT_EQ(commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=60", "AT&C1", "AT&D2", "AT&H1", "ATY0"}));
    EXPECT_EQ(openDescriptors(), fds);
}

TEST_P(ModemTest, ConfigurationGoesOnPastRefusals) {
    for (const char* prefix : {"&N", "&H1", "S37", "&C1"}) refuse(prefix);
    host.params["ComboModemTimeout"] = "30";
    auto& l = modemLink();
    const auto real = std::chrono::steady_clock::now();
    l.ConfigureRegisterModem();
    EXPECT_LT(std::chrono::steady_clock::now() - real, std::chrono::seconds(10));
    EXPECT_EQ(commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=30", "AT&C1", "AT&D2", "AT&H1", "ATY0",
                                                    "AT&N6", "ATS37=9", "ATS0=1", "ATE0", "ATQ1", "AT&W1", "AT&W0"}));
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

TEST_P(ModemTest, StandAloneHangUpReleasesThePortWhenTheModemIsSilent) {
    silence();
    const int fds = openDescriptors();
    const std::uint32_t start = zt::tickCount();
    EXPECT_EQ(raised([&] { modemLink().ModemHangUp(); }), pl("Brak odpowiedzi modemu!"));
    // The emulator still echoes the command, so the wait ends on the echo;
    // a modem giving nothing at all is waited for in full.
    if (!emulated()) {
        EXPECT_GE(zt::tickCount() - start, 80000u);
    }
    EXPECT_EQ(commands(), std::vector<std::string>{"ATH"});
    EXPECT_EQ(openDescriptors(), fds);
}

INSTANTIATE_TEST_SUITE_P(Modems, ModemTest, ::testing::Values(Modem::Scripted, Modem::Emulator), modemName);

// ---- whole operations through the emulator, as the host runs them ----

class ModemOperationTest : public ModemTest {
protected:
    void SetUp() override {
        ModemTest::SetUp();
        library.UstawFabrykeLaczy(factory);
        host.params["ComboPort"] = path();
        host.params["ComboModemTimeout"] = "45";
        host.params["ComboEdiFolder"] = dir() + "/EDI";
        host.registerAll([this](void* p, int k) { library.RejestrujCallback(p, k); });
    }

    // Runs an operation as the host would; the text it raised, "" when none.
    std::string run(int operation, int extra = 0) {
        auto action = library.UtworzAkcje(1);
        zt::HQORDLLSRODOWISKO record;
        try {
            action->Operacja(record, operation, extra);
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }
    // Codes of the requests the register ran (repeats left out).
    std::vector<int> registerCodes() {
        std::vector<int> out;
        for (const auto& e : sim().journal().entries())
            if (!e.repeated) out.push_back(e.code);
        return out;
    }

    zt::TZTComboLibrary library{7};
};

TEST_P(ModemOperationTest, ConnectionTestThroughTheModem) {
    host.params["ComboModemPhone"] = "0221234567";
    EXPECT_EQ(run(-1), "");
    EXPECT_EQ(emulator().dialledNumber(), "0221234567");
    EXPECT_TRUE(emulator().waitForCommands(6, 1000));
    const auto at = commands();
    ASSERT_GE(at.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(at.begin(), at.begin() + 5),
              (std::vector<std::string>{"AT&F", "ATE0", "ATX2", "ATV1", "ATDT0221234567"}));
    EXPECT_EQ(at.back(), "ATH");  // after the escape, on CloseLink
    // The driver may take the escape's OK for the hang-up's: the modem drops
    // the line just after.
    for (int i = 0; i < 200 && emulator().carrier(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(emulator().carrier());

    // The register got the test's commands through the modem.
    const auto codes = registerCodes();
    ASSERT_GE(codes.size(), 7u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 7),
              (std::vector<int>{zt::cmdCASHREGSTATUSGET, zt::cmdHEADERGET, zt::cmdVATGET, zt::cmdDATEGET,
                                zt::cmdTIMEGET, zt::cmdCASHREGSTATUSGET, zt::cmdDBSTATUSGET}));
    EXPECT_EQ(codes.back(), zt::cmdCASHREGPARGET);
    EXPECT_TRUE(host.has(pl("Nawiązano połączenie z kasą NEO XL 3.01")));
    EXPECT_TRUE(host.has("- A: 23.00%"));
    EXPECT_TRUE(host.lines(2).empty());
    ASSERT_FALSE(factory->serial.empty());
    EXPECT_EQ(factory->serial[0].parity, 0);
    EXPECT_EQ(factory->serial[0].byteSize, 3);
}

TEST_P(ModemOperationTest, BusyNumberEndsTheOperationAndFreesThePort) {
    host.params["ComboModemPhone"] = "5";
    emulator().setDialResult(modem::kBusy);
    EXPECT_EQ(run(-1), pl("Błąd ! Druga strona zajęta."));
    EXPECT_EQ(commands().back(), "ATDT5");
    EXPECT_EQ(sim().journal().size(), 0u);
    // The port was released: the next attempt gets through.
    emulator().setDialResult(modem::kConnect);
    EXPECT_EQ(run(-1), "");
    EXPECT_GT(sim().journal().size(), 0u);
}

TEST_P(ModemOperationTest, RegisterModemConfiguration) {
    EXPECT_EQ(run(-8, 3), "");
    EXPECT_EQ(commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=45", "AT&C1", "AT&D2", "AT&H1", "ATY0",
                                                    "AT&N6", "ATS0=1", "ATE0", "ATQ1", "AT&W1", "AT&W0"}));
    ASSERT_EQ(factory->serial.size(), 1u);
    EXPECT_EQ(factory->serial[0].parity, 1);
    EXPECT_EQ(factory->serial[0].byteSize, 2);
    EXPECT_EQ(factory->serial[0].baudRate, 9600);
    EXPECT_TRUE(host.lines(2).empty());

    // A modem that does not take "AT&N" is given the speed through S37.
    host.params["ComboSpeed"] = "4";
    refuse("&N");
    const std::size_t before = commands().size();
    EXPECT_EQ(run(-8, 3), "");
    const auto at = commands();
    ASSERT_GT(at.size(), before + 9);
    EXPECT_EQ(at[before + 7], "AT&N10");
    EXPECT_EQ(at[before + 8], "ATS37=13");
    EXPECT_EQ(at[before + 9], "ATS0=1");
}

TEST_P(ModemOperationTest, ConfigurationRefusesAnUnsupportedSpeed) {
    host.params["ComboSpeed"] = "6";  // 57600
    EXPECT_EQ(run(-8, 3), pl("Zmień prędkość komunikacji!"));
    EXPECT_EQ(commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=45", "AT&C1", "AT&D2", "AT&H1", "ATY0"}));
    // The port is free again.
    host.params["ComboSpeed"] = "3";
    EXPECT_EQ(run(-8, 4), "");
}

TEST_P(ModemOperationTest, StandAloneHangUp) {
    EXPECT_EQ(run(-8, 4), "");
    EXPECT_EQ(commands(), std::vector<std::string>{"ATH"});  // no carrier: no escape
    EXPECT_TRUE(host.has(pl("Zamykanie połączenia modemowego ...")));
    EXPECT_TRUE(host.has("Zamykanie portu komunikacyjnego"));
}

// Every fault of the modem (a refusal, silence, noise, the modem gone from the
// line) at the first, a middle and the last command of the two modem windows:
// the outcome the dialogue gives it, and the port free for the next run. A
// fault holds for every send of its command.
TEST_P(ModemOperationTest, EveryFaultOfTheModemWindows) {
    const std::string noAnswer = pl("Brak odpowiedzi modemu!");
    const std::string initError = pl("Błąd inicjalizacji modemu! (4)");
    const struct Cell {
        int window;
        const char* command;  // after "AT"
        int fault;
        std::string outcome;   // raised text, "" when the window ends well
        const char* lastSent;  // the last command the modem got
    } cells[] = {
        // Without a carrier the hang-up is one command, first and last. (These
        // come first: a configured modem answers nothing, as "ATQ1" tells it.)
        {4, "H", modem::kError, pl("Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!"), "ATH"},
        {4, "H", modem::kSilent, noAnswer, "ATH"},
        {4, "H", modem::kNoise, noAnswer, "ATH"},
        {4, "H", modem::kGone, noAnswer, "ATH"},
        // "AT&F" is tried twice; a refusal then ends the window.
        {3, "&F", modem::kError, initError, "AT&F"},
        {3, "&F", modem::kSilent, noAnswer, "AT&F"},
        {3, "&F", modem::kNoise, noAnswer, "AT&F"},
        // Gone: the retry's write fails with the system's words.
        {3, "&F", modem::kGone, ": write: Input/output error", "AT&F"},
        // A refusal in the middle only adds a line; silence ends the window.
        {3, "&C1", modem::kError, "", "AT&W0"},
        {3, "&C1", modem::kSilent, noAnswer, "AT&C1"},
        {3, "&C1", modem::kNoise, noAnswer, "AT&C1"},
        {3, "&C1", modem::kGone, noAnswer, "AT&C1"},
        // The closing commands count as done whatever comes back.
        {3, "&W0", modem::kError, "", "AT&W0"},
        {3, "&W0", modem::kSilent, "", "AT&W0"},
        {3, "&W0", modem::kNoise, "", "AT&W0"},
        {3, "&W0", modem::kGone, "", "AT&W0"},
    };
    for (const Cell& c : cells) {
        SCOPED_TRACE(testing::Message() << "window " << c.window << ", AT" << c.command << ", fault " << c.fault);
        emulator().refuse(c.command, c.fault);
        forgetCommands();
        host.messages.clear();
        const std::string raised = run(-8, c.window);
        if (c.outcome.rfind(": ", 0) == 0) {  // the system's words after the port's name
            EXPECT_EQ(raised, path() + c.outcome);
        } else {
            EXPECT_EQ(raised, c.outcome);
        }
        const auto sent = commands();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), c.lastSent);
        if (c.window == 3 && std::string(c.command) == "&F" && c.fault != modem::kGone) {
            EXPECT_EQ(sent.size(), 2u);
        }
        if (c.window == 3 && std::string(c.command) == "&C1" && c.fault == modem::kError) {
            EXPECT_TRUE(host.has(initError));
        }
        if (c.outcome.empty()) {
            EXPECT_TRUE(host.has("Zamykanie portu komunikacyjnego"));
        }
        // The port was released: the same window runs again on a sound modem.
        emulator().clearRefusals();
        if (c.fault == modem::kGone) {
            // A modem plugged in again: a new line.
            emulator().stop();
            emulator().start();
            host.params["ComboPort"] = path();
        }
        EXPECT_EQ(run(-8, c.window), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Modems, ModemOperationTest, ::testing::Values(Modem::Emulator), modemName);

// ---- on the recording fake ----

class ModemFakeTest : public LinkTest {
protected:
    ModemFakeTest() {
        host.params["ComboSpeed"] = "3";
        host.params["ComboModemTimeout"] = "60";
    }
};

TEST_F(ModemFakeTest, StandAloneOperationsNeedASerialPort) {
    auto& l = link(tcpConfig(1000));
    EXPECT_EQ(raised([&] { l.ConfigureRegisterModem(); }), pl("Ustaw złącze na COMx"));
    EXPECT_EQ(raised([&] { l.ModemHangUp(); }), pl("Ustaw złącze na COMx"));
}

// The fake answers each command line through the script.
void answerAt(zt::FakeTransport& t, AtScript script) {
    t.setResponder([script](zt::FakeTransport& line, const std::string& sent) {
        if (!sent.empty() && sent.back() == '\r') line.feed(script(sent.substr(0, sent.size() - 1)));
    });
}

TEST_F(ModemFakeTest, SilentModemTimesOutOnTheClock) {
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

TEST_F(ModemFakeTest, HangUpEscapesOnlyWithCarrier) {
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) { answerAt(t, modemScript()); };
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
    EXPECT_EQ(factory->fake->unwaitedSends(), 2);  // "+++" and the AT command leave without a wait
    m.CloseModemPort();
    EXPECT_FALSE(factory->fake->isOpen());
    EXPECT_FALSE(factory->fake->rts());
    EXPECT_FALSE(factory->fake->dtr());
}

TEST_F(ModemFakeTest, HangUpRefused) {
    factory->useFake = true;
    factory->prepare = [](zt::FakeTransport& t) { answerAt(t, modemScript({{"ATH", "\r\nERROR\r\n"}})); };
    TModemPort m(action(), factory);
    m.OpenModemPort("COM2", 9600, 1, 0, 2);
    EXPECT_EQ(raised([&] { m.HangUp(); }), pl("Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!"));
    TModemPort closed(action(), factory);
    EXPECT_EQ(raised([&] { closed.Dial("1", 1); }), pl("Otwórz port komunikacyjny!"));
    EXPECT_NO_THROW(closed.HangUp());
}

}  // namespace
}  // namespace ztlink

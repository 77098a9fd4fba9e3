// The modem path of the driver against the Hayes modem emulator on a
// pseudo-terminal, wired to the register simulator's TCP/IP line: dialling and
// the connection test through the modem, hang-up at the end, the register-modem
// configuration and the stand-alone hang-up as the modem records them, and a
// refused dial.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "link/link_factory.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "plugin/action_base.h"
#include "plugin/library.h"
#include "sim/modem_emulator.h"
#include "sim/register_simulator.h"
#include "tests/support/host_state.h"

namespace {

using zt::pl;
using zt::sim::ModemEmulator;
namespace modem = zt::sim::modem;

// Quiet time the emulator wants around "+++"; the driver's own pauses run on
// the virtual clock, so the line gives the emulator this much real time.
constexpr std::uint32_t kEscapeGuardMs = 20;

// A serial line to the emulator's pseudo-terminal. A pseudo-terminal has no
// carrier-detect line: the emulator's carrier state stands in for it.
class ModemLine : public zt::Transport {
public:
    ModemLine(std::unique_ptr<zt::Transport> line, const ModemEmulator& modem) : line_(std::move(line)), modem_(modem) {}
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

class ModemLineFactory : public zt::LinkFactory {
public:
    explicit ModemLineFactory(const ModemEmulator& modem) : modem_(modem) {}
    std::vector<zt::SerialSettings> serial;  // settings asked for

    std::unique_ptr<zt::Transport> Serial(const zt::SerialSettings& s) override {
        serial.push_back(s);
        return std::make_unique<ModemLine>(zt::LinkFactory::Serial(s), modem_);
    }

private:
    const ModemEmulator& modem_;
};

class ModemEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        zt::setClock(&clock);
        sim.start();
        modem = std::make_unique<ModemEmulator>(zt::sim::ModemOptions{sim.port(), "CONNECT 9600", kEscapeGuardMs});
        modem->start();
        factory = std::make_shared<ModemLineFactory>(*modem);
        lib.UstawFabrykeLaczy(factory);
        dir = std::filesystem::temp_directory_path() / ("zt-modem-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        host.workDir = dir.string() + "/";
        host.params["ComboPort"] = modem->ptyPath();
        host.params["ComboSpeed"] = "3";
        host.params["ComboModemTimeout"] = "45";
        host.params["ComboDedbug"] = "0";
        host.params["ComboSkpUse"] = "0";
        host.params["ComboEdiFolder"] = dir.string() + "/EDI";
        host.registerAll([this](void* p, int k) { lib.RejestrujCallback(p, k); });
    }
    void TearDown() override {
        modem->stop();
        sim.stop();
        zt::setClock(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Runs an operation as the host would; the text it raised, "" when none.
    std::string run(int operation, int extra = 0) {
        auto action = lib.UtworzAkcje(1);
        zt::HQORDLLSRODOWISKO record;
        try {
            action->Operacja(record, operation, extra);
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }
    bool has(const std::string& text) const {
        for (const auto& m : host.messages)
            if (m.text == text) return true;
        return false;
    }
    // Codes of the requests the register ran (repeats left out).
    std::vector<int> registerCodes() {
        std::vector<int> out;
        for (const auto& e : sim.journal().entries())
            if (!e.repeated) out.push_back(e.code);
        return out;
    }

    ztest::HostState host;
    zt::TZTComboLibrary lib{7};
    zt::VirtualClock clock;
    zt::sim::RegisterSimulator sim;
    std::unique_ptr<ModemEmulator> modem;
    std::shared_ptr<ModemLineFactory> factory;
    std::filesystem::path dir;
};

TEST_F(ModemEmulatorTest, ConnectionTestThroughTheModem) {
    host.params["ComboModemPhone"] = "0221234567";
    EXPECT_EQ(run(-1), "");
    EXPECT_EQ(modem->dialledNumber(), "0221234567");
    EXPECT_TRUE(modem->waitForCommands(6, 1000));
    const auto at = modem->commands();
    ASSERT_GE(at.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(at.begin(), at.begin() + 5),
              (std::vector<std::string>{"AT&F", "ATE0", "ATX2", "ATV1", "ATDT0221234567"}));
    EXPECT_EQ(at.back(), "ATH");  // after the escape, on CloseLink
    // The driver may take the escape's OK for the hang-up's: the modem drops
    // the line just after.
    for (int i = 0; i < 200 && modem->carrier(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(modem->carrier());

    // The register got the test's commands through the modem.
    const auto codes = registerCodes();
    ASSERT_GE(codes.size(), 7u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 7),
              (std::vector<int>{zt::sim::cmd::CASHREGSTATUSGET, zt::sim::cmd::HEADERGET, zt::sim::cmd::VATGET,
                                zt::sim::cmd::DATEGET, zt::sim::cmd::TIMEGET, zt::sim::cmd::CASHREGSTATUSGET,
                                zt::sim::cmd::DBSTATUSGET}));
    EXPECT_EQ(codes.back(), zt::sim::cmd::CASHREGPARGET);
    EXPECT_TRUE(has(pl("Nawiązano połączenie z kasą NEO XL 3.01")));
    EXPECT_TRUE(has("- A: 23.00%"));
    EXPECT_TRUE(host.lines(2).empty());
    ASSERT_FALSE(factory->serial.empty());
    EXPECT_EQ(factory->serial[0].parity, 0);
    EXPECT_EQ(factory->serial[0].byteSize, 3);
}

TEST_F(ModemEmulatorTest, BusyNumberEndsTheOperationAndFreesThePort) {
    host.params["ComboModemPhone"] = "5";
    modem->setDialResult(modem::kBusy);
    EXPECT_EQ(run(-1), pl("Błąd ! Druga strona zajęta."));
    EXPECT_EQ(modem->commands().back(), "ATDT5");
    EXPECT_EQ(sim.journal().size(), 0u);
    // The port was released: the next attempt gets through.
    modem->setDialResult(modem::kConnect);
    EXPECT_EQ(run(-1), "");
    EXPECT_GT(sim.journal().size(), 0u);
}

TEST_F(ModemEmulatorTest, RegisterModemConfiguration) {
    EXPECT_EQ(run(-8, 3), "");
    EXPECT_EQ(modem->commands(), (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=45", "AT&C1", "AT&D2", "AT&H1",
                                                           "ATY0", "AT&N6", "ATS0=1", "ATE0", "ATQ1", "AT&W1", "AT&W0"}));
    ASSERT_EQ(factory->serial.size(), 1u);
    EXPECT_EQ(factory->serial[0].parity, 1);
    EXPECT_EQ(factory->serial[0].byteSize, 2);
    EXPECT_EQ(factory->serial[0].baudRate, 9600);
    EXPECT_TRUE(host.lines(2).empty());

    // A modem that does not take "AT&N" is given the speed through S37.
    host.params["ComboSpeed"] = "4";
    modem->refuse("&N");
    const std::size_t before = modem->commands().size();
    EXPECT_EQ(run(-8, 3), "");
    const auto at = modem->commands();
    ASSERT_GT(at.size(), before + 9);
    EXPECT_EQ(at[before + 7], "AT&N10");
    EXPECT_EQ(at[before + 8], "ATS37=13");
    EXPECT_EQ(at[before + 9], "ATS0=1");
}

TEST_F(ModemEmulatorTest, ConfigurationRefusesAnUnsupportedSpeed) {
    host.params["ComboSpeed"] = "6";  // 57600
    EXPECT_EQ(run(-8, 3), pl("Zmień prędkość komunikacji!"));
    EXPECT_EQ(modem->commands(),
              (std::vector<std::string>{"AT&F", "AT&S1", "ATS7=45", "AT&C1", "AT&D2", "AT&H1", "ATY0"}));
    // The port is free again.
    host.params["ComboSpeed"] = "3";
    EXPECT_EQ(run(-8, 4), "");
}

TEST_F(ModemEmulatorTest, StandAloneHangUp) {
    EXPECT_EQ(run(-8, 4), "");
    EXPECT_EQ(modem->commands(), std::vector<std::string>{"ATH"});  // no carrier: no escape
    EXPECT_TRUE(has(pl("Zamykanie połączenia modemowego ...")));
    EXPECT_TRUE(has("Zamykanie portu komunikacyjnego"));
}

}  // namespace

// The state file, the card-server stand-in and the modem emulator.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "platform/cp1250.h"
#include "platform/exception.h"
#include "platform/serial.h"
#include "platform/tcp.h"
#include "proto/framing.h"
#include "sim/card_server_stub.h"
#include "sim/modem_emulator.h"
#include "sim/register_simulator.h"
#include "sim/state_file.h"

namespace zt::sim {
namespace {

TEST(StateFile, RoundTripKeepsEveryRecordAndWindows1250Bytes) {
    RegisterState s = defaultRegisterState();
    s.clockRunning = false;
    s.goods[0].name = pl("Chleb; żytni\\ \"duży\"");  // separator, escape and 8-bit bytes
    s.header.push_back("");
    s.receipts.push_back(receipt::position(10, 0, 5, "1", pl("Pączek;x"), 1000, -5));
    RegisterState back = parseState(formatState(s));
    EXPECT_EQ(back, s);

    const auto path = std::filesystem::temp_directory_path() / ("ztsim-state-" + std::to_string(::getpid()) + ".txt");
    saveStateFile(s, path.string());
    EXPECT_EQ(loadStateFile(path.string()), s);
    std::filesystem::remove(path);
}

TEST(StateFile, HandWrittenFileAndItsErrors) {
    auto s = parseState(
        "# minimal\n[register]\ntype=2\nclock=running\nnumber=12\n[vat]\nA=2300\nC=zw\n"
        "[goods]\n5;Bu\\;lka;590;120;0;1;1;0;0;1;1;0;0;0;0;0;0;-;111,222\r\n");
    EXPECT_EQ(s.typeCode, 2);
    EXPECT_TRUE(s.clockRunning);
    EXPECT_EQ(s.registerNumber, "12");
    EXPECT_EQ(s.vat, (std::vector<int>{2300, RegisterState::kVatInactive, RegisterState::kVatExempt}));
    ASSERT_EQ(s.goods.size(), 1u);
    EXPECT_EQ(s.goods[0].name, "Bu;lka");
    EXPECT_EQ(s.goods[0].extraBarcodes, (std::vector<std::string>{"111", "222"}));

    try {
        parseState("[register]\ntype=2\n\n[goods]\n1;too few\n");
        FAIL() << "short record accepted";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("line 5"), std::string::npos) << e.what();
    }
    EXPECT_THROW(parseState("[register]\ntype=300\n"), Exception);
    EXPECT_THROW(parseState("[nowhere]\n"), Exception);
    EXPECT_THROW(parseState("[receipts]\n10;X5\n"), Exception);
    EXPECT_THROW(loadStateFile("/nonexistent/state.txt"), Exception);
}

std::string readFor(TcpClient& c, std::uint32_t ms) {
    std::string out;
    char buf[64];
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end && !c.peerClosed())
        out.append(buf, c.receiveSome(buf, sizeof buf, 10));
    return out;
}

TEST(CardServerStub, RecordsTheLinesAndAnswersOrStaysSilent) {
    CardServerStub cards;
    cards.start();
    {
        TcpClient c;
        c.connect("127.0.0.1", cards.port(), 1000);
        c.sendAll("DISABLE 2\r\n");
        EXPECT_EQ(readFor(c, 200), "OK\r\n");
    }
    cards.setSilent(true);
    {
        TcpClient c;
        c.connect("127.0.0.1", cards.port(), 1000);
        c.sendAll("ENABLE 2\r\n");
        ASSERT_TRUE(cards.waitForLines(2, 2000));
        EXPECT_EQ(readFor(c, 100), "");
    }
    EXPECT_EQ(cards.lines(), (std::vector<std::string>{"DISABLE 2", "ENABLE 2"}));
    EXPECT_EQ(cards.connections(), 2u);
}

struct ModemLine {
    TMSerialPort port;
    explicit ModemLine(const std::string& path) {
        port.setPortName(path);
        port.setTimeout(TMSerialPort::ReadConstant, 50);
        port.setTimeout(TMSerialPort::ReadPerByte, 0);
        port.Open();
    }
    void put(const std::string& s) { port.Transmit(s.data(), s.size(), true); }
    // Bytes until the text ends with want or 2 s passed.
    std::string until(const std::string& want) {
        std::string got;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        std::uint8_t b = 0;
        while (std::chrono::steady_clock::now() < end &&
               !(got.size() >= want.size() && got.compare(got.size() - want.size(), want.size(), want) == 0))
            if (port.Get(b)) got += static_cast<char>(b);
        return got;
    }
};

TEST(ModemEmulator, AtDialogueDialDataAndHangUp) {
    RegisterSimulator sim(defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false});
    sim.start();
    ModemEmulator modem(ModemOptions{sim.port(), "CONNECT 9600", 20});
    modem.refuse("&N");
    modem.start();
    ModemLine line(modem.ptyPath());

    line.put("AT&F\r");
    EXPECT_EQ(line.until("OK\r\n"), "AT&F\r\r\nOK\r\n");  // echo on after reset
    line.put("ATE0\r");
    line.until("OK\r\n");
    line.put("AT&N6\r");
    EXPECT_EQ(line.until("ERROR\r\n"), "\r\nERROR\r\n");
    EXPECT_FALSE(modem.carrier());

    line.put("ATDT0221234567\r");
    EXPECT_EQ(line.until("CONNECT 9600\r\n"), "\r\nCONNECT 9600\r\n");
    EXPECT_TRUE(modem.carrier());
    EXPECT_EQ(modem.dialledNumber(), "0221234567");

    // Frames travel to the register and back.
    line.put(stuff(buildFrame(0, 42, cmdTIMEGET, {})));
    FrameReceiver rx;
    std::optional<std::string> answer;
    std::uint8_t b = 0;
    for (int i = 0; i < 200 && !answer && line.port.Get(b); ++i)
        if (rx.feed(b) == FrameReceiver::Event::Frame) answer = rx.takeFrame();
    ASSERT_TRUE(answer);
    EXPECT_EQ(frameSequence(*answer), 42u);

    line.put("+++");
    EXPECT_EQ(line.until("OK\r\n"), "\r\nOK\r\n");
    EXPECT_TRUE(modem.carrier());  // escaped, still connected
    line.put("ATH\r");
    line.until("OK\r\n");
    EXPECT_FALSE(modem.carrier());

    modem.setDialResult(modem::kBusy);
    line.put("ATDT1\r");
    EXPECT_EQ(line.until("BUSY\r\n"), "\r\nBUSY\r\n");
    EXPECT_FALSE(modem.carrier());
    auto cmds = modem.commands();
    ASSERT_GE(cmds.size(), 6u);
    EXPECT_EQ(cmds[0], "AT&F");
    EXPECT_EQ(cmds.back(), "ATDT1");
}

TEST(ModemEmulator, FarEndGoingDropsTheCarrier) {
    auto sim = std::make_unique<RegisterSimulator>(defaultRegisterState(), SimulatorOptions{true, 0, false, 0, false});
    sim->start();
    ModemEmulator modem(ModemOptions{sim->port()});
    modem.start();
    ModemLine line(modem.ptyPath());
    line.put("ATV1\r");
    line.until("OK\r\n");
    line.put("ATD5\r");
    line.until("CONNECT 9600\r\n");
    ASSERT_TRUE(modem.carrier());
    sim.reset();
    EXPECT_NE(line.until("NO CARRIER\r\n").find("NO CARRIER"), std::string::npos);
    EXPECT_FALSE(modem.carrier());
}

}  // namespace
}  // namespace zt::sim

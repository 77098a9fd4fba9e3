// The byte-moving layer against real OS objects: TcpClient against a loopback
// TcpListener, TMSerialPort against a pseudo-terminal. Real waits stay at tens
// of milliseconds.
#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include "platform/exception.h"
#include "platform/pty.h"
#include "platform/serial.h"
#include "platform/tcp.h"

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

long long msSince(SteadyClock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - t).count();
}

std::string receiveExactly(TcpClient& c, std::size_t n, std::uint32_t timeoutMs = 1000) {
    std::string out;
    char buf[64];
    const auto start = SteadyClock::now();
    while (out.size() < n && msSince(start) < timeoutMs) {
        std::size_t got = c.receiveSome(buf, std::min(sizeof buf, n - out.size()), 50);
        out.append(buf, got);
    }
    return out;
}

// ---- TCP ----

TEST(TcpClient, RefusedConnectionCarriesAddressAndSystemWords) {
    std::uint16_t port;
    {
        TcpListener l;
        port = l.port();
    }  // closed: nobody listens there now
    TcpClient c;
    try {
        c.connect("127.0.0.1", port, 1000);
        FAIL() << "connect succeeded";
    } catch (const EMException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "127.0.0.1:" + std::to_string(port) + ": " + std::system_category().message(ECONNREFUSED));
        EXPECT_EQ(e.topics().at(0).code, ECONNREFUSED);
    }
    EXPECT_FALSE(c.isOpen());
}

TEST(TcpClient, UnknownHostRaises) {
    TcpClient c;
    EXPECT_THROW(c.connect("no-such-host.invalid", 1000, 1000), EMException);
    EXPECT_FALSE(c.isOpen());
}

TEST(TcpClient, ExchangesBytesBothWaysAndTimesOutQuietly) {
    TcpListener l;
    ASSERT_NE(l.port(), 0);
    TcpClient c;
    c.connect("127.0.0.1", l.port(), 1000);
    auto server = l.accept(1000);
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(c.peer(), "127.0.0.1:" + std::to_string(l.port()));

    const std::string frame("\x02\x00\x10\xff\x03", 5);
    c.sendAll(frame);
    EXPECT_EQ(receiveExactly(*server, frame.size()), frame);

    server->sendAll("OK");
    std::uint8_t b = 0;
    ASSERT_TRUE(c.receiveByte(b, 1000));
    EXPECT_EQ(b, 'O');
    ASSERT_TRUE(c.receiveByte(b, 1000));
    EXPECT_EQ(b, 'K');

    // Nothing more: the wait ends at the time-out, not before and not much after.
    auto start = SteadyClock::now();
    EXPECT_FALSE(c.receiveByte(b, 40));
    EXPECT_GE(msSince(start), 35);
    EXPECT_LT(msSince(start), 1000);
    EXPECT_FALSE(c.peerClosed());
}

TEST(TcpClient, PeerCloseEndsReceiveAtOnce) {
    TcpListener l;
    TcpClient c;
    c.connect("127.0.0.1", l.port(), 1000);
    {
        auto server = l.accept(1000);
        ASSERT_TRUE(server.has_value());
        server->sendAll("Z");
    }  // server side closed
    std::uint8_t b = 0;
    ASSERT_TRUE(c.receiveByte(b, 1000));  // data sent before the close still arrives
    EXPECT_EQ(b, 'Z');
    auto start = SteadyClock::now();
    EXPECT_FALSE(c.receiveByte(b, 5000));
    EXPECT_LT(msSince(start), 1000);
    EXPECT_TRUE(c.peerClosed());
}

TEST(TcpClient, CloseReleasesSocketSoNextConnectWorksAtOnce) {
    TcpListener l;
    TcpClient c;
    c.connect("127.0.0.1", l.port(), 1000);
    auto first = l.accept(1000);
    ASSERT_TRUE(first.has_value());
    c.close();
    EXPECT_FALSE(c.isOpen());
    c.close();  // twice is harmless

    // The server sees the end of the first connection.
    char buf[4];
    EXPECT_EQ(first->receiveSome(buf, sizeof buf, 1000), 0u);
    EXPECT_TRUE(first->peerClosed());

    c.connect("127.0.0.1", l.port(), 1000);
    auto second = l.accept(1000);
    ASSERT_TRUE(second.has_value());
    c.sendAll("x");
    EXPECT_EQ(receiveExactly(*second, 1), "x");
    EXPECT_THROW(TcpClient().sendAll("x"), EMException);  // never connected
}

TEST(TcpListener, AcceptTimesOutWithoutClient) {
    TcpListener l;
    auto start = SteadyClock::now();
    EXPECT_FALSE(l.accept(30).has_value());
    EXPECT_LT(msSince(start), 1000);
}

// ---- Serial over a pseudo-terminal ----

class SerialOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        port.setPortName(pty.slavePath());
        port.setBaudRate(9600);
        port.setParity(TMSerialPort::NoParity);
        port.setStopBits(TMSerialPort::OneStopBit);
        port.setByteSize(TMSerialPort::Bits8);
        port.setTimeout(TMSerialPort::ReadInterval, 20);
        port.setTimeout(TMSerialPort::ReadPerByte, 0);
        port.setTimeout(TMSerialPort::ReadConstant, 30);
        port.Open();
    }

    // Waits (bounded) until the port's input queue holds n bytes.
    bool waitInQueue(std::size_t n) {
        auto start = SteadyClock::now();
        while (port.InQueue() < n && msSince(start) < 1000) {}
        return port.InQueue() == n;
    }

    PseudoTerminal pty;
    TMSerialPort port;
};

TEST_F(SerialOverPty, AllByteValuesPassUnchangedBothWays) {
    // Raw line: no CR/LF translation, no XON/XOFF, no echo, no 8th-bit stripping.
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);

    port.Transmit(all.data(), all.size(), true);
    EXPECT_EQ(pty.readExactly(all.size(), 1000), all);

    pty.write(all);
    std::string got(all.size(), '\0');
    port.setTimeout(TMSerialPort::ReadConstant, 1000);
    std::size_t n = 0;
    for (int i = 0; i < 10 && n < all.size(); ++i) n += port.Receive(got.data() + n, got.size() - n);
    got.resize(n);
    EXPECT_EQ(got, all);

    port.setTimeout(TMSerialPort::ReadConstant, 30);
    std::uint8_t b = 0;
    EXPECT_FALSE(port.Get(b));  // nothing echoed back to us
    port.Put(0x7E);
    EXPECT_EQ(pty.readExactly(1, 1000), "\x7E");
}

TEST_F(SerialOverPty, ReadTimeOutReturnsFalseQuickly) {
    std::uint8_t b = 0;
    auto start = SteadyClock::now();
    EXPECT_FALSE(port.Get(b));
    EXPECT_GE(msSince(start), 25);
    EXPECT_LT(msSince(start), 1000);

    pty.write("A");
    ASSERT_TRUE(waitInQueue(1));
    EXPECT_TRUE(port.Get(b));
    EXPECT_EQ(b, 'A');
}

TEST_F(SerialOverPty, IntervalTimeOutEndsAShortAnswer) {
    // 3 bytes come, 10 are asked for: the read ends one interval after the
    // last byte, long before the total time-out.
    port.setTimeout(TMSerialPort::ReadConstant, 5000);
    pty.write("abc");
    ASSERT_TRUE(waitInQueue(3));
    char buf[10];
    auto start = SteadyClock::now();
    EXPECT_EQ(port.Receive(buf, sizeof buf), 3u);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_LT(msSince(start), 1000);
}

TEST_F(SerialOverPty, PurgeInputDiscardsWaitingBytes) {
    pty.write("12345");
    ASSERT_TRUE(waitInQueue(5));
    port.PurgeInput();
    EXPECT_EQ(port.InQueue(), 0u);
    std::uint8_t b = 0;
    EXPECT_FALSE(port.Get(b));
}

TEST_F(SerialOverPty, CloseReleasesThePortForAnImmediateReopen) {
    port.Close();
    EXPECT_FALSE(port.isOpen());
    port.Close();  // twice is harmless
    std::uint8_t b = 0;
    EXPECT_THROW(port.Transmit("x", 1, true), EMException);

    port.Open();
    ASSERT_TRUE(port.isOpen());
    pty.write("R");
    port.setTimeout(TMSerialPort::ReadConstant, 1000);
    ASSERT_TRUE(port.Get(b));
    EXPECT_EQ(b, 'R');

    // Another component opens the same line once this one let it go.
    port.Close();
    TMSerialPort other;
    other.setPortName(pty.slavePath());
    other.Open();
    other.Transmit("Q", 1, true);
    EXPECT_EQ(pty.readExactly(1, 1000), "Q");
}

TEST_F(SerialOverPty, LineWithoutModemLinesIsNotAnError) {
    EXPECT_NO_THROW(port.SetRTS(false));
    EXPECT_NO_THROW(port.SetDTR(true));
    EXPECT_FALSE(port.rts());
    EXPECT_TRUE(port.dtr());
    EXPECT_FALSE(port.hasModemLines());
    EXPECT_FALSE(port.CarrierDetect());
    port.setCarrierWithoutModemLines(true);
    EXPECT_TRUE(port.CarrierDetect());
}

TEST_F(SerialOverPty, LineSettingsReachTheDriver) {
    // The pty driver always forces 8 bits without parity enable, so of the
    // modem's 7-bit odd-parity setting only the odd flag is visible here.
    port.Close();
    port.setParity(TMSerialPort::OddParity);
    port.setByteSize(TMSerialPort::Bits7);
    port.setStopBits(TMSerialPort::TwoStopBits);
    port.setBaudRate(2400);
    port.Open();
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);  // the master reports the slave's settings
    EXPECT_TRUE(tio.c_cflag & PARODD);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B2400));
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL));
    EXPECT_FALSE(tio.c_lflag & (ECHO | ICANON));

    port.Close();
    port.setParity(TMSerialPort::NoParity);
    port.setStopBits(TMSerialPort::OneStopBit);
    port.setByteSize(TMSerialPort::Bits8);
    port.setBaudRate(115200);
    port.Open();
    ASSERT_EQ(tcgetattr(pty.masterFd(), &tio), 0);
    EXPECT_FALSE(tio.c_cflag & PARODD);
    EXPECT_FALSE(tio.c_cflag & CSTOPB);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
}

TEST(TMSerialPort, OpenFailureNamesThePortAndTheSystemReason) {
    TMSerialPort port;
    port.setPortName("/dev/zt-no-such-port");
    try {
        port.Open();
        FAIL() << "opened";
    } catch (const EMException& e) {
        EXPECT_EQ(std::string(e.what()), "/dev/zt-no-such-port: " + std::system_category().message(ENOENT));
    }
    EXPECT_FALSE(port.isOpen());

    port.setPortName("/dev/null");  // opens, but is no serial line
    EXPECT_THROW(port.Open(), EMException);
    EXPECT_FALSE(port.isOpen());
}

TEST(TMSerialPort, SettingsAreChecked) {
    TMSerialPort port;
    EXPECT_THROW(port.setBaudRate(9601), EMException);
    EXPECT_EQ(port.baudRate(), 9600);
    for (int b : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}) EXPECT_NO_THROW(port.setBaudRate(b));
    EXPECT_THROW(port.setParity(5), EMException);
    EXPECT_THROW(port.setByteSize(4), EMException);
    EXPECT_THROW(port.setStopBits(-1), EMException);
    EXPECT_THROW(port.setTimeout(5, 1), EMException);
}

TEST(TMSerialPort, ComNamesMapToStandardDevices) {
    EXPECT_EQ(TMSerialPort::systemPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(TMSerialPort::systemPath("com12"), "/dev/ttyS11");
    EXPECT_EQ(TMSerialPort::systemPath("COM0"), "COM0");
    EXPECT_EQ(TMSerialPort::systemPath("COM1x"), "COM1x");
    EXPECT_EQ(TMSerialPort::systemPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    TMSerialPort port;
    port.setPortName("COM250");
    try {
        port.Open();
        FAIL() << "opened";
    } catch (const EMException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("COM250 (/dev/ttyS249): ", 0), 0u) << e.what();
    }
}

}  // namespace
}  // namespace zt

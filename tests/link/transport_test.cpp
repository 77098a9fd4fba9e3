// The transport contract, checked the same way on every backend (serial over a
// pseudo-terminal, TCP/IP over a loopback listener, the fake), then what is
// particular to each.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "link/transport/transport_fake.h"
#include "link/transport/transport_serial.h"
#include "link/transport/transport_tcp.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/pty.h"
#include "platform/tcp.h"

namespace zt {
namespace {

using SteadyClock = std::chrono::steady_clock;

long long msSince(SteadyClock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - t).count();
}

// A backend with the far end of its line.
struct Line {
    std::unique_ptr<Transport> transport;
    std::function<void()> afterOpen;                 // e.g. accept the connection
    std::function<void(const std::string&)> inject;  // bytes towards the plug-in
    std::function<std::string(std::size_t)> drain;   // bytes the plug-in sent
};

struct SerialLine {
    PseudoTerminal pty;
    Line line() {
        auto t = std::make_unique<SerialTransport>(pty.slavePath());
        t->port().setTimeout(TMSerialPort::ReadConstant, 20);
        t->port().setTimeout(TMSerialPort::ReadPerByte, 0);
        return Line{std::move(t), [] {}, [this](const std::string& b) { pty.write(b); },
                    [this](std::size_t n) { return pty.readExactly(n, 1000); }};
    }
};

struct TcpLine {
    TcpListener listener;
    std::optional<TcpClient> peer;
    Line line() {
        auto t = std::make_unique<TcpTransport>("127.0.0.1", listener.port(), 20, 1000);
        return Line{std::move(t), [this] { peer = listener.accept(1000); },
                    [this](const std::string& b) { peer->sendAll(b); },
                    [this](std::size_t n) {
                        std::string out;
                        char buf[64];
                        auto start = SteadyClock::now();
                        while (out.size() < n && msSince(start) < 1000)
                            out.append(buf, peer->receiveSome(buf, std::min(sizeof buf, n - out.size()), 50));
                        return out;
                    }};
    }
};

struct FakeLine {
    FakeTransport* fake = nullptr;
    std::size_t drained = 0;
    Line line() {
        auto t = std::make_unique<FakeTransport>();
        fake = t.get();
        return Line{std::move(t), [] {}, [this](const std::string& b) { fake->feed(b); },
                    [this](std::size_t n) {
                        std::string s = fake->sent().substr(drained, n);
                        drained += s.size();
                        return s;
                    }};
    }
};

// Waits (bounded, real time) until n bytes can be read at once.
bool waitAvailable(Transport& t, std::size_t n) {
    auto start = SteadyClock::now();
    while (t.available() < n && msSince(start) < 1000) {}
    return t.available() >= n;
}

void checkContract(Line l) {
    Transport& t = *l.transport;
    EXPECT_FALSE(t.isOpen());
    EXPECT_THROW(t.send("x"), EMException);
    EXPECT_NO_THROW(t.close());  // never opened

    t.open();
    l.afterOpen();
    ASSERT_TRUE(t.isOpen());
    EXPECT_NO_THROW(t.open());  // already open

    const std::string request("\x02\x10\x00\xFF\r\n\x03", 7);
    t.send(request);
    EXPECT_EQ(l.drain(request.size()), request);

    const std::string answer("\x02\x11\x13\x00\x80\x03", 6);
    l.inject(answer);
    std::string got;
    std::uint8_t b = 0;
    for (std::size_t i = 0; i < answer.size() && t.receiveByte(b, 1000); ++i) got += static_cast<char>(b);
    EXPECT_EQ(got, answer);
    EXPECT_FALSE(t.receiveByte(b, 0));

    l.inject("junk");
    ASSERT_TRUE(waitAvailable(t, 4));
    t.purgeInput();
    EXPECT_EQ(t.available(), 0u);
    EXPECT_FALSE(t.receiveByte(b, Transport::kOwnTimeout));

    // What the line has comes in one call, never more than asked for.
    l.inject("abc");
    ASSERT_TRUE(waitAvailable(t, 3));
    std::uint8_t buf[8] = {};
    EXPECT_EQ(t.receiveSome(buf, 2, 1000), 2u);
    EXPECT_EQ(t.receiveSome(buf + 2, sizeof buf - 2, 1000), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf), 3), "abc");
    EXPECT_EQ(t.receiveSome(buf, sizeof buf, 0), 0u);

    t.close();
    EXPECT_FALSE(t.isOpen());
    EXPECT_NO_THROW(t.close());
    EXPECT_THROW(t.receiveByte(b, 0), EMException);

    t.open();  // at once, on the same object
    l.afterOpen();
    t.send("A");
    EXPECT_EQ(l.drain(1), "A");
}

TEST(TransportContract, Serial) {
    SerialLine s;
    checkContract(s.line());
}

TEST(TransportContract, Tcp) {
    TcpLine s;
    checkContract(s.line());
}

TEST(TransportContract, Fake) {
    FakeLine s;
    checkContract(s.line());
}

TEST(SerialTransport, OneOffTimeOutLeavesThePortSlotsAlone) {
    PseudoTerminal pty;
    SerialTransport t(pty.slavePath());
    t.port().setTimeout(TMSerialPort::ReadConstant, 5000);
    t.open();
    EXPECT_EQ(t.kind(), Transport::Kind::Serial);
    EXPECT_EQ(t.describe(), pty.slavePath() + " 9600 8N1");

    std::uint8_t b = 0;
    auto start = SteadyClock::now();
    EXPECT_FALSE(t.receiveByte(b, 20));
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(t.port().timeout(TMSerialPort::ReadConstant), 5000u);
    EXPECT_EQ(t.port().timeout(TMSerialPort::ReadPerByte), 50u);

    // No modem lines on a pseudo-terminal: accepted, no carrier.
    EXPECT_NO_THROW(t.setRTS(false));
    EXPECT_NO_THROW(t.setDTR(false));
    EXPECT_FALSE(t.carrierDetect());
}

TEST(SerialTransport, OpenFailureLeavesNothingOpen) {
    SerialTransport t("/dev/zt-no-such-port");
    EXPECT_THROW(t.open(), EMException);
    EXPECT_FALSE(t.isOpen());
}

TEST(TcpTransport, RefusedConnectLeavesNothingOpenAndSilenceEndsAtItsTimeOut) {
    std::uint16_t port;
    {
        TcpListener l;
        port = l.port();
    }
    TcpTransport refused("127.0.0.1", port, 20, 1000);
    EXPECT_THROW(refused.open(), EMException);
    EXPECT_FALSE(refused.isOpen());

    TcpListener l;
    TcpTransport t("127.0.0.1", l.port(), 30, 1000);
    EXPECT_EQ(t.kind(), Transport::Kind::Tcp);
    EXPECT_EQ(t.describe(), "127.0.0.1:" + std::to_string(l.port()));
    t.open();
    auto peer = l.accept(1000);
    ASSERT_TRUE(peer.has_value());
    std::uint8_t b = 0;
    auto start = SteadyClock::now();
    EXPECT_FALSE(t.receiveByte(b, Transport::kOwnTimeout));
    EXPECT_GE(msSince(start), 25);
    EXPECT_LT(msSince(start), 1000);
    EXPECT_FALSE(t.carrierDetect());

    // Bytes counted by available() are not lost to the next receive.
    peer->sendAll("xy");
    ASSERT_TRUE(waitAvailable(t, 2));
    ASSERT_TRUE(t.receiveByte(b, 0));
    EXPECT_EQ(b, 'x');
    ASSERT_TRUE(t.receiveByte(b, 0));
    EXPECT_EQ(b, 'y');
}

class FakeTransportTest : public ::testing::Test {
protected:
    void SetUp() override { setClock(&vclock); }
    void TearDown() override { setClock(nullptr); }
    VirtualClock vclock;
    FakeTransport fake;
};

TEST_F(FakeTransportTest, RecordsLineChangesAndSendsInOrderWithTimes) {
    fake.open();
    fake.setRTS(false);
    fake.setDTR(false);
    sleepMs(500);
    fake.setRTS(true);
    fake.send(std::string("\xFE\x03", 2));
    std::vector<std::string> want = {"open", "RTS 0", "DTR 0", "RTS 1", "send FE 03"};
    EXPECT_EQ(fake.eventTexts(), want);
    EXPECT_EQ(fake.events()[3].tick - fake.events()[2].tick, 500u);
    EXPECT_TRUE(fake.rts());
    EXPECT_FALSE(fake.dtr());
    EXPECT_EQ(fake.sends().size(), 1u);
}

TEST_F(FakeTransportTest, RepliesComeAfterTheirSendAndDelaysPassOnTheClock) {
    fake.open();
    fake.queueReply("A");
    fake.queueReply("B", 3000);
    std::uint8_t b = 0;
    EXPECT_FALSE(fake.receiveByte(b, 0));  // nothing before the first send

    fake.send("1");
    ASSERT_TRUE(fake.receiveByte(b, 0));
    EXPECT_EQ(b, 'A');

    fake.send("2");
    std::uint32_t t0 = tickCount();
    EXPECT_FALSE(fake.receiveByte(b, 1000));  // B is 3 s away: a silent second passes
    EXPECT_EQ(tickCount() - t0, 1000u);
    EXPECT_EQ(fake.receiveTimeouts(), 2);                      // with the empty one before the first send
    ASSERT_TRUE(fake.receiveByte(b, Transport::kOwnTimeout));  // 5050 ms covers the rest
    EXPECT_EQ(b, 'B');
    EXPECT_EQ(tickCount() - t0, 3000u);
}

TEST_F(FakeTransportTest, ResponderAnswersEachSendAndFailuresAreOneShot) {
    fake.setResponder([](FakeTransport& f, const std::string& sent) { f.feed("<" + sent + ">"); });
    fake.failNextOpen("COM9: busy");
    try {
        fake.open();
        FAIL();
    } catch (const EMException& e) {
        EXPECT_EQ(std::string(e.what()), "fake: COM9: busy");
    }
    EXPECT_FALSE(fake.isOpen());
    fake.open();
    fake.failNextSend("write time-out");
    EXPECT_THROW(fake.send("q"), EMException);
    fake.send("q");
    EXPECT_EQ(fake.unread(), 3u);
    EXPECT_EQ(fake.available(), 3u);
    fake.feed("later", 100);
    EXPECT_EQ(fake.available(), 3u);  // not yet there
    fake.purgeInput();
    EXPECT_EQ(fake.unread(), 5u);  // only what had arrived is gone
    fake.setCarrier(true);
    EXPECT_TRUE(fake.carrierDetect());
    fake.close();
    EXPECT_FALSE(fake.carrierDetect());
}

}  // namespace
}  // namespace zt

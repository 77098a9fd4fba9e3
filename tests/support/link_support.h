#pragma once
// What the tests of the link and of the operations over it share: a host
// answering the action's callbacks, a test action, a virtual clock, a factory
// that hands the link a recording fake or a real line with short
// operating-system waits, and register peers on a pseudo-terminal and on
// TCP/IP that answer frames (and AT commands) by script.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "action/library.h"
#include "action/qordll.h"
#include "action/zt_action.h"
#include "drivers/combo/combo_config.h"
#include "link/combo_link.h"
#include "link/transport/link_factory.h"
#include "link/transport/transport_fake.h"
#include "link/transport/transport_serial.h"
#include "link/transport/transport_tcp.h"
#include "platform/clock.h"
#include "platform/cp1250.h"
#include "platform/pty.h"
#include "platform/tcp.h"
#include "proto/commands.h"
#include "proto/framing.h"
#include "tests/support/host_state.h"

namespace ztlink {

// ---- host ----

// The test host, with the views of its messages these tests use.
struct Host : ztest::HostState {
    // Registers the callbacks the link uses (no VAT rates, no stores).
    void registerOn(zt::TZTLibrary& lib) {
        registerAll(
            [&](void* p, int k) {
                if (k == 5 || k == 6 || (k >= 11 && k <= 13)) lib.RejestrujCallback(p, k);
            },
            false);
    }
    // Texts of the message list (12) of a kind (-1 any).
    std::vector<std::string> list(int kind = -1) const { return lines(kind, false); }
    std::vector<std::string> statusLines() const { return lines(-1, true); }
    bool has(const std::string& text, int kind = -1) const {
        for (const auto& m : messages)
            if (m.text == text && (kind < 0 || m.kind == kind)) return true;
        return false;
    }
};

class TestLibrary : public zt::TZTLibrary {
public:
    TestLibrary() : zt::TZTLibrary(7) {}
    std::unique_ptr<zt::TZTActionBase> UtworzAkcje(std::int32_t) override { return nullptr; }
};

class TestAction : public zt::ZTAction {
public:
    using zt::ZTAction::ZTAction;
    std::string NazwaZasobu() override { return {}; }
};

// ---- frames ----

inline std::string answerFrame(const std::string& request, std::uint16_t code, const std::vector<std::string>& fields,
                               std::uint32_t sequenceDelta = 0) {
    return zt::stuff(zt::buildFrame(0, zt::frameSequence(request) + sequenceDelta, code, fields));
}
inline std::string statusFrame(const std::string& request, std::uint16_t t, std::uint16_t w) {
    return answerFrame(request, 0,
                       {zt::TComboFraming::EncodeV(0), zt::TComboFraming::EncodeV(t), zt::TComboFraming::EncodeV(w)});
}
// The register's status answer: type code, -, -, work mode.
inline std::string statusGetFrame(const std::string& request, std::uint8_t type, std::uint8_t mode = 1) {
    using F = zt::TComboFraming;
    return answerFrame(request, 501, {F::EncodeB(type), F::EncodeB(0), F::EncodeB(0), F::EncodeB(mode)});
}

// Answers for request n (1-based) given its logical frame; empty: silence.
using Script = std::function<std::string(const std::string& request, int n)>;
// Answer to an AT command line (without CR); empty: silence.
using AtScript = std::function<std::string(const std::string& command)>;

// Plays a script on the recording fake.
inline void playOn(zt::FakeTransport& t, Script script) {
    auto n = std::make_shared<int>(0);
    t.setResponder([script, n](zt::FakeTransport& line, const std::string& sent) {
        if (sent.size() < 2 || sent[0] != '\x10' || sent[1] != '\x02') return;
        const std::string reply = script(zt::unstuff(sent), ++*n);
        if (!reply.empty()) line.feed(reply);
    });
}

// ---- peers on real lines ----

// Splits a byte stream into frames and AT command lines and answers both.
class PeerCore {
public:
    PeerCore(Script frames, AtScript at) : frames_(std::move(frames)), at_(std::move(at)) {}

    // Bytes from the plug-in; returns what to write back.
    std::string take(const char* data, std::size_t n) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) {
            const auto b = static_cast<std::uint8_t>(data[i]);
            switch (rx_.feed(b)) {
                case zt::FrameReceiver::Event::Frame: {
                    std::lock_guard<std::mutex> g(m_);
                    requests_.push_back(rx_.frame());
                    if (frames_) out += frames_(rx_.frame(), static_cast<int>(requests_.size()));
                    break;
                }
                case zt::FrameReceiver::Event::BadStart:
                    if (b == '\r') {
                        std::string line = text_;
                        text_.clear();
                        while (line.rfind("+++", 0) == 0) line.erase(0, 3);
                        std::lock_guard<std::mutex> g(m_);
                        commands_.push_back(line);
                        if (at_) out += at_(line);
                    } else {
                        text_ += static_cast<char>(b);
                    }
                    break;
                default: break;
            }
        }
        return out;
    }
    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> g(m_);
        return requests_;
    }
    std::vector<std::string> commands() const {
        std::lock_guard<std::mutex> g(m_);
        return commands_;
    }

private:
    Script frames_;
    AtScript at_;
    zt::FrameReceiver rx_;
    std::string text_;
    mutable std::mutex m_;
    std::vector<std::string> requests_;
    std::vector<std::string> commands_;
};

class PtyPeer {
public:
    explicit PtyPeer(Script frames, AtScript at = {}) : core_(std::move(frames), std::move(at)) {
        thread_ = std::thread([this] {
            char buf[512];
            while (!stop_) {
                const std::size_t n = pty_.read(buf, sizeof buf, 10);
                if (n == 0) continue;
                const std::string reply = core_.take(buf, n);
                if (!reply.empty()) pty_.write(reply);
            }
        });
    }
    ~PtyPeer() {
        stop_ = true;
        thread_.join();
    }
    const std::string& path() const { return pty_.slavePath(); }
    std::vector<std::string> requests() const { return core_.requests(); }
    std::vector<std::string> commands() const { return core_.commands(); }

private:
    zt::PseudoTerminal pty_;
    PeerCore core_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class TcpPeer {
public:
    explicit TcpPeer(Script frames) : core_(std::move(frames), {}) {
        thread_ = std::thread([this] {
            while (!stop_) {
                auto client = listener_.accept(10);
                if (!client) continue;
                ++connections_;
                char buf[512];
                while (!stop_) {
                    const std::size_t n = client->receiveSome(buf, sizeof buf, 10);
                    if (n == 0) {
                        if (client->peerClosed()) break;
                        continue;
                    }
                    const std::string reply = core_.take(buf, n);
                    if (!reply.empty()) client->sendAll(reply, 1000);
                }
                ++closed_;
            }
        });
    }
    ~TcpPeer() {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t port() const { return listener_.port(); }
    std::vector<std::string> requests() const { return core_.requests(); }
    int connections() const { return connections_; }
    // Connections whose far end (the plug-in) has gone.
    int closed() const { return closed_; }
    bool waitClosed(int n) const {
        for (int i = 0; i < 300 && closed_ < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return closed_ >= n;
    }

private:
    zt::TcpListener listener_;
    PeerCore core_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0}, closed_{0};
    std::thread thread_;
};

// ---- factory ----

// Hands the link a fake that outlives it, so that tests can read the record
// after the link has closed and dropped its line.
class SharedFake : public zt::Transport {
public:
    explicit SharedFake(std::shared_ptr<zt::FakeTransport> f) : f_(std::move(f)) {}
    ~SharedFake() override { f_->close(); }
    Kind kind() const override { return f_->kind(); }
    void open() override { f_->open(); }
    void close() noexcept override { f_->close(); }
    bool isOpen() const override { return f_->isOpen(); }
    void send(const std::uint8_t* data, std::size_t len) override { f_->send(data, len); }
    using zt::Transport::send;
    void sendWithoutWaiting(const std::uint8_t* data, std::size_t len) override { f_->sendWithoutWaiting(data, len); }
    using zt::Transport::sendWithoutWaiting;
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override { return f_->receiveByte(out, timeoutMs); }
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override {
        return f_->receiveSome(out, max, timeoutMs);
    }
    std::size_t available() override { return f_->available(); }
    void purgeInput() override { f_->purgeInput(); }
    void setRTS(bool on) override { f_->setRTS(on); }
    void setDTR(bool on) override { f_->setDTR(on); }
    bool carrierDetect() override { return f_->carrierDetect(); }
    std::string describe() const override { return f_->describe(); }

private:
    std::shared_ptr<zt::FakeTransport> f_;
};

// Real lines with short waits of the operating system, or the recording fake.
class TestFactory : public zt::LinkFactory {
public:
    bool useFake = false;
    std::uint32_t waitMs = 300;              // serial read constant / TCP byte wait on real lines
    bool carrierOnPty = false;               // a pseudo-terminal has no carrier line
    std::vector<zt::SerialSettings> serial;  // settings asked for
    std::vector<zt::TcpSettings> tcp;
    zt::FakeTransport* fake = nullptr;  // the last fake handed out; lives as long as the factory
    std::function<void(zt::FakeTransport&)> prepare;
    // Wraps each real serial line (e.g. to give it a modem's carrier).
    std::function<std::unique_ptr<zt::Transport>(std::unique_ptr<zt::Transport>)> wrapSerial;

    std::unique_ptr<zt::Transport> Serial(const zt::SerialSettings& s) override {
        serial.push_back(s);
        if (useFake) return makeFake(zt::Transport::Kind::Serial);
        zt::SerialSettings shortWait = s;
        shortWait.timeouts[2] = waitMs;
        auto t = zt::LinkFactory::Serial(shortWait);
        if (carrierOnPty) static_cast<zt::SerialTransport&>(*t).port().setCarrierWithoutModemLines(true);
        return wrapSerial ? wrapSerial(std::move(t)) : std::move(t);
    }
    std::unique_ptr<zt::Transport> Tcp(const zt::TcpSettings& s) override {
        tcp.push_back(s);
        if (useFake) return makeFake(zt::Transport::Kind::Tcp);
        zt::TcpSettings shortWait = s;
        shortWait.byteTimeoutMs = waitMs;
        shortWait.connectTimeoutMs = 2000;
        return zt::LinkFactory::Tcp(shortWait);
    }

private:
    std::unique_ptr<zt::Transport> makeFake(zt::Transport::Kind kind) {
        auto t = std::make_shared<zt::FakeTransport>(kind);
        fakes_.push_back(t);
        fake = t.get();
        if (kind == zt::Transport::Kind::Tcp) t->setOwnTimeout(30000);
        if (prepare) prepare(*t);
        return std::make_unique<SharedFake>(t);
    }
    std::vector<std::shared_ptr<zt::FakeTransport>> fakes_;
};

// Open descriptors of the process (leak checks).
inline int openDescriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d)) ++n;
        ::closedir(d);
    }
    return n;
}

// ---- fixture ----

class LinkTest : public ::testing::Test {
protected:
    LinkTest() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("ztlink-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        host.workDir = dir_.string() + "/";
        host.params["ComboDedbug"] = "0";
        host.params["ComboSkpUse"] = "0";
        host.params["ComboComplexOrdTimeout"] = "60";
        zt::setClock(&clock);
        host.registerOn(lib);
        factory = std::make_shared<TestFactory>();
    }
    ~LinkTest() override {
        link_.reset();
        action_.reset();
        zt::setClock(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    TestAction& action() {
        if (!action_) action_ = std::make_unique<TestAction>(lib, 1);
        return *action_;
    }
    // The link over the line given, its other settings read from the host's
    // parameters at every use (tests change them midway); real lines unless
    // factory->useFake.
    zt::TComboLink& link(zt::LinkConfig c) {
        link_ = std::make_unique<zt::TComboLink>(
            action(), [this, c] { return withParameters(c); }, factory);
        return *link_;
    }
    zt::LinkConfig withParameters(zt::LinkConfig c) {
        zt::ReadLinkParameters(action(), c);
        return c;
    }
    static zt::LinkConfig serialConfig(const std::string& port, int channel = 0) {
        zt::LinkConfig c;
        c.transport = zt::LinkConfig::Serial;
        c.port = port;
        c.multiplexerChannel = channel;
        return c;
    }
    zt::LinkConfig tcpConfig(std::uint16_t port) {
        host.params["ComboIpAddress"] = "127.0.0.1";
        host.params["ComboIpPort"] = std::to_string(port);
        zt::LinkConfig c;
        c.transport = zt::LinkConfig::Tcp;
        c.port = "TCP/IP";
        return c;
    }
    std::string dir() const { return dir_.string(); }

    Host host;
    TestLibrary lib;
    zt::VirtualClock clock;
    std::shared_ptr<TestFactory> factory;
    std::unique_ptr<TestAction> action_;
    std::unique_ptr<zt::TComboLink> link_;

private:
    std::filesystem::path dir_;
};

// Runs f and returns the text of the zt::Exception it raised ("" when none).
template <typename F>
std::string raised(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

}  // namespace ztlink

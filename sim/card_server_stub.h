#pragma once
// A stand-in for the card server: a TCP listener on 127.0.0.1 that records the
// lines it receives ("DISABLE n", "ENABLE n", without CR LF) and answers each
// with a short line, or stays silent when told. Its own thread; stop() ends it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zt {
class TcpListener;
}

namespace zt::sim {

class CardServerStub {
public:
    explicit CardServerStub(std::uint16_t port = 0);
    ~CardServerStub();
    CardServerStub(const CardServerStub&) = delete;
    CardServerStub& operator=(const CardServerStub&) = delete;

    void start();
    void stop();
    std::uint16_t port() const { return port_; }

    // Silent: connections are accepted and read, never answered.
    void setSilent(bool on) { silent_ = on; }
    void setAnswer(std::string answer);  // default "OK\r\n"

    std::vector<std::string> lines() const;
    // Waits (bounded, real time) until at least n lines came.
    bool waitForLines(std::size_t n, std::uint32_t timeoutMs) const;
    std::uint32_t connections() const { return connections_; }

private:
    void serve();

    std::uint16_t requestedPort_;
    std::uint16_t port_ = 0;
    std::unique_ptr<TcpListener> listener_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> silent_{false};
    std::atomic<std::uint32_t> connections_{0};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::string answer_ = "OK\r\n";
};

}  // namespace zt::sim

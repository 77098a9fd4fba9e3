// The card-server stand-in.
#include "sim/card_server_stub.h"

#include <chrono>
#include <optional>

#include "platform/exception.h"
#include "platform/tcp.h"

namespace zt::sim {
namespace {
// A client that neither sends nor closes is dropped after this long.
constexpr int kIdleLimitMs = 10000;
}  // namespace

CardServerStub::CardServerStub(std::uint16_t port) : requestedPort_(port) {}

CardServerStub::~CardServerStub() { stop(); }

void CardServerStub::start() {
    if (thread_.joinable()) return;
    listener_ = std::make_unique<TcpListener>(requestedPort_);
    port_ = listener_->port();
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
}

void CardServerStub::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_) listener_->close();
}

void CardServerStub::setAnswer(std::string answer) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
}

std::vector<std::string> CardServerStub::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool CardServerStub::waitForLines(std::size_t n, std::uint32_t timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return lines_.size() >= n; });
}

void CardServerStub::serve() {
    while (!stopping_) {
        std::optional<TcpClient> client;
        try {
            client = listener_->accept(20);
        } catch (const Exception&) {
            return;
        }
        if (!client) continue;
        ++connections_;
        std::string pending;
        int idle = 0;
        char buf[128];
        try {
            while (!stopping_ && !client->peerClosed() && idle < kIdleLimitMs) {
                std::size_t n = client->receiveSome(buf, sizeof buf, 20);
                idle = n ? 0 : idle + 20;
                pending.append(buf, n);
                for (auto eol = pending.find('\n'); eol != std::string::npos; eol = pending.find('\n')) {
                    std::string line = pending.substr(0, eol);
                    pending.erase(0, eol + 1);
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    std::string reply;
                    {
                        std::lock_guard lock(mutex_);
                        lines_.push_back(line);
                        reply = answer_;
                    }
                    changed_.notify_all();
                    if (!silent_) client->sendAll(reply, 2000);
                }
            }
        } catch (const Exception&) {
            // The client went away; wait for the next one.
        }
    }
}

}  // namespace zt::sim

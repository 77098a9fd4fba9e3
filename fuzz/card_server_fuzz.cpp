// Fuzz target for the card server's answer: the lock asks a card server on
// this machine to leave the register alone and to take it back, and the
// server answers each request with a part of the input (then closes).
//
// Input: the answers to "DISABLE" and "ENABLE", separated by "@NEXT@".
//
// Run with libFuzzer by fuzz/run.sh; the fuzz.card_server_fuzz test replays
// the committed corpus and regression inputs without it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "link/card_server.h"
#include "platform/clock.h"
#include "platform/tcp.h"

namespace {

// A card server answering each connection, in order, with the next answer.
class CardServer {
public:
    CardServer() : thread_([this] { serve(); }) {}
    ~CardServer() {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t port() const { return listener_.port(); }
    void answer(std::vector<std::string> answers) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_ = std::move(answers);
        next_ = 0;
    }

private:
    void serve() {
        while (!stop_) {
            std::optional<zt::TcpClient> c = listener_.accept(20);
            if (!c) continue;
            std::string answer;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (next_ < answers_.size()) answer = answers_[next_++];
            }
            try {
                std::string request;
                char buf[64];
                while (request.find("\r\n") == std::string::npos) {
                    const std::size_t got = c->receiveSome(buf, sizeof buf, 1000);
                    if (got == 0) break;
                    request.append(buf, got);
                }
                if (!answer.empty()) c->sendAll(answer, 1000);
            } catch (const std::exception&) {
                // The lock may have given up already.
            }
            c->close();
        }
    }

    zt::TcpListener listener_;
    std::mutex mutex_;
    std::vector<std::string> answers_;
    std::size_t next_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zt::VirtualClock virtualClock;
    zt::setClock(&virtualClock);
    static CardServer server;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> answers;
    for (std::string_view a : zt::fuzz::splitAt(input, "@NEXT@")) answers.emplace_back(a);
    server.answer(std::move(answers));

    zt::fuzz::QuietHost host;
    zt::CardServerSettings settings;
    settings.use = true;
    settings.host = "127.0.0.1";
    settings.port = std::to_string(server.port());
    zt::TCardServerLock lock(host);
    lock.LockSKP(settings);
    lock.UnlockSKP(settings);
    if (lock.locked()) __builtin_trap();
    return 0;
}

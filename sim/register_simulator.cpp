// Serving the simulated register over TCP and a pseudo-terminal.
#include "sim/register_simulator.h"

#include <chrono>
#include <optional>

#include "platform/exception.h"
#include "platform/pty.h"
#include "platform/tcp.h"
#include "proto/framing.h"

namespace zt::sim {
namespace {
constexpr std::uint32_t kPollMs = 5;
}

RegisterSimulator::RegisterSimulator(RegisterState state, SimulatorOptions options)
    : options_(options), engine_(std::move(state)) {
    engine_.setComplexDelayMs(options_.complexDelayMs);
}

RegisterSimulator::~RegisterSimulator() { stop(); }

void RegisterSimulator::start() {
    if (running_) return;
    if (options_.tcp) {
        listener_ = std::make_unique<TcpListener>(options_.tcpPort);
        port_ = listener_->port();
    }
    if (options_.pty) {
        pty_ = std::make_unique<PseudoTerminal>();
        ptyPath_ = pty_->slavePath();
    }
    stopping_ = false;
    running_ = true;
    thread_ = std::thread([this] { serve(); });
}

void RegisterSimulator::stop() {
    {
        std::lock_guard lock(waitMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (listener_) listener_->close();
    if (pty_) pty_->close();
    running_ = false;
}

bool RegisterSimulator::waitStopped(std::uint32_t timeoutMs) {
    std::unique_lock lock(waitMutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !running_.load(); });
}

RegisterState RegisterSimulator::state() const {
    std::lock_guard lock(mutex_);
    return engine_.state();
}

void RegisterSimulator::setState(RegisterState s) {
    std::lock_guard lock(mutex_);
    engine_.setState(std::move(s));
}

void RegisterSimulator::updateState(const std::function<void(RegisterState&)>& change) {
    std::lock_guard lock(mutex_);
    change(engine_.state());
}

SaleResult RegisterSimulator::sell(const Sale& sale) {
    std::lock_guard lock(mutex_);
    return sellReceipt(engine_.state(), sale);
}

void RegisterSimulator::setFaults(Faults f) {
    std::lock_guard lock(mutex_);
    engine_.setFaults(std::move(f));
}

void RegisterSimulator::setComplexDelayMs(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    engine_.setComplexDelayMs(ms);
}

std::uint32_t RegisterSimulator::ignoredFrames() const {
    std::lock_guard lock(mutex_);
    return engine_.ignoredFrames();
}

bool RegisterSimulator::pause(std::uint32_t ms) {
    if (ms == 0) return !stopping_;
    std::unique_lock lock(waitMutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping_.load(); });
}

template <class Write>
bool RegisterSimulator::answer(const std::string& frame, LinePacer& pacer, Write write) {
    EngineOutput out;
    {
        std::lock_guard lock(mutex_);
        out = engine_.handleFrame(frame);
    }
    if (!out.replies.empty()) pacer.process();
    bool continuing = false;  // past the first byte the line is busy until the answer ends
    for (const auto& r : out.replies) {
        if (!pause(r.delayMs)) return false;
        if (r.delayMs != 0) continuing = false;  // the line stood idle meanwhile
        bytesOut_ += r.wire.size();
        if (!pacer.paced()) {
            write(r.wire);
            continue;
        }
        // One byte at a time, each after the one before has left the wire.
        for (char c : r.wire) {
            write(std::string(1, c));
            pacer.transfer(1, continuing);
            continuing = true;
        }
    }
    return !out.disconnect;
}

void RegisterSimulator::serve() {
    std::optional<TcpClient> client;
    FrameReceiver tcpIn, ptyIn;
    // One pacer a line: each carries its own part-millisecond remainder.
    LinePacer tcpPace(pacing_), ptyPace(pacing_);
    char buf[512];
    try {
        while (!stopping_) {
            if (listener_ && !client) {
                client = listener_->accept(pty_ ? kPollMs : 20);
                tcpIn.reset();
                if (client) {
                    // A new client (a new operation of the plug-in) meets the
                    // faults counted from its own first request, also after a
                    // disconnect fault dropped the one before.
                    std::lock_guard lock(mutex_);
                    engine_.resetFaultCounts();
                }
            }
            if (client) {
                bool keep = true;
                try {
                    std::size_t n = client->receiveSome(buf, sizeof buf, kPollMs);
                    bytesIn_ += n;
                    for (std::size_t i = 0; i < n && keep; ++i) {
                        tcpPace.transfer(1, i > 0);
                        if (tcpIn.feed(static_cast<std::uint8_t>(buf[i])) == FrameReceiver::Event::Frame)
                            keep = answer(tcpIn.frame(), tcpPace,
                                          [&](const std::string& w) { client->sendAll(w, 5000); });
                    }
                } catch (const Exception&) {
                    keep = false;  // the client went away mid-answer
                }
                if (!keep || client->peerClosed()) {
                    client.reset();
                    ++clients_;
                    if (options_.exitAfterClient) break;
                }
            }
            if (pty_) {
                // With a TCP client the wait is the client's: a request must
                // not sit while the loop waits on a silent line.
                std::size_t n = pty_->read(buf, sizeof buf, client ? 0 : kPollMs);
                bytesIn_ += n;
                for (std::size_t i = 0; i < n; ++i) {
                    ptyPace.transfer(1, i > 0);
                    if (ptyIn.feed(static_cast<std::uint8_t>(buf[i])) == FrameReceiver::Event::Frame)
                        answer(ptyIn.frame(), ptyPace, [&](const std::string& w) { pty_->write(w); });
                }
            }
        }
    } catch (const Exception&) {
        // The listener or the pseudo-terminal failed: nothing left to serve.
    }
    client.reset();
    {
        std::lock_guard lock(waitMutex_);
        running_ = false;
    }
    wake_.notify_all();
}

}  // namespace zt::sim

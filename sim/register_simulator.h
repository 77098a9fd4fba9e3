#pragma once
// The simulated register on real lines: a TCP listener on 127.0.0.1 and a
// pseudo-terminal whose slave the plug-in opens as its serial port. One thread
// serves both, one TCP client at a time; stop() (or the destructor) ends it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/line_pacer.h"
#include "sim/register_engine.h"
#include "sim/sales.h"

namespace zt {
class TcpListener;
class PseudoTerminal;
}  // namespace zt

namespace zt::sim {

struct SimulatorOptions {
    bool tcp = true;
    std::uint16_t tcpPort = 0;  // 0: a free port, see port()
    bool pty = true;
    std::uint32_t complexDelayMs = 0;
    // Stop once the first TCP client has gone.
    bool exitAfterClient = false;
};

class RegisterSimulator {
public:
    explicit RegisterSimulator(RegisterState state = defaultRegisterState(), SimulatorOptions options = {});
    ~RegisterSimulator();
    RegisterSimulator(const RegisterSimulator&) = delete;
    RegisterSimulator& operator=(const RegisterSimulator&) = delete;

    // Opens the lines and starts serving; raises when a line cannot be opened.
    void start();
    // Ends the thread and closes the lines; safe to call twice.
    void stop();
    bool running() const { return running_; }
    // Waits (bounded, real time) until the simulator stopped by itself.
    bool waitStopped(std::uint32_t timeoutMs);

    std::uint16_t port() const { return port_; }
    std::string ptyPath() const { return ptyPath_; }

    // A copy of the register's state, and changes to it, under the lock.
    RegisterState state() const;
    void setState(RegisterState s);
    void updateState(const std::function<void(RegisterState&)>& change);
    // A receipt sold at the register while it serves (sellReceipt under the lock).
    SaleResult sell(const Sale& sale);

    // Fault counts start here, and again with every new TCP client.
    void setFaults(Faults f);
    void clearFaults() { setFaults({}); }
    void setComplexDelayMs(std::uint32_t ms);
    // Line speed and processing time (off by default); taken by the next start().
    void setPacing(PacingOptions p) { pacing_ = p; }

    Journal& journal() { return engine_.journal(); }
    // TCP clients that came and went.
    std::uint32_t clientsServed() const { return clients_; }
    // Bytes the register took from its lines and wrote to them: the wire's
    // share of an exchange, for weighing a run against the line's speed.
    std::uint64_t bytesIn() const { return bytesIn_; }
    std::uint64_t bytesOut() const { return bytesOut_; }
    std::uint32_t ignoredFrames() const;

private:
    void serve();
    // Writes the replies to one line; false when the line must be dropped.
    template <class Write>
    bool answer(const std::string& frame, LinePacer& pacer, Write write);
    bool pause(std::uint32_t ms);

    SimulatorOptions options_;
    PacingOptions pacing_;
    mutable std::mutex mutex_;  // guards engine_
    RegisterEngine engine_;
    std::unique_ptr<TcpListener> listener_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::uint16_t port_ = 0;
    std::string ptyPath_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint32_t> clients_{0};
    std::atomic<std::uint64_t> bytesIn_{0}, bytesOut_{0};
    std::mutex waitMutex_;
    std::condition_variable wake_;
};

}  // namespace zt::sim

#pragma once
// A Hayes modem on a pseudo-terminal: answers the AT dialogue, and after a
// successful dial carries the bytes between the line and the register
// simulator's TCP port (the far modem and its register). A pseudo-terminal has
// no carrier-detect line, so the carrier state is offered through carrier().
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zt {
class PseudoTerminal;
}

namespace zt::sim {

// Result codes of the dialogue (verbose texts in resultText).
namespace modem {
constexpr int kOk = 0, kConnect = 1, kRing = 2, kNoCarrier = 3, kError = 4, kNoDialtone = 6, kBusy = 7, kNoAnswer = 8,
              kSilent = -1;
// Not results: line noise where the answer should be; the modem gone from
// the line (its pseudo-terminal closed; start() brings up a new one).
constexpr int kNoise = -2, kGone = -3;
}

struct ModemOptions {
    std::uint16_t registerPort = 0;  // the register simulator's TCP port on 127.0.0.1
    std::string connectText = "CONNECT 9600";
    // Quiet time after "+++" before the modem returns to command mode.
    std::uint32_t escapeGuardMs = 200;
};

class ModemEmulator {
public:
    explicit ModemEmulator(ModemOptions options);
    ~ModemEmulator();
    ModemEmulator(const ModemEmulator&) = delete;
    ModemEmulator& operator=(const ModemEmulator&) = delete;

    void start();
    void stop();
    std::string ptyPath() const { return ptyPath_; }

    // The carrier-detect state: on from CONNECT until the hang-up or the far end going.
    bool carrier() const { return carrier_; }
    // The answer to the next dials: modem::kConnect (default) or a failure code;
    // kSilent gives no answer at all.
    void setDialResult(int result) { dialResult_ = result; }
    // Commands beginning with prefix (after "AT", e.g. "&N") answer result
    // instead of OK (kSilent: nothing, kNoise: line noise, kGone: the modem
    // leaves the line).
    void refuse(const std::string& prefix, int result = modem::kError);
    // Every command answered as it normally is again.
    void clearRefusals();
    // No answer to any command.
    void setSilent(bool on) { silent_ = on; }

    // AT command lines received, as sent without the CR.
    std::vector<std::string> commands() const;
    bool waitForCommands(std::size_t n, std::uint32_t timeoutMs) const;
    std::string dialledNumber() const;

    static std::string resultText(int result);

private:
    void serve();
    void commandLine(const std::string& line);
    void reply(int result, const std::string& verbose = {});
    void hangUp();

    ModemOptions options_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::string ptyPath_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> carrier_{false};
    std::atomic<int> dialResult_{modem::kConnect};
    std::atomic<bool> silent_{false};
    // Owned by the thread.
    struct Link;
    std::unique_ptr<Link> link_;
    bool dataMode_ = false;
    bool echo_ = true, verbose_ = true, quiet_ = false;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> commands_;
    std::vector<std::pair<std::string, int>> refusals_;
    std::string dialled_;
};

}  // namespace zt::sim

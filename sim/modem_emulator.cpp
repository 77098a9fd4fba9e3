// The Hayes modem emulator.
#include "sim/modem_emulator.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "platform/exception.h"
#include "platform/pty.h"
#include "platform/tcp.h"

namespace zt::sim {
namespace {

using SteadyClock = std::chrono::steady_clock;
// Longest command line kept; longer input is dropped like a modem's overflow.
constexpr std::size_t kMaxLine = 256;

std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

struct ModemEmulator::Link {
    TcpClient client;
};

ModemEmulator::ModemEmulator(ModemOptions options) : options_(std::move(options)) {}

ModemEmulator::~ModemEmulator() { stop(); }

void ModemEmulator::start() {
    if (thread_.joinable()) return;
    pty_ = std::make_unique<PseudoTerminal>();
    ptyPath_ = pty_->slavePath();
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
}

void ModemEmulator::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    link_.reset();
    carrier_ = false;
    if (pty_) pty_->close();
}

void ModemEmulator::refuse(const std::string& prefix, int result) {
    std::lock_guard lock(mutex_);
    refusals_.emplace_back(upper(prefix), result);
}

void ModemEmulator::clearRefusals() {
    std::lock_guard lock(mutex_);
    refusals_.clear();
}

std::vector<std::string> ModemEmulator::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

bool ModemEmulator::waitForCommands(std::size_t n, std::uint32_t timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return commands_.size() >= n; });
}

std::string ModemEmulator::dialledNumber() const {
    std::lock_guard lock(mutex_);
    return dialled_;
}

std::string ModemEmulator::resultText(int result) {
    switch (result) {
        case modem::kOk: return "OK";
        case modem::kConnect: return "CONNECT";
        case modem::kRing: return "RING";
        case modem::kNoCarrier: return "NO CARRIER";
        case modem::kError: return "ERROR";
        case modem::kNoDialtone: return "NO DIALTONE";
        case modem::kBusy: return "BUSY";
        case modem::kNoAnswer: return "NO ANSWER";
    }
    return "ERROR";
}

void ModemEmulator::reply(int result, const std::string& verboseText) {
    if (quiet_ || result == modem::kSilent) return;
    if (result == modem::kNoise) return pty_->write("\r\n\x13\xfe#~\x7f\r\n");
    if (verbose_)
        pty_->write("\r\n" + (verboseText.empty() ? resultText(result) : verboseText) + "\r\n");
    else
        pty_->write(std::to_string(result) + "\r");
}

void ModemEmulator::hangUp() {
    link_.reset();
    carrier_ = false;
    dataMode_ = false;
}

void ModemEmulator::commandLine(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.front() == '\n' || line.front() == ' ')) line.erase(0, 1);
    if (line.empty()) return;
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(line);
    }
    changed_.notify_all();
    if (echo_) pty_->write(line + "\r");
    if (silent_) return;
    std::string u = upper(line);
    if (u.rfind("AT", 0) != 0) return;  // not a command: a modem ignores it
    std::string body = u.substr(2);
    {
        std::lock_guard lock(mutex_);
        for (const auto& [prefix, result] : refusals_)
            if (body.rfind(prefix, 0) == 0) {
                if (result == modem::kGone) {
                    stopping_ = true;
                    pty_->close();
                    return;
                }
                reply(result);
                return;
            }
    }
    if (body.rfind("D", 0) == 0) {
        std::string number = line.substr(3);
        if (!number.empty() && (number[0] == 'T' || number[0] == 't' || number[0] == 'P' || number[0] == 'p'))
            number.erase(0, 1);
        {
            std::lock_guard lock(mutex_);
            dialled_ = number;
        }
        int result = dialResult_;
        if (result != modem::kConnect) {
            reply(result);
            return;
        }
        auto link = std::make_unique<Link>();
        try {
            link->client.connect("127.0.0.1", options_.registerPort, 2000);
        } catch (const Exception&) {
            reply(modem::kNoCarrier);  // nobody at the far end
            return;
        }
        link_ = std::move(link);
        carrier_ = true;
        dataMode_ = true;
        reply(modem::kConnect, options_.connectText);
        return;
    }
    if (body.rfind("H", 0) == 0) {
        hangUp();
        reply(modem::kOk);
        return;
    }
    if (body.rfind("O", 0) == 0) {
        if (!link_) return reply(modem::kNoCarrier);
        dataMode_ = true;
        return reply(modem::kConnect, options_.connectText);
    }
    if (body.rfind("Z", 0) == 0 || body.rfind("&F", 0) == 0) {
        echo_ = verbose_ = true;
        quiet_ = false;
        return reply(modem::kOk);
    }
    // Settings the dialogue touches; the ones that change how the modem answers
    // take effect, the others are accepted.
    if (body == "E0") echo_ = false;
    if (body == "E1") echo_ = true;
    if (body == "V0") verbose_ = false;
    if (body == "V1") verbose_ = true;
    if (body == "Q1") quiet_ = true;
    if (body == "Q0") quiet_ = false;
    reply(modem::kOk);
}

void ModemEmulator::serve() {
    std::string line;
    std::string tail;  // last bytes of data mode, for the "+++" escape
    auto lastData = SteadyClock::now();
    char buf[512];
    try {
        while (!stopping_) {
            std::size_t n = pty_->read(buf, sizeof buf, 5);
            if (dataMode_) {
                if (n) {
                    lastData = SteadyClock::now();
                    tail = (tail + std::string(buf, n));
                    if (tail.size() > 3) tail.erase(0, tail.size() - 3);
                    try {
                        link_->client.sendAll(buf, n, 2000);
                    } catch (const Exception&) {
                        hangUp();
                        reply(modem::kNoCarrier);
                        continue;
                    }
                } else if (tail == "+++" &&
                           SteadyClock::now() - lastData >= std::chrono::milliseconds(options_.escapeGuardMs)) {
                    tail.clear();
                    dataMode_ = false;  // the line stays up; ATO returns to it, ATH ends it
                    reply(modem::kOk);
                    continue;
                }
                std::size_t got = 0;
                try {
                    got = link_->client.receiveSome(buf, sizeof buf, 5);
                } catch (const Exception&) {}
                if (got) pty_->write(buf, got);
                if (link_->client.peerClosed()) {
                    hangUp();
                    reply(modem::kNoCarrier);
                }
                continue;
            }
            for (std::size_t i = 0; i < n; ++i) {
                if (buf[i] == '\r') {
                    commandLine(line);
                    line.clear();
                    if (dataMode_) break;  // bytes after CONNECT belong to the line
                } else if (line.size() < kMaxLine) {
                    line += buf[i];
                }
            }
            if (link_ && !dataMode_ && link_->client.peerClosed()) hangUp();
        }
    } catch (const Exception&) {
        // The pseudo-terminal failed: nothing left to serve.
    }
}

}  // namespace zt::sim

// The test-side request sender.
#include "sim/sim_client.h"

#include <chrono>

namespace zt::sim {

SimClient::SimClient(std::uint16_t port) { client_.connect("127.0.0.1", port, 2000); }

void SimClient::send(std::uint16_t code, const std::vector<std::string>& fields, std::uint32_t sequence,
                     std::uint8_t flags) {
    sendRaw(stuff(buildFrame(flags, sequence, code, fields)));
}

void SimClient::sendRaw(std::string_view wire) { client_.sendAll(wire, 2000); }

std::optional<std::string> SimClient::receive(std::uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline && !client_.peerClosed()) {
        std::uint8_t b = 0;
        if (!client_.receiveByte(b, 10)) continue;
        switch (receiver_.feed(b)) {
            case FrameReceiver::Event::Frame: return receiver_.takeFrame();
            case FrameReceiver::Event::BadStart: skipped_ += static_cast<char>(receiver_.badByte()); break;
            default: break;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SimClient::request(std::uint16_t code, const std::vector<std::string>& fields,
                                              std::uint32_t sequence, std::uint8_t flags, std::uint32_t timeoutMs) {
    send(code, fields, sequence, flags);
    return receive(timeoutMs);
}

}  // namespace zt::sim

#pragma once
// A minimal request sender for the simulator's TCP line, for tests and tools
// that talk to the register without the plug-in's exchange.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tcp.h"
#include "proto/framing.h"

namespace zt::sim {

class SimClient {
public:
    explicit SimClient(std::uint16_t port);

    // Sends one request in wire form.
    void send(std::uint16_t code, const std::vector<std::string>& fields, std::uint32_t sequence,
              std::uint8_t flags = 0);
    void sendRaw(std::string_view wire);
    // The next answer frame (logical form) within timeoutMs (real time), or none.
    // Bytes met outside frames are kept in skipped().
    std::optional<std::string> receive(std::uint32_t timeoutMs);
    std::optional<std::string> request(std::uint16_t code, const std::vector<std::string>& fields,
                                       std::uint32_t sequence, std::uint8_t flags = 0, std::uint32_t timeoutMs = 2000);
    const std::string& skipped() const { return skipped_; }
    bool peerClosed() const { return client_.peerClosed(); }

private:
    TcpClient client_;
    FrameReceiver receiver_;
    std::string skipped_;
};

}  // namespace zt::sim

#pragma once
// Where the link gets its lines from. The default makes real serial ports and
// TCP/IP connections; tests hand in their own (a recording fake, a serial line
// on a pseudo-terminal, shorter waits of the operating system).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "link/transport/transport.h"

namespace zt {

// Settings of a serial line as the serial component takes them (its values:
// parity 0 none, stop bits 0 one, byte size 3 eight bits).
struct SerialSettings {
    std::string portName;
    int baudRate = 9600;
    int parity = 0;
    int stopBits = 0;
    int byteSize = 3;
    // Read interval, read per byte, read constant, write per byte, write constant (ms).
    std::uint32_t timeouts[5] = {50, 50, 5000, 50, 5000};
    // Driver queue sizes; 0 keeps the component's defaults.
    std::size_t inBuffer = 0, outBuffer = 0;
};

struct TcpSettings {
    std::string host;
    std::uint16_t port = 0;
    std::uint32_t byteTimeoutMs = 30000;  // wait for each answer byte
    std::uint32_t connectTimeoutMs = 30000;
};

class LinkFactory {
public:
    virtual ~LinkFactory() = default;
    // A closed line with the settings applied; the caller opens it.
    virtual std::unique_ptr<Transport> Serial(const SerialSettings& s);
    virtual std::unique_ptr<Transport> Tcp(const TcpSettings& s);
};

}  // namespace zt

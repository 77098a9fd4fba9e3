#pragma once
// Transport over a serial line (direct, through a multiplexer or a modem).
#include <memory>

#include "link/transport/transport.h"
#include "platform/serial.h"

namespace zt {

class SerialTransport : public Transport {
public:
    // The port starts as the component leaves it (9600 8N1, read interval 50,
    // read per byte 50, read constant 5000, write per byte 50, write constant
    // 5000 ms); set what differs through port() before open().
    explicit SerialTransport(std::string portName);
    // Over a component made by the caller (a modem port, say); takes ownership.
    explicit SerialTransport(std::unique_ptr<TMSerialPort> port);
    ~SerialTransport() override;

    // The component itself: settings, and the calls of the modem dialogue.
    TMSerialPort& port() { return *port_; }

    Kind kind() const override { return Kind::Serial; }
    void open() override;
    void close() noexcept override;
    bool isOpen() const override;
    void send(const std::uint8_t* data, std::size_t len) override;
    using Transport::send;
    void sendWithoutWaiting(const std::uint8_t* data, std::size_t len) override;
    using Transport::sendWithoutWaiting;
    // kOwnTimeout waits the port's read time-out; any other value waits that
    // long (the port's slots are restored afterwards).
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override;
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override;
    std::size_t available() override;
    void purgeInput() override;
    void setRTS(bool on) override;
    void setDTR(bool on) override;
    bool carrierDetect() override;
    std::string describe() const override;

private:
    std::unique_ptr<TMSerialPort> port_;
};

}  // namespace zt

#pragma once
// Transport over a TCP/IP connection to the register (or its network adapter).
#include <memory>

#include "link/transport/transport.h"
#include "platform/tcp.h"

namespace zt {

class TcpTransport : public Transport {
public:
    static constexpr std::uint32_t kByteTimeoutMs = 30000;  // wait for each answer byte
    static constexpr std::uint32_t kConnectTimeoutMs = 30000;

    TcpTransport(std::string host, std::uint16_t port, std::uint32_t byteTimeoutMs = kByteTimeoutMs,
                 std::uint32_t connectTimeoutMs = kConnectTimeoutMs);
    ~TcpTransport() override;

    Kind kind() const override { return Kind::Tcp; }
    void open() override;
    void close() noexcept override;
    bool isOpen() const override;
    void send(const std::uint8_t* data, std::size_t len) override;
    using Transport::send;
    // kOwnTimeout waits byteTimeoutMs.
    bool receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) override;
    std::size_t receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) override;
    std::size_t available() override;
    void purgeInput() override;
    // No modem lines on TCP/IP: ignored; no carrier.
    void setRTS(bool) override {}
    void setDTR(bool) override {}
    bool carrierDetect() override { return false; }
    std::string describe() const override;

private:
    std::string host_;
    std::uint16_t port_;
    std::uint32_t byteTimeoutMs_;
    std::uint32_t connectTimeoutMs_;
    std::unique_ptr<TcpClient> client_;
    std::string pending_;  // bytes read ahead by available()
};

}  // namespace zt

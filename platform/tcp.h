#pragma once
// Blocking-style TCP client and a loopback listener for the simulators and tests.
// Every wait has a time-out in milliseconds given by the caller (real time: these
// are the operating system's waits). Failures raise EMException whose text is
// "host:port: <the system's own words>", e.g. "127.0.0.1:1000: Connection refused".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt {

class TcpListener;

class TcpClient {
public:
    TcpClient() = default;
    ~TcpClient();  // closes
    TcpClient(TcpClient&& other) noexcept;
    TcpClient& operator=(TcpClient&& other) noexcept;
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Connects to host (name or dotted address) and port, giving up after
    // timeoutMs. Closes a previous connection first.
    void connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs);
    // Safe on a closed client; never raises.
    void close() noexcept;
    bool isOpen() const;

    // Sends every byte or raises (also when the peer does not take them within timeoutMs).
    void sendAll(const void* data, std::size_t len, std::uint32_t timeoutMs = 30000);
    // A text literal with a time-out must not be taken for (data, length).
    void sendAll(const char* text, std::uint32_t timeoutMs = 30000) { sendAll(std::string_view(text), timeoutMs); }
    void sendAll(std::string_view bytes, std::uint32_t timeoutMs = 30000) {
        sendAll(bytes.data(), bytes.size(), timeoutMs);
    }
    // One byte within timeoutMs; false on time-out or when the peer has closed.
    bool receiveByte(std::uint8_t& byte, std::uint32_t timeoutMs);
    // Waits up to timeoutMs for data, then returns what is there (up to max
    // bytes); 0 on time-out or when the peer has closed.
    std::size_t receiveSome(void* buffer, std::size_t max, std::uint32_t timeoutMs);
    // True once a receive has seen the peer's end of stream.
    bool peerClosed() const { return peerClosed_; }
    // "host:port" of the connection (empty when never connected).
    const std::string& peer() const { return peer_; }

private:
    friend class TcpListener;
    [[noreturn]] void fail(const std::string& what, int osError) const;

    std::uintptr_t socket_ = kNoSocket;  // SOCKET or file descriptor
    std::string peer_;
    bool peerClosed_ = false;
    static constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
};

// A listening socket on 127.0.0.1 only.
class TcpListener {
public:
    // Port 0 takes a free port; port() tells which.
    explicit TcpListener(std::uint16_t port = 0);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    std::uint16_t port() const { return port_; }
    // The next connection, or nothing when none came within timeoutMs.
    std::optional<TcpClient> accept(std::uint32_t timeoutMs);
    // Stops listening; later connects are refused. Never raises.
    void close() noexcept;
    bool isOpen() const { return socket_ != kNoSocket; }

private:
    std::uintptr_t socket_ = kNoSocket;
    std::uint16_t port_ = 0;
    static constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
};

}  // namespace zt

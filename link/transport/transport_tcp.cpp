#include "link/transport/transport_tcp.h"

#include <algorithm>
#include <cstring>

#include "platform/exception.h"

namespace zt {

TcpTransport::TcpTransport(std::string host, std::uint16_t port, std::uint32_t byteTimeoutMs,
                           std::uint32_t connectTimeoutMs)
    : host_(std::move(host)), port_(port), byteTimeoutMs_(byteTimeoutMs), connectTimeoutMs_(connectTimeoutMs) {}

TcpTransport::~TcpTransport() { close(); }

void TcpTransport::open() {
    if (isOpen()) return;
    auto client = std::make_unique<TcpClient>();
    client->connect(host_, port_, connectTimeoutMs_);  // raises; the client goes with the stack
    client_ = std::move(client);
    pending_.clear();
}

void TcpTransport::close() noexcept {
    client_.reset();
    pending_.clear();
}

bool TcpTransport::isOpen() const { return client_ && client_->isOpen(); }

void TcpTransport::send(const std::uint8_t* data, std::size_t len) {
    if (!isOpen()) throw EMException(0, describe(), "not connected");
    client_->sendAll(data, len, byteTimeoutMs_);
}

bool TcpTransport::receiveByte(std::uint8_t& out, std::uint32_t timeoutMs) {
    if (!isOpen()) throw EMException(0, describe(), "not connected");
    if (!pending_.empty()) {
        out = static_cast<std::uint8_t>(pending_.front());
        pending_.erase(0, 1);
        return true;
    }
    return client_->receiveByte(out, timeoutMs == kOwnTimeout ? byteTimeoutMs_ : timeoutMs);
}

std::size_t TcpTransport::receiveSome(std::uint8_t* out, std::size_t max, std::uint32_t timeoutMs) {
    if (!isOpen()) throw EMException(0, describe(), "not connected");
    if (max == 0) return 0;
    if (!pending_.empty()) {
        const std::size_t n = std::min(max, pending_.size());
        std::memcpy(out, pending_.data(), n);
        pending_.erase(0, n);
        return n;
    }
    return client_->receiveSome(out, max, timeoutMs == kOwnTimeout ? byteTimeoutMs_ : timeoutMs);
}

std::size_t TcpTransport::available() {
    if (!isOpen()) return 0;
    // Sockets have no portable "bytes waiting" count: read ahead what is there.
    char buf[512];
    std::size_t n;
    while (pending_.size() < 65536 && (n = client_->receiveSome(buf, sizeof buf, 0)) > 0) pending_.append(buf, n);
    return pending_.size();
}

void TcpTransport::purgeInput() {
    if (!isOpen()) return;
    pending_.clear();
    char buf[512];
    for (int i = 0; i < 128 && client_->receiveSome(buf, sizeof buf, 0) > 0; ++i) {}
}

std::string TcpTransport::describe() const { return host_ + ":" + std::to_string(port_); }

}  // namespace zt

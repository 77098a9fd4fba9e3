// The parts of the TCP client that do not depend on the operating system.
#include "platform/tcp.h"

#include <utility>

namespace zt {

TcpClient::~TcpClient() { close(); }

TcpClient::TcpClient(TcpClient&& other) noexcept
    : socket_(other.socket_), peer_(std::move(other.peer_)), peerClosed_(other.peerClosed_) {
    other.socket_ = kNoSocket;
}

TcpClient& TcpClient::operator=(TcpClient&& other) noexcept {
    if (this != &other) {
        close();
        socket_ = other.socket_;
        peer_ = std::move(other.peer_);
        peerClosed_ = other.peerClosed_;
        other.socket_ = kNoSocket;
    }
    return *this;
}

bool TcpClient::isOpen() const { return socket_ != kNoSocket; }

}  // namespace zt
